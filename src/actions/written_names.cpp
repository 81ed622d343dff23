// The names of one copy run: which names it has written into its target
// folder and, per base name, the next number to try. A later row of the same
// run never replaces an earlier row's file, and a name repeated thousands of
// times costs one probe per row instead of one per earlier repeat.
//
// Names are compared as the file system stores them: the caller's base
// names have lost the trailing dots and blanks that it drops, and each name
// is kept as a 64-bit hash of its upper-case form (file names compare
// without case) in an open-addressing table of at least twice as many slots
// as the run can add names (per row the name written, an alias it went
// through and its base name), so the table never fills. Two names that
// share a hash only cost a numbered name, never a lost file.
#include "marrowick.h"

enum { MIN_NAME_SLOTS = 16, NAMES_PER_ROW = 3 };

static unsigned long long HashFileName(const char *name)
{
    char upper[ROW_TEXT_SIZE + 1];
    lstrcpynA(upper, name, sizeof(upper));
    CharUpperBuffA(upper, (DWORD)lstrlenA(upper));
    unsigned long long hash = 14695981039346656037ULL;  // FNV-1a
    for (const unsigned char *p = (const unsigned char *)upper; *p; p++)
        hash = (hash ^ *p) * 1099511628211ULL;
    return hash ? hash : 1;  // 0 marks an empty slot
}

int OpenRunNameTable(RunNameTable *table, int rows)
{
    int capacity = MIN_NAME_SLOTS;
    while (capacity < rows * NAMES_PER_ROW * 2)
        capacity *= 2;
    table->Slots = (RunNameSlot *)GlobalAlloc(GPTR, sizeof(RunNameSlot) * (SIZE_T)capacity);
    table->Capacity = table->Slots ? capacity : 0;
    return table->Slots != NULL;
}

void CloseRunNameTable(RunNameTable *table)
{
    if (table->Slots)
        GlobalFree(table->Slots);
    table->Slots = NULL;
    table->Capacity = 0;
}

// The slot that holds `name`, or the empty slot where it belongs; null when
// the table is full or absent. The slot's Hash is set to the name's.
static RunNameSlot *FindSlot(const RunNameTable *table, const char *name, int create)
{
    unsigned long long hash = HashFileName(name);
    int mask = table->Capacity - 1;
    int slot = (int)(hash & (unsigned long long)mask);
    for (int probe = 0; probe < table->Capacity; probe++, slot = (slot + 1) & mask) {
        RunNameSlot *entry = &table->Slots[slot];
        if (entry->Hash == hash)
            return entry;
        if (entry->Hash == 0) {
            if (!create)
                return NULL;
            entry->Hash = hash;
            return entry;
        }
    }
    return NULL;
}

int WasNameWritten(const RunNameTable *table, const char *name)
{
    const RunNameSlot *entry = FindSlot(table, name, 0);
    return entry && entry->Written;
}

// An 8.3 alias ("LONGNA~1.HTM") opens the long-named file it stands for, so
// a name that resolves to a file of another name is that file. Generated
// aliases always hold a "~": other names skip the look-up. The long name
// goes into AliasOf; 1 when this run wrote it.
static int ResolvesToWrittenFile(const RunNameTable *table, TargetChoice *choice)
{
    const char *name = choice->Path + choice->NameOffset;
    choice->AliasOf[0] = '\0';
    if (!strchr(name, '~'))
        return 0;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(choice->Path, &found);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    FindClose(find);
    if (lstrcmpiA(found.cFileName, name) == 0)
        return 0;
    lstrcpynA(choice->AliasOf, found.cFileName, sizeof(choice->AliasOf));
    return WasNameWritten(table, choice->AliasOf);
}

int ChooseTarget(const RunNameTable *table, const char *folder, const char *baseName, int autoRename,
                 TargetChoice *choice)
{
    int folderLength = lstrlenA(folder);
    int room = MAX_PATH - 1 - (folderLength + 1);
    if (room < 1)
        return 0;
    lstrcpyA(choice->Path, folder);
    choice->Path[folderLength] = '\\';
    choice->NameOffset = folderLength + 1;
    char *name = choice->Path + choice->NameOffset;
    const RunNameSlot *base = FindSlot(table, baseName, 0);
    // The first row of a base name tries the name itself; later rows go on
    // from the number the last one took.
    int number = base && base->NextNumber ? base->NextNumber : 1;
    for (;; number = number < 2 ? 2 : number + 1) {
        if (!MakeTargetName(name, room, baseName, number))
            return 0;
        if (WasNameWritten(table, name) || ResolvesToWrittenFile(table, choice))
            continue;
        // Only with auto-rename does a file from before the run count as
        // taken; without it that file is replaced.
        if (autoRename && PathExists(choice->Path))
            continue;
        choice->Number = number;
        return 1;
    }
}

void RememberTarget(RunNameTable *table, const char *baseName, const TargetChoice *choice)
{
    RunNameSlot *written = FindSlot(table, choice->Path + choice->NameOffset, 1);
    if (written)
        written->Written = 1;
    RunNameSlot *alias = choice->AliasOf[0] ? FindSlot(table, choice->AliasOf, 1) : NULL;
    if (alias)
        alias->Written = 1;
    RunNameSlot *base = FindSlot(table, baseName, 1);
    if (base)
        base->NextNumber = choice->Number < 2 ? 2 : choice->Number + 1;
}
