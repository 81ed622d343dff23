// Pictures of the preview pane, decoded and drawn by GDI+ through its flat
// API (gdiplus.dll is part of every supported Windows and of Wine). GDI+ is
// started at the first decode and ended when the main window goes.
#include "marrowick.h"

#include <objidl.h>
#include <shlwapi.h>
#include <gdiplus.h>

#include "ui/preview.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

ULONG_PTR GdiplusToken;
int GdiplusFailed;   // do not try again for every row

// Checkerboard squares behind the picture, so transparent parts read.
enum { CHECKER_SQUARE = 8 };
const COLORREF CheckerLight = RGB(255, 255, 255);
const COLORREF CheckerDark = RGB(224, 224, 224);

struct FormatName {
    const GUID *Format;
    const char *Name;
};

const FormatName FormatNames[] = {
    {&ImageFormatPNG, "PNG"},   {&ImageFormatJPEG, "JPEG"}, {&ImageFormatGIF, "GIF"},
    {&ImageFormatBMP, "BMP"},   {&ImageFormatIcon, "ICO"},  {&ImageFormatTIFF, "TIFF"},
    {&ImageFormatEMF, "EMF"},   {&ImageFormatWMF, "WMF"},   {&ImageFormatMemoryBMP, "BMP"},
};

int StartGdiplus(void)
{
    if (GdiplusToken)
        return 1;
    if (GdiplusFailed)
        return 0;
    GdiplusStartupInput input;
    if (GdiplusStartup(&GdiplusToken, &input, NULL) != Ok) {
        GdiplusToken = 0;
        GdiplusFailed = 1;
        return 0;
    }
    return 1;
}

const char *NameOfFormat(GpImage *image)
{
    GUID format;
    if (GdipGetImageRawFormat(image, &format) == Ok)
        for (const FormatName &f : FormatNames)
            if (IsEqualGUID(format, *f.Format))
                return f.Name;
    return "image";
}

}  // namespace

// Draws the decoded picture once into a premultiplied 32-bit bitmap of its
// own size: a payload whose body is broken fails here rather than at every
// paint, later paints are plain copies, and the stream can go at once.
static GpBitmap *RenderToBitmap(GpImage *image, UINT width, UINT height)
{
    GpBitmap *bitmap = NULL;
    if (GdipCreateBitmapFromScan0((INT)width, (INT)height, 0, PixelFormat32bppPARGB, NULL, &bitmap) != Ok)
        return NULL;
    GpGraphics *graphics = NULL;
    GpStatus status = GdipGetImageGraphicsContext(bitmap, &graphics);
    if (status == Ok) {
        GdipSetCompositingMode(graphics, CompositingModeSourceCopy);
        status = GdipDrawImageRectI(graphics, image, 0, 0, (INT)width, (INT)height);
        GdipDeleteGraphics(graphics);
    }
    if (status != Ok) {
        GdipDisposeImage(bitmap);
        return NULL;
    }
    return bitmap;
}

// A memory stream of its own copy of the bytes. Not a stream on an HGLOBAL:
// Wine's lets a seek go past the end (a JPEG segment length that points
// beyond the payload does that) and its next read then runs off the block.
static GpImage *LoadFromMemory(const unsigned char *bytes, unsigned int size)
{
    IStream *stream = SHCreateMemStream(bytes, size);
    if (!stream)
        return NULL;
    GpImage *image = NULL;
    if (!StartGdiplus() || GdipLoadImageFromStream(stream, &image) != Ok)
        image = NULL;
    // A loaded image keeps its own reference while it needs the stream.
    stream->Release();
    return image;
}

int DecodePreviewImage(const unsigned char *bytes, unsigned int size, PreviewContent *content, char *format)
{
    GpImage *image = LoadFromMemory(bytes, size);
    if (!image)
        return 0;
    UINT width = 0, height = 0;
    GdipGetImageWidth(image, &width);
    GdipGetImageHeight(image, &height);
    content->Width = width;
    content->Height = height;
    int result = 0;
    if (width && height && (unsigned long long)width * height > PREVIEW_MAX_PIXELS) {
        result = -1;
    } else if (width && height) {
        lstrcpynA(format, NameOfFormat(image), 16);
        content->Image = RenderToBitmap(image, width, height);
        result = content->Image ? 1 : 0;
    }
    GdipDisposeImage(image);
    return result;
}

void ReleasePreviewImage(PreviewContent *content)
{
    if (content->Image)
        GdipDisposeImage((GpImage *)content->Image);
    content->Image = NULL;
}

// The largest size of the picture's shape that fits `area`, at most 100 %.
static RECT FitImage(const RECT *area, unsigned int width, unsigned int height)
{
    long long w = width, h = height;
    long long room = area->right - area->left, roomHigh = area->bottom - area->top;
    if (room < 1 || roomHigh < 1) {
        RECT none = {area->left, area->top, area->left, area->top};
        return none;
    }
    if (w > room) {
        h = h * room / w;
        w = room;
    }
    if (h > roomHigh) {
        w = w * roomHigh / h;
        h = roomHigh;
    }
    if (w < 1)
        w = 1;
    if (h < 1)
        h = 1;
    RECT fit;
    fit.left = area->left + (LONG)((room - w) / 2);
    fit.top = area->top + (LONG)((roomHigh - h) / 2);
    fit.right = fit.left + (LONG)w;
    fit.bottom = fit.top + (LONG)h;
    return fit;
}

static void FillChecker(HDC dc, const RECT *r)
{
    HBRUSH light = CreateSolidBrush(CheckerLight);
    HBRUSH dark = CreateSolidBrush(CheckerDark);
    FillRect(dc, r, light);
    for (LONG y = r->top; y < r->bottom; y += CHECKER_SQUARE)
        for (LONG x = r->left + ((y - r->top) / CHECKER_SQUARE % 2) * CHECKER_SQUARE; x < r->right;
             x += 2 * CHECKER_SQUARE) {
            RECT square = {x, y, x + CHECKER_SQUARE, y + CHECKER_SQUARE};
            IntersectRect(&square, &square, r);
            FillRect(dc, &square, dark);
        }
    DeleteObject(light);
    DeleteObject(dark);
}

void DrawPreviewImage(HDC dc, const RECT *area, const PreviewContent *content)
{
    if (!content->Image)
        return;
    RECT fit = FitImage(area, content->Width, content->Height);
    if (IsRectEmpty(&fit))
        return;
    FillChecker(dc, &fit);
    GpGraphics *graphics = NULL;
    if (GdipCreateFromHDC(dc, &graphics) != Ok)
        return;
    int scaled = (unsigned int)(fit.right - fit.left) != content->Width;
    // At 100 % every pixel is copied as it is, so small icons stay crisp.
    GdipSetInterpolationMode(graphics, scaled ? InterpolationModeHighQualityBilinear : InterpolationModeNearestNeighbor);
    GdipSetPixelOffsetMode(graphics, PixelOffsetModeHalf);
    GdipDrawImageRectI(graphics, (GpImage *)content->Image, fit.left, fit.top, fit.right - fit.left,
                       fit.bottom - fit.top);
    GdipDeleteGraphics(graphics);
}

void ShutdownPreviewImages(void)
{
    if (GdiplusToken)
        GdiplusShutdown(GdiplusToken);
    GdiplusToken = 0;
    GdiplusFailed = 0;
}
