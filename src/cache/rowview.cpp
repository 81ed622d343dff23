// The view of the row store: the sort order of the live rows and the rows
// of it that the quick filter lets through. Sorting moves row numbers in an
// index array and compares stored keys (numbers and instants), never texts
// read back from a control.
#include "marrowick.h"

RowViewRecord RowView;

// Kind of each ColumnId for sorting.
static const ColumnKind ColumnKinds[COLUMN_COUNT] = {
    KIND_TEXT, KIND_TEXT, KIND_TEXT,    // Filename, URL, Content Type
    KIND_NUMBER,                        // File Size
    KIND_DATE, KIND_DATE, KIND_DATE,    // Server Time, Last Modified, Expire Time
    KIND_TEXT, KIND_TEXT, KIND_TEXT,    // Server Response, ETag, Cache File
};

unsigned long long DigitsValue(const char *text)
{
    const unsigned long long max = ~0ULL;
    unsigned long long value = 0;
    for (; *text; text++) {
        if (*text < '0' || *text > '9')
            continue;   // group separators, blanks, letters
        unsigned digit = (unsigned)(*text - '0');
        if (value > (max - digit) / 10)
            return max;
        value = value * 10 + digit;
    }
    return value;
}

static int ReserveView(void)
{
    if (RowView.Capacity >= RowStore.Count && RowView.Order)
        return 1;
    int capacity = RowStore.Count + 1;
    HANDLE heap = GetProcessHeap();
    int *order = (int *)HeapAlloc(heap, 0, sizeof(int) * (SIZE_T)capacity);
    int *shown = (int *)HeapAlloc(heap, 0, sizeof(int) * (SIZE_T)capacity);
    if (!order || !shown) {
        if (order)
            HeapFree(heap, 0, order);
        if (shown)
            HeapFree(heap, 0, shown);
        return 0;
    }
    if (RowView.Order) {
        CopyMemory(order, RowView.Order, sizeof(int) * (SIZE_T)RowView.OrderCount);
        CopyMemory(shown, RowView.Shown, sizeof(int) * (SIZE_T)RowView.ShownCount);
        HeapFree(heap, 0, RowView.Order);
        HeapFree(heap, 0, RowView.Shown);
    }
    RowView.Order = order;
    RowView.Shown = shown;
    RowView.Capacity = capacity;
    return 1;
}

int ResetRowOrder(void)
{
    if (!ReserveView())
        return 0;
    RowView.OrderCount = 0;
    for (int row = 0; row < RowStore.Count; row++)
        if (!(RowStore.Rows[row].Flags & ROW_DELETED))
            RowView.Order[RowView.OrderCount++] = row;
    RebuildShownRows();
    return 1;
}

void RebuildShownRows(void)
{
    RowView.ShownCount = 0;
    for (int i = 0; i < RowView.OrderCount; i++) {
        int row = RowView.Order[i];
        if ((RowStore.Rows[row].Flags & (ROW_SHOWN | ROW_DELETED)) == ROW_SHOWN)
            RowView.Shown[RowView.ShownCount++] = row;
    }
}

void RemoveDeletedRows(void)
{
    int kept = 0;
    for (int i = 0; i < RowView.OrderCount; i++)
        if (!(RowStore.Rows[RowView.Order[i]].Flags & ROW_DELETED))
            RowView.Order[kept++] = RowView.Order[i];
    RowView.OrderCount = kept;
    RebuildShownRows();
}

int ShownRowAt(int index)
{
    return index >= 0 && index < RowView.ShownCount ? RowView.Shown[index] : -1;
}

static int CompareKeys(unsigned long long a, unsigned long long b)
{
    return a < b ? -1 : (a > b ? 1 : 0);
}

int CompareStoredRows(int a, int b, int column)
{
    const StoredRow *ra = &RowStore.Rows[a], *rb = &RowStore.Rows[b];
    ColumnKind kind = column >= 0 && column < COLUMN_COUNT ? ColumnKinds[column] : KIND_TEXT;
    if (kind == KIND_DATE) {
        // An empty cell goes before every date, and equals another empty one.
        int date = column - DATE_COLUMN_FIRST;
        unsigned long long ta = ra->Instant[date], tb = rb->Instant[date];
        if (!ta || !tb)
            return (ta != 0) - (tb != 0);
        return CompareKeys(ta, tb);
    }
    const char *textA = RowText(a, column), *textB = RowText(b, column);
    if (!textA[0] || !textB[0])
        return (textA[0] != 0) - (textB[0] != 0);
    if (kind == KIND_NUMBER)
        return CompareKeys(ra->SizeKey, rb->SizeKey);
    return lstrcmpiA(textA, textB);
}

struct SortPass {
    int Column;
    int Descending;
};

// Merges two sorted runs of `from` into `to`; the left run wins ties, so
// rows that compare equal keep their order (scan order).
static void MergeRuns(const SortPass *pass, const int *from, int *to, int left, int middle, int right)
{
    int i = left, j = middle, out = left;
    while (i < middle && j < right) {
        int result = CompareStoredRows(from[j], from[i], pass->Column);
        if (pass->Descending)
            result = -result;
        to[out++] = result < 0 ? from[j++] : from[i++];
    }
    while (i < middle)
        to[out++] = from[i++];
    while (j < right)
        to[out++] = from[j++];
}

// Bottom-up merge sort of Order, using Shown as the second buffer.
static void MergeSortOrder(const SortPass *pass)
{
    int count = RowView.OrderCount;
    int *from = RowView.Order, *to = RowView.Shown;
    for (int width = 1; width < count; width *= 2) {
        for (int left = 0; left < count; left += 2 * width) {
            int middle = left + width < count ? left + width : count;
            int right = left + 2 * width < count ? left + 2 * width : count;
            MergeRuns(pass, from, to, left, middle, right);
        }
        int *swap = from;
        from = to;
        to = swap;
    }
    if (from != RowView.Order)
        CopyMemory(RowView.Order, from, sizeof(int) * (SIZE_T)count);
}

int SortRowOrder(int key)
{
    if (!ReserveView())
        return 0;
    if (key != -1) {
        SortPass pass = {key & SORT_KEY_COLUMN_MASK, (key & SORT_KEY_DESCENDING) ? 1 : 0};
        MergeSortOrder(&pass);
    }
    RebuildShownRows();
    return 1;
}
