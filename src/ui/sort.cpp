// Sorting the cache list by one column, the header's sort arrow, and the
// GMT/local switch of the three date columns. The rows are the row store's:
// a sort reorders its index array by stored keys, and a zone switch is a
// repaint, the dates being formatted from their instants as they are shown.
#include "marrowick.h"

int ArrowColumn = -1;

// Image indexes of IDB_SORT_ARROWS in the header's image list.
enum { ARROW_DOWN_IMAGE = 0, ARROW_UP_IMAGE = 1 };

// --- Header arrow and sort --------------------------------------------------

static void SetHeaderArrow(HWND header, int item, int show, int image)
{
    HDITEMA hd = {};
    hd.mask = HDI_FORMAT;
    // An item that does not exist (a foreign key from the settings file) is
    // left alone rather than written with a garbage format.
    if (!SendMessageA(header, HDM_GETITEMA, (WPARAM)item, (LPARAM)&hd))
        return;
    if (show) {
        hd.fmt |= HDF_IMAGE | HDF_BITMAP_ON_RIGHT;
        hd.mask |= HDI_IMAGE;
        hd.iImage = image;
    } else {
        // The image index stays in the item; without HDF_IMAGE it is not drawn.
        hd.fmt &= ~(HDF_IMAGE | HDF_BITMAP_ON_RIGHT);
    }
    SendMessageA(header, HDM_SETITEMA, (WPARAM)item, (LPARAM)&hd);
}

// --- Sort ---------------------------------------------------------------------

int SortList(HWND listView, int key)
{
    int column = key & SORT_KEY_COLUMN_MASK;
    int descending = (key & SORT_KEY_DESCENDING) ? 1 : 0;
    HWND header = (HWND)SendMessageA(listView, LVM_GETHEADER, 0, 0);
    if (header) {
        if (ArrowColumn != column && ArrowColumn != -1)
            SetHeaderArrow(header, ArrowColumn, 0, 0);
        SetHeaderArrow(header, column, 1, descending ? ARROW_DOWN_IMAGE : ARROW_UP_IMAGE);
    }
    ArrowColumn = column;
    if (!SortRowOrder(key))
        return 0;   // out of memory: the rows stay as they are
    ShowRowView(listView, 1);
    return 1;
}

void RedisplayDates(HWND listView)
{
    SwitchDateZone();
    InvalidateRect(listView, NULL, TRUE);
}
