// Pictures of the preview pane. GDI+ (through its flat API; gdiplus.dll is
// part of every supported Windows and of Wine) only decodes: the pixels are
// copied at once into a premultiplied 32-bit DIB section of our own, which
// plain GDI blends onto the pane. Drawing through GDI+ costs Wine tens of
// milliseconds per megapixel even at 100 %.
//
// GDI+ is started at the first decode and ended when the main window goes.
// A picture larger than its room is shrunk with a box filter (the mean of
// the source pixels under each target pixel), once per size of the room.
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

// The shrunk copy of the picture shown last, for the room it was made for.
struct ScaledPicture {
    HBITMAP Source;
    HBITMAP Bitmap;
    unsigned int *Pixels;
    int Width, Height;
};
ScaledPicture Scaled;

// Checkerboard squares behind the picture, so transparent parts read.
enum { CHECKER_SQUARE = 8 };
const COLORREF CheckerLight = RGB(255, 255, 255);
const COLORREF CheckerDark = RGB(224, 224, 224);

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

// A top-down 32-bit DIB section; its pixels in `pixels`.
HBITMAP CreatePixelBitmap(int width, int height, unsigned int **pixels)
{
    BITMAPINFO info;
    ZeroMemory(&info, sizeof(info));
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = NULL;
    HBITMAP bitmap = CreateDIBSection(NULL, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    *pixels = (unsigned int *)bits;
    return bits ? bitmap : NULL;
}

// A memory stream of its own copy of the bytes. Not a stream on an HGLOBAL:
// Wine's lets a seek go past the end (a JPEG segment length that points
// beyond the payload does that) and its next read then runs off the block.
GpBitmap *LoadFromMemory(const unsigned char *bytes, unsigned int size)
{
    IStream *stream = SHCreateMemStream(bytes, size);
    if (!stream)
        return NULL;
    GpBitmap *bitmap = NULL;
    if (!StartGdiplus() || GdipCreateBitmapFromStream(stream, &bitmap) != Ok)
        bitmap = NULL;
    // A loaded bitmap keeps its own reference while it needs the stream.
    stream->Release();
    return bitmap;
}

// One row of a locked bitmap as premultiplied BGRA.
void ConvertRow(const BYTE *row, PixelFormat format, UINT width, unsigned int *out)
{
    for (UINT x = 0; x < width; x++) {
        if (format == PixelFormat24bppRGB) {
            out[x] = 0xFF000000u | row[3 * x] | ((unsigned int)row[3 * x + 1] << 8) | ((unsigned int)row[3 * x + 2] << 16);
            continue;
        }
        unsigned int p = ((const unsigned int *)row)[x], alpha = p >> 24;
        if (format == PixelFormat32bppRGB) {
            p |= 0xFF000000u;
        } else if (format == PixelFormat32bppARGB && alpha != 255) {
            unsigned int premultiplied = alpha << 24;
            for (int c = 0; c < 3; c++)
                premultiplied |= ((((p >> (8 * c)) & 0xFF) * alpha + 127) / 255) << (8 * c);
            p = premultiplied;
        }
        out[x] = p;
    }
}

// The decoded pixels, premultiplied, into a DIB section. Locking makes
// GDI+ decode the whole picture: a broken body fails here, not at a paint.
// The common formats are locked as they are, which Wine hands out without
// a copy; its own conversion to premultiplied pixels takes longer than the
// loop here.
HBITMAP CopyPixels(GpBitmap *bitmap, UINT width, UINT height)
{
    PixelFormat format = PixelFormat32bppPARGB;
    GdipGetImagePixelFormat(bitmap, &format);
    if (format != PixelFormat24bppRGB && format != PixelFormat32bppRGB && format != PixelFormat32bppARGB)
        format = PixelFormat32bppPARGB;
    GpRect rect(0, 0, (INT)width, (INT)height);
    BitmapData data;
    if (GdipBitmapLockBits(bitmap, &rect, ImageLockModeRead, format, &data) != Ok)
        return NULL;
    unsigned int *pixels = NULL;
    HBITMAP dib = CreatePixelBitmap((int)width, (int)height, &pixels);
    for (UINT y = 0; dib && y < height; y++)
        ConvertRow((const BYTE *)data.Scan0 + (INT_PTR)y * data.Stride, format, width, pixels + (size_t)y * width);
    GdipBitmapUnlockBits(bitmap, &data);
    return dib;
}

// First source column or row of each target one, and the end of the last.
void SpanStarts(int from, int to, int *starts)
{
    for (int i = 0; i <= to; i++)
        starts[i] = (int)((long long)i * from / to);
}

// Box filter over premultiplied pixels: every target pixel is the mean of
// the source pixels it covers, so a photo shrinks without jagged edges.
void ShrinkPixels(const unsigned int *source, int width, int height, unsigned int *target, int toWidth,
                  int toHeight, int *columns, int *rows)
{
    SpanStarts(width, toWidth, columns);
    SpanStarts(height, toHeight, rows);
    for (int y = 0; y < toHeight; y++) {
        int top = rows[y], bottom = rows[y + 1] > top ? rows[y + 1] : top + 1;
        for (int x = 0; x < toWidth; x++) {
            int left = columns[x], right = columns[x + 1] > left ? columns[x + 1] : left + 1;
            unsigned long long sum[4] = {0, 0, 0, 0};
            for (int sy = top; sy < bottom; sy++) {
                const unsigned int *row = source + (size_t)sy * width;
                for (int sx = left; sx < right; sx++) {
                    sum[0] += row[sx] & 0xFF;
                    sum[1] += (row[sx] >> 8) & 0xFF;
                    sum[2] += (row[sx] >> 16) & 0xFF;
                    sum[3] += row[sx] >> 24;
                }
            }
            unsigned long long count = (unsigned long long)(bottom - top) * (unsigned long long)(right - left);
            target[(size_t)y * toWidth + x] = (unsigned int)(sum[0] / count) | (unsigned int)(sum[1] / count) << 8 |
                                              (unsigned int)(sum[2] / count) << 16 | (unsigned int)(sum[3] / count) << 24;
        }
    }
}

void FreeScaled(void)
{
    if (Scaled.Bitmap)
        DeleteObject(Scaled.Bitmap);
    ZeroMemory(&Scaled, sizeof(Scaled));
}

// The picture at `width` x `height`: itself at full size, else its shrunk
// copy, made again only when the room changed.
HBITMAP PictureAtSize(const PreviewContent *content, int width, int height)
{
    HBITMAP picture = (HBITMAP)content->Image;
    if ((unsigned int)width == content->Width && (unsigned int)height == content->Height)
        return picture;
    if (Scaled.Source == picture && Scaled.Width == width && Scaled.Height == height)
        return Scaled.Bitmap;
    FreeScaled();
    DIBSECTION section;
    if (!GetObjectA(picture, sizeof(section), &section))
        return NULL;
    int *spans = (int *)HeapAlloc(GetProcessHeap(), 0, sizeof(int) * ((size_t)width + height + 2));
    Scaled.Bitmap = spans ? CreatePixelBitmap(width, height, &Scaled.Pixels) : NULL;
    if (!Scaled.Bitmap) {
        if (spans)
            HeapFree(GetProcessHeap(), 0, spans);
        return NULL;
    }
    GdiFlush();  // the DIB's pixels are read directly
    ShrinkPixels((const unsigned int *)section.dsBm.bmBits, (int)content->Width, (int)content->Height, Scaled.Pixels,
                 width, height, spans, spans + width + 1);
    HeapFree(GetProcessHeap(), 0, spans);
    Scaled.Source = picture;
    Scaled.Width = width;
    Scaled.Height = height;
    return Scaled.Bitmap;
}

// The largest size of the picture's shape that fits `area`, at most 100 %.
RECT FitImage(const RECT *area, unsigned int width, unsigned int height)
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
    RECT fit;
    fit.left = area->left + (LONG)((room - (w < 1 ? 1 : w)) / 2);
    fit.top = area->top + (LONG)((roomHigh - (h < 1 ? 1 : h)) / 2);
    fit.right = fit.left + (LONG)(w < 1 ? 1 : w);
    fit.bottom = fit.top + (LONG)(h < 1 ? 1 : h);
    return fit;
}

void FillChecker(HDC dc, const RECT *r)
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

}  // namespace

int DecodePreviewImage(const unsigned char *bytes, unsigned int size, PreviewContent *content)
{
    GpBitmap *bitmap = LoadFromMemory(bytes, size);
    if (!bitmap)
        return 0;
    UINT width = 0, height = 0;
    GdipGetImageWidth(bitmap, &width);
    GdipGetImageHeight(bitmap, &height);
    content->Width = width;
    content->Height = height;
    int result = 0;
    if (width && height && (unsigned long long)width * height > PREVIEW_MAX_PIXELS) {
        result = -1;
    } else if (width && height) {
        content->Image = CopyPixels(bitmap, width, height);
        result = content->Image ? 1 : 0;
    }
    GdipDisposeImage(bitmap);
    return result;
}

void ReleasePreviewImage(PreviewContent *content)
{
    if (!content->Image)
        return;
    if (Scaled.Source == (HBITMAP)content->Image)
        FreeScaled();
    DeleteObject((HBITMAP)content->Image);
    content->Image = NULL;
}

void DrawPreviewImage(HDC dc, const RECT *area, const PreviewContent *content)
{
    if (!content->Image)
        return;
    RECT fit = FitImage(area, content->Width, content->Height);
    int width = fit.right - fit.left, height = fit.bottom - fit.top;
    HBITMAP picture = width > 0 && height > 0 ? PictureAtSize(content, width, height) : NULL;
    if (!picture)
        return;
    FillChecker(dc, &fit);
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, picture);
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    GdiAlphaBlend(dc, fit.left, fit.top, width, height, source, 0, 0, width, height, blend);
    SelectObject(source, old);
    DeleteDC(source);
}

void ShutdownPreviewImages(void)
{
    FreeScaled();
    if (GdiplusToken)
        GdiplusShutdown(GdiplusToken);
    GdiplusToken = 0;
    GdiplusFailed = 0;
}
