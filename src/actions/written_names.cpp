// The names that one copy run has written into its target folder, so that a
// later row of the same run never replaces an earlier row's file.
//
// Each name is kept as a 64-bit hash of its upper-case form (file names
// compare without case) in an open-addressing table of at least twice as
// many slots as the run has rows, so the table never fills. Two names that
// share a hash only cost a numbered name, never a lost file.
#include "marrowick.h"

enum { MIN_WRITTEN_SLOTS = 16 };

static unsigned long long HashFileName(const char *name)
{
    char upper[ACTION_PATH_SIZE];
    lstrcpynA(upper, name, sizeof(upper));
    CharUpperBuffA(upper, (DWORD)lstrlenA(upper));
    unsigned long long hash = 14695981039346656037ULL;  // FNV-1a
    for (const unsigned char *p = (const unsigned char *)upper; *p; p++)
        hash = (hash ^ *p) * 1099511628211ULL;
    return hash ? hash : 1;  // 0 marks an empty slot
}

int OpenWrittenNameSet(WrittenNameSet *set, int rows)
{
    int capacity = MIN_WRITTEN_SLOTS;
    while (capacity < rows * 2)
        capacity *= 2;
    set->Slots = (unsigned long long *)GlobalAlloc(GPTR, sizeof(unsigned long long) * (SIZE_T)capacity);
    set->Capacity = set->Slots ? capacity : 0;
    return set->Slots != NULL;
}

void CloseWrittenNameSet(WrittenNameSet *set)
{
    if (set->Slots)
        GlobalFree(set->Slots);
    set->Slots = NULL;
    set->Capacity = 0;
}

// The slot that holds `hash`, or the empty slot where it belongs; -1 when
// the table is full.
static int FindSlot(const WrittenNameSet *set, unsigned long long hash)
{
    int mask = set->Capacity - 1;
    int slot = (int)(hash & (unsigned long long)mask);
    for (int probe = 0; probe < set->Capacity; probe++, slot = (slot + 1) & mask)
        if (set->Slots[slot] == hash || set->Slots[slot] == 0)
            return slot;
    return -1;
}

int WasNameWritten(const WrittenNameSet *set, const char *name)
{
    unsigned long long hash = HashFileName(name);
    int slot = set->Capacity ? FindSlot(set, hash) : -1;
    return slot >= 0 && set->Slots[slot] == hash;
}

void RememberWrittenName(WrittenNameSet *set, const char *name)
{
    unsigned long long hash = HashFileName(name);
    int slot = set->Capacity ? FindSlot(set, hash) : -1;
    if (slot >= 0)
        set->Slots[slot] = hash;
}
