// The row store: row records in one doubling array, their texts in chunks
// of 1 MiB, the three dates as instants formatted on demand.
#include "marrowick.h"

#include <string.h>

RowStoreRecord RowStore;

enum {
    FIRST_ROW_CAPACITY = 1024,
    FIRST_CHUNK_CAPACITY = 16,
    // A row's texts come from 4,096 header bytes, plus the derived Filename
    // and the few converted texts: far below the 65,535 a text offset holds.
    ROW_TEXTS_MAX = 0xFFFF
};

// Columns kept as text, in the order their texts lie in the pool.
static const int TextColumns[] = {COL_FILENAME, COL_URL,  COL_CONTENT_TYPE, COL_FILE_SIZE,
                                  COL_SERVER_RESPONSE, COL_ETAG, COL_CACHE_FILE};

static void *GrowBlock(void *block, SIZE_T size)
{
    HANDLE heap = GetProcessHeap();
    return block ? HeapReAlloc(heap, 0, block, size) : HeapAlloc(heap, 0, size);
}

void ClearRowStore(void)
{
    HANDLE heap = GetProcessHeap();
    for (int i = 0; i < RowStore.ChunkCount; i++)
        HeapFree(heap, 0, RowStore.Chunks[i]);
    if (RowStore.Chunks)
        HeapFree(heap, 0, RowStore.Chunks);
    if (RowStore.Rows)
        HeapFree(heap, 0, RowStore.Rows);
    if (RowView.Order)
        HeapFree(heap, 0, RowView.Order);
    if (RowView.Shown)
        HeapFree(heap, 0, RowView.Shown);
    unsigned int generation = RowStore.DateGeneration;
    ZeroMemory(&RowStore, sizeof(RowStore));
    ZeroMemory(&RowView, sizeof(RowView));
    RowStore.DateGeneration = generation ? generation : 1;
}

static int ReserveRow(void)
{
    if (RowStore.Count < RowStore.Capacity)
        return 1;
    int capacity = RowStore.Capacity ? RowStore.Capacity * 2 : FIRST_ROW_CAPACITY;
    StoredRow *rows = (StoredRow *)GrowBlock(RowStore.Rows, sizeof(StoredRow) * (SIZE_T)capacity);
    if (!rows)
        return 0;
    RowStore.Rows = rows;
    RowStore.Capacity = capacity;
    return 1;
}

// Room for `size` bytes of texts in one chunk; the pool position, or -1.
static long long ReserveTexts(int size)
{
    if (RowStore.ChunkCount == 0 || RowStore.ChunkUsed + size > STORE_TEXT_CHUNK_SIZE) {
        if (RowStore.ChunkCount == RowStore.ChunkCapacity) {
            int capacity = RowStore.ChunkCapacity ? RowStore.ChunkCapacity * 2 : FIRST_CHUNK_CAPACITY;
            char **chunks = (char **)GrowBlock(RowStore.Chunks, sizeof(char *) * (SIZE_T)capacity);
            if (!chunks)
                return -1;
            RowStore.Chunks = chunks;
            RowStore.ChunkCapacity = capacity;
        }
        char *chunk = (char *)HeapAlloc(GetProcessHeap(), 0, STORE_TEXT_CHUNK_SIZE);
        if (!chunk)
            return -1;
        RowStore.Chunks[RowStore.ChunkCount++] = chunk;
        RowStore.ChunkUsed = 0;
    }
    long long start = (long long)(RowStore.ChunkCount - 1) * STORE_TEXT_CHUNK_SIZE + RowStore.ChunkUsed;
    RowStore.ChunkUsed += size;
    return start;
}

static char *PoolText(unsigned int position)
{
    return RowStore.Chunks[position / STORE_TEXT_CHUNK_SIZE] + position % STORE_TEXT_CHUNK_SIZE;
}

// Copies the row's seven texts into the pool one after the other.
static int StoreTexts(StoredRow *stored, const CacheRow *row)
{
    int lengths[COLUMN_COUNT], total = 0;
    for (int column : TextColumns) {
        lengths[column] = lstrlenA(row->Text[column]);
        total += lengths[column] + 1;
    }
    if (total > ROW_TEXTS_MAX)
        return 0;
    long long start = ReserveTexts(total);
    if (start < 0)
        return 0;
    stored->TextStart = (unsigned int)start;
    char *out = PoolText(stored->TextStart);
    int offset = 0;
    for (int column : TextColumns) {
        stored->TextOffset[column] = (unsigned short)offset;
        memcpy(out + offset, row->Text[column], (size_t)lengths[column] + 1);
        offset += lengths[column] + 1;
    }
    return 1;
}

// Formats the row's three dates into their slots for the present zone. A
// text too long for its slot is left empty there and formatted on each ask.
static void FormatRowDates(StoredRow *stored)
{
    char text[DATE_TEXT_SIZE];
    for (int i = 0; i < DATE_COLUMN_COUNT; i++) {
        int length = FormatDateTicks(stored->Instant[i], text);
        stored->DateText[i][0] = '\0';
        if (length < DATE_SLOT_SIZE)
            memcpy(stored->DateText[i], text, (size_t)length + 1);
    }
    stored->DateGeneration = RowStore.DateGeneration;
}

int AppendStoreRow(const CacheRow *row, int bucket)
{
    if (!RowStore.DateGeneration)
        RowStore.DateGeneration = 1;
    if (!ReserveRow())
        return -1;
    StoredRow *stored = &RowStore.Rows[RowStore.Count];
    ZeroMemory(stored, sizeof(*stored));
    if (!StoreTexts(stored, row))
        return -1;
    stored->SizeKey = DigitsValue(row->Text[COL_FILE_SIZE]);
    for (int i = 0; i < DATE_COLUMN_COUNT; i++)
        stored->Instant[i] = HttpDateTicks(row->Text[DATE_COLUMN_FIRST + i]);
    stored->PayloadSize = row->PayloadSize;
    stored->IconIndex = row->IconIndex;
    stored->Bucket = (unsigned char)bucket;
    stored->Flags = ROW_SHOWN;
    // Formatted once here, as the scan always did: the first filter then
    // finds the texts ready.
    FormatRowDates(stored);
    RowStore.LiveCount++;
    return RowStore.Count++;
}

static const char *DateText(StoredRow *stored, int index)
{
    static char wide[DATE_COLUMN_COUNT][DATE_TEXT_SIZE];
    if (stored->DateGeneration != RowStore.DateGeneration)
        FormatRowDates(stored);
    if (stored->DateText[index][0] || !stored->Instant[index])
        return stored->DateText[index];
    FormatDateTicks(stored->Instant[index], wide[index]);
    return wide[index];
}

const char *RowText(int row, int column)
{
    if (row < 0 || row >= RowStore.Count || column < 0 || column >= COLUMN_COUNT)
        return "";
    StoredRow *stored = &RowStore.Rows[row];
    int date = column - DATE_COLUMN_FIRST;
    if (date >= 0 && date < DATE_COLUMN_COUNT)
        return DateText(stored, date);
    return PoolText(stored->TextStart) + stored->TextOffset[column];
}

int RowInstant(int row, int column, FILETIME *time)
{
    int date = column - DATE_COLUMN_FIRST;
    if (row < 0 || row >= RowStore.Count || date < 0 || date >= DATE_COLUMN_COUNT)
        return 0;
    unsigned long long ticks = RowStore.Rows[row].Instant[date];
    time->dwLowDateTime = (DWORD)ticks;
    time->dwHighDateTime = (DWORD)(ticks >> 32);
    return ticks != 0;
}

void SwitchDateZone(void)
{
    // Generation 0 is reserved for "never formatted".
    if (++RowStore.DateGeneration == 0)
        RowStore.DateGeneration = 1;
}

int BuildRowCachePath(HWND owner, const char *format, char *out, const char *cacheFolder, int row)
{
    char bucket[3];
    const char *name = RowText(row, COL_CACHE_FILE);
    wsprintfA(bucket, "%02x", row >= 0 && row < RowStore.Count ? RowStore.Rows[row].Bucket : 0);
    if (JoinPathParts(out, ACTION_PATH_SIZE, cacheFolder, bucket, name))
        return 1;
    if (format)
        ShowPathTooLong(owner, format, cacheFolder, bucket, name);
    return 0;
}

void MarkRowDeleted(int row)
{
    if (row < 0 || row >= RowStore.Count || (RowStore.Rows[row].Flags & ROW_DELETED))
        return;
    RowStore.Rows[row].Flags = ROW_DELETED;
    RowStore.LiveCount--;
}
