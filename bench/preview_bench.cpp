// preview_bench: how long the preview pane takes to show a 100 KiB JPEG,
// in the program's own main window, in one process.
//
//   preview_bench [KIB [ROUNDS]]      default: 100 20
//
// It encodes a photo-like 1024 x 576 picture (gradients and noise) with the
// platform's JPEG encoder at the quality that comes closest to KIB
// kilobytes (Wine's encoder ignores the quality: there it is always about
// 104 KiB, the size this picture was made for), writes it
// as the payload of a cache file beside a small text row, creates the main
// window with the pane open, loads the folder and then, ROUNDS times:
//   decode  LoadPreviewContent alone: the header walk, the payload read and
//           the GDI+ decode into the pane's bitmap;
//   refresh the focus moved from the text row to the JPEG row and the pane
//           refreshed (what the coalescing timer does when it fires);
//   shown   the same until the picture is painted on the screen;
//   paint   one more paint of the same picture.
// It prints the median and the best of each; there is no pass or fail.
#include "marrowick.h"

#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_util.h"
#include "cache_writer.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

using bench::Seconds;

const CLSID JpegEncoder = {0x557cf401, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
const int PictureWidth = 1024, PictureHeight = 576;

std::string EncodeJpeg(GpBitmap *bitmap, ULONG quality)
{
    IStream *stream = NULL;
    CreateStreamOnHGlobal(NULL, TRUE, &stream);
    EncoderParameters parameters;
    parameters.Count = 1;
    parameters.Parameter[0].Guid = EncoderQuality;
    parameters.Parameter[0].NumberOfValues = 1;
    parameters.Parameter[0].Type = EncoderParameterValueTypeLong;
    parameters.Parameter[0].Value = &quality;
    std::string bytes;
    if (GdipSaveImageToStream(bitmap, stream, &JpegEncoder, &parameters) == Ok) {
        HGLOBAL memory;
        GetHGlobalFromStream(stream, &memory);
        STATSTG stat;
        stream->Stat(&stat, STATFLAG_NONAME);
        const char *data = (const char *)GlobalLock(memory);
        bytes.assign(data, (size_t)stat.cbSize.QuadPart);
        GlobalUnlock(memory);
    }
    stream->Release();
    return bytes;
}

// Soft gradients with fine noise: compresses like a photograph, not like a
// flat test card.
std::string MakePhotoJpeg(size_t targetBytes)
{
    std::vector<unsigned> pixels((size_t)PictureWidth * PictureHeight);
    for (int y = 0; y < PictureHeight; ++y)
        for (int x = 0; x < PictureWidth; ++x) {
            unsigned noise = bench::Mix((unsigned)(y * PictureWidth + x)) & 0x1F;
            unsigned r = (x * 200 / PictureWidth + noise) & 0xFF, g = (y * 180 / PictureHeight + noise) & 0xFF;
            unsigned b = ((x + y) * 120 / (PictureWidth + PictureHeight) + 60 + noise) & 0xFF;
            pixels[(size_t)y * PictureWidth + x] = 0xFF000000u | (r << 16) | (g << 8) | b;
        }
    GpBitmap *bitmap = NULL;
    GdipCreateBitmapFromScan0(PictureWidth, PictureHeight, PictureWidth * 4, PixelFormat32bppRGB,
                              (BYTE *)pixels.data(), &bitmap);
    std::string best;
    for (ULONG quality = 10; quality <= 100; quality += 5) {
        std::string bytes = EncodeJpeg(bitmap, quality);
        size_t miss = bytes.size() > targetBytes ? bytes.size() - targetBytes : targetBytes - bytes.size();
        size_t bestMiss = best.size() > targetBytes ? best.size() - targetBytes : targetBytes - best.size();
        if (!bytes.empty() && (best.empty() || miss < bestMiss))
            best = bytes;
    }
    GdipDisposeImage(bitmap);
    return best;
}

struct Times {
    std::vector<double> Milliseconds;
    void Add(double seconds) { Milliseconds.push_back(seconds * 1000.0); }
    void Print(const char *name)
    {
        std::sort(Milliseconds.begin(), Milliseconds.end());
        std::printf("  %-7s median %7.2f ms   best %7.2f ms\n", name, Milliseconds[Milliseconds.size() / 2],
                    Milliseconds[0]);
    }
};

void FocusRow(int row)
{
    LVITEMA item = {};
    item.stateMask = item.state = LVIS_FOCUSED | LVIS_SELECTED;
    SendMessageA(ListViewHandle, LVM_SETITEMSTATE, row, (LPARAM)&item);
}

HWND OpenMainWindow(const std::string &folder, const std::string &cache)
{
    AppInstance = GetModuleHandleA(NULL);
    InitCommonControls();
    RegisterMainWindowClass();
    lstrcpyA(SettingsFilePath, (folder + "\\bench.cfg").c_str());
    WritePrivateProfileStringA("Preview", "Show", "1", SettingsFilePath);
    WritePrivateProfileStringA("Preview", "Height", "400", SettingsFilePath);
    WritePrivateProfileStringA("WinPositions", "MainWindow", "0,0,1000,760,0", SettingsFilePath);
    HWND window = CreateMainWindow();
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    lstrcpyA(AppSettings.CacheFolder, cache.c_str());
    AppSettings.SortByColumn = COL_CACHE_FILE;
    SendMessageA(window, WM_RELOADCACHE, 0, 0);
    bench::PumpMessages();
    return window;
}

void AddEntry(const std::string &cache, const char *name, const char *type, const std::string &payload)
{
    CacheFileRecipe recipe;
    recipe.Host = "cdn.akamai.steamstatic.com";
    recipe.Path = std::string("/steam/apps/440/") + name;
    recipe.Headers.push_back({"Content-Type", type});
    recipe.Payload = payload;
    WriteCacheFile(cache + "\\0b\\" + name, recipe);
}

}  // namespace

int main(int argc, char **argv)
{
    int kib = argc > 1 ? std::atoi(argv[1]) : 100;
    int rounds = argc > 2 ? std::atoi(argv[2]) : 20;
    if (kib < 1 || rounds < 1) {
        std::fprintf(stderr, "usage: preview_bench [KIB [ROUNDS]]\n");
        return 2;
    }
    GdiplusStartupInput input;
    ULONG_PTR token;
    GdiplusStartup(&token, &input, NULL);
    std::string jpeg = MakePhotoJpeg((size_t)kib * 1024);
    GdiplusShutdown(token);
    if (jpeg.empty()) {
        std::fprintf(stderr, "preview_bench: the platform's JPEG encoder failed\n");
        return 1;
    }

    std::string folder = bench::MakeFolder("preview");
    std::string cache = folder + "\\cache";
    CreateDirectoryA(cache.c_str(), NULL);
    CreateDirectoryA((cache + "\\0b").c_str(), NULL);
    AddEntry(cache, "0b01", "text/css", "body { margin: 0 }\n");
    AddEntry(cache, "0b02", "image/jpeg", jpeg);
    HWND window = OpenMainWindow(folder, cache);
    std::string path = cache + "\\0b\\0b02";

    Times decode, shown, paint, refresh;
    for (int i = 0; i < rounds; ++i) {
        PreviewContent content = {};
        double start = Seconds();
        LoadPreviewContent(path.c_str(), "image/jpeg", &content);
        decode.Add(Seconds() - start);
        FreePreviewContent(&content);

        FocusRow(0);
        RefreshPreview();
        bench::PumpMessages();
        FocusRow(1);
        start = Seconds();
        RefreshPreview();
        refresh.Add(Seconds() - start);
        UpdateWindow(PreviewPane.Window);
        GdiFlush();
        shown.Add(Seconds() - start);

        InvalidateRect(PreviewPane.Window, NULL, FALSE);
        start = Seconds();
        UpdateWindow(PreviewPane.Window);
        GdiFlush();
        paint.Add(Seconds() - start);
    }
    std::printf("JPEG payload: %u bytes (%.1f KiB), %s\n", (unsigned)jpeg.size(), jpeg.size() / 1024.0,
                PreviewPane.Content.Status);
    std::printf("%d rounds, pane %d pixels high:\n", rounds, PreviewPane.Height);
    decode.Print("decode");
    refresh.Print("refresh");
    shown.Print("shown");
    paint.Print("paint");
    DestroyWindow(window);
    bench::EmptyFolder(folder, true);
    return 0;
}
