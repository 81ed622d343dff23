// The preview pane: the focused row's payload shown below the list, as an
// image, as text, as a hex dump or as one line saying why there is nothing
// to show. Off by default; while it is off nothing of it exists (no window,
// no timer, no GDI+), so the main window behaves exactly as without it.
//
// The payload is read from the cache file the way the extraction reads it
// (same header walk, same length rule) but only as far as the view needs,
// read-only and with full sharing. Nothing in a payload is ever run: HTML
// and SVG are shown as source text.
#ifndef MARROWICK_PREVIEW_H
#define MARROWICK_PREVIEW_H

enum PreviewKind {
    PREVIEW_NOTHING = 0,   // no focused row: an empty pane
    PREVIEW_IMAGE = 1,     // a decoded picture, fitted, never enlarged
    PREVIEW_TEXT = 2,      // the first PREVIEW_TEXT_LIMIT bytes as text
    PREVIEW_HEX = 3,       // the first PREVIEW_HEX_LIMIT bytes as a hex dump
    PREVIEW_MESSAGE = 4    // empty, unreadable, undecodable or too large
};

enum {
    PREVIEW_TEXT_LIMIT = 65536,
    PREVIEW_HEX_LIMIT = 4096,
    PREVIEW_IMAGE_LIMIT = 32 * 1024 * 1024,
    PREVIEW_MAX_PIXELS = 40 * 1000 * 1000,   // 160 MB once decoded
    PREVIEW_STATUS_SIZE = 256,
    PREVIEW_DEFAULT_HEIGHT = 220,
    PREVIEW_MIN_HEIGHT = 60,
    PREVIEW_MAX_HEIGHT = 4000,
    PREVIEW_DELAY_MS = 50     // focus changes within this time cost one decode
};

// How the bytes of a text payload are read.
enum PreviewTextEncoding { TEXT_ANSI, TEXT_UTF8, TEXT_UTF16LE, TEXT_UTF16BE };

// What one payload becomes. Text (a NUL-terminated UTF-16 edit control text
// with CR LF line ends) and Image (HBITMAP of a premultiplied top-down
// 32-bit DIB section) are owned by the record and released by
// FreePreviewContent.
struct PreviewContent {
    int Kind;
    char Status[PREVIEW_STATUS_SIZE];  // the line under the view
    WCHAR *Text;
    void *Image;
    unsigned int Width, Height;        // pixels of an image
};

// The pane's process-wide state.
struct PreviewPaneState {
    int Shown;              // View > Preview Pane is checked
    int Height;             // the pane's height in pixels, splitter included
    int Remember;           // write [Preview] at close: it was read or used
    HWND Window;            // the pane, null while it is off
    HWND TextView;          // its read-only edit control
    char ShownFile[ACTION_PATH_SIZE];  // cache file shown, "" for none
    PreviewContent Content;
};
extern PreviewPaneState PreviewPane;

// --- Content (preview_content.cpp) ------------------------------------------
// Reads the payload of the cache file at `path` as far as its view needs and
// fills `content` (which must be empty); `mediaType` is the row's Content
// Type text. Never shows a message box: failures become PREVIEW_MESSAGE.
void LoadPreviewContent(const char *path, const char *mediaType, PreviewContent *content);
void FreePreviewContent(PreviewContent *content);
// The encoding of a text payload: a UTF-16 byte order mark, else UTF-8 when
// the response says so (`saysUtf8`), by its mark, or when bytes beyond
// ASCII are all valid UTF-8; else the ANSI code page.
int ChooseTextEncoding(const unsigned char *bytes, unsigned int count, int saysUtf8);
// The edit control text for `count` bytes read in `encoding` (a byte order
// mark and a UTF-8 sequence cut at the end left out): NUL shown as a blank;
// CR, LF and CR LF each become one CR LF. Heap text.
WCHAR *MakePreviewText(const unsigned char *bytes, unsigned int count, int encoding);
// "00000000  89 50 4E 47 ...  .PNG...." lines for `count` bytes. Heap text.
WCHAR *MakeHexDump(const unsigned char *bytes, unsigned int count);

// --- Images (preview_image.cpp) ---------------------------------------------
// Decodes an image from `size` bytes. 1 with Image, Width and Height; 0
// when it does not decode; -1 when it has more than PREVIEW_MAX_PIXELS
// pixels (Width and Height say how many).
int DecodePreviewImage(const unsigned char *bytes, unsigned int size, PreviewContent *content);
void ReleasePreviewImage(PreviewContent *content);
// Draws the image fitted into `area`, centred, never enlarged, on a
// checkerboard of the image's own rectangle.
void DrawPreviewImage(HDC dc, const RECT *area, const PreviewContent *content);
// Ends GDI+ if it was started; at exit.
void ShutdownPreviewImages(void);

// --- The pane (preview.cpp) -------------------------------------------------
// Reads [Preview] and opens the pane if it was shown last time (WM_CREATE).
void InitPreviewPane(HWND mainWindow);
// Writes [Preview] after the other sections, if it was read or used (WM_CLOSE).
void SavePreviewSettings(void);
// Closes the pane and ends GDI+ (WM_DESTROY).
void ShutdownPreviewPane(void);
// View > Preview Pane.
void TogglePreviewPane(HWND mainWindow);
// Places the pane at the bottom of the list's area (y `top`, `height`
// pixels) and returns the height left for the list; `height` while off.
int PlacePreviewPane(int width, int top, int height);
// A list notification: a focus move schedules an update.
void PreviewListChanged(const NMHDR *header);
// The list shows other rows (a sort, the filter, a deletion; `reloaded`: a
// new scan, whose files may hold other payloads under the same names).
void PreviewViewChanged(int reloaded);
// Shows the focused row's payload now, unless it is shown already.
void RefreshPreview(void);
// 1 for Ctrl+C and Ctrl+A meant for the pane's text: the message loop hands
// them to the text view instead of the accelerators that act on rows.
int IsPreviewTextKey(const MSG *msg);
// The least height of the list: its header, three full rows and a
// horizontal scroll bar inside its border.
int ListMinHeight(void);
// Lowers a remembered height that leaves the list less than ListMinHeight
// in the window as it is now (at start, after the window is placed).
void FitPreviewHeightToWindow(HWND mainWindow);

#endif
