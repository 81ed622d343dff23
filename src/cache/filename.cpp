// Local file name and icon of a row: the name is taken from the URL (or the
// attachment name), completed with an extension from the MIME database when
// it has none; the icon is the shell's small icon for that extension.
#include "marrowick.h"

#include <shellapi.h>

IconCacheRecord IconCache;
int DefaultFileIcon = -1;

enum { MIME_KEY_SIZE = 128, MIME_EXTENSION_SIZE = 16 };

const char *FindLastChar(const char *text, char c)
{
    const char *last = NULL;
    for (; *text; text++)
        if (*text == c)
            last = text;
    return last;
}

int ReadRegistryString(HKEY root, const char *subKey, const char *valueName, char *buffer, DWORD size)
{
    HKEY key;
    if (RegOpenKeyExA(root, subKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return 0;
    DWORD type = 0, length = size;
    // A zero-length value writes nothing at all: without this the caller
    // would read whatever the buffer held before.
    if (size > 0)
        buffer[0] = '\0';
    LONG status = RegQueryValueExA(key, valueName, NULL, &type, (BYTE *)buffer, &length);
    // A string stored without its terminator still ends inside the buffer.
    if (status == ERROR_SUCCESS && length < size)
        buffer[length] = '\0';
    if (size > 0)
        buffer[size - 1] = '\0';
    RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_SZ;
}

// The shell's small-icon index for a file name of that extension; the file
// need not exist and is never touched. -1 when the shell cannot tell.
static int QueryShellIcon(const char *name)
{
    SHFILEINFOA info = {};
    if (!SHGetFileInfoA(name, FILE_ATTRIBUTE_NORMAL, &info, sizeof(info),
                        SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES))
        return -1;
    return info.iIcon;
}

static int GetDefaultFileIcon()
{
    if (DefaultFileIcon == -1) {
        int icon = QueryShellIcon("file");
        DefaultFileIcon = icon < 0 ? 0 : icon;
    }
    return DefaultFileIcon;
}

// Icon of an extension (with its "."): the first ten extensions met are
// kept in IconCache, compared without regard to case; others ask the shell
// every time. One that does not fit an entry is never stored.
int GetExtensionIcon(const char *extension)
{
    for (int i = 0; i < IconCache.Count; i++)
        if (lstrcmpiA(IconCache.Entries[i].Extension, extension) == 0)
            return IconCache.Entries[i].IconIndex;
    int icon = QueryShellIcon(extension);
    if (icon < 0)
        return GetDefaultFileIcon();
    if (IconCache.Count < countof(IconCache.Entries) && lstrlenA(extension) < ICON_EXTENSION_SIZE) {
        IconCacheEntry *entry = &IconCache.Entries[IconCache.Count++];
        entry->IconIndex = icon;
        lstrcpyA(entry->Extension, extension);
    }
    return icon;
}

// Moves `name` to the front of the working copy when `extra` more
// characters would not fit behind it; the rest of the copy is scratch.
// Null when even the front has no room.
static char *MakeRoom(char *url, int urlSize, char *name, int extra)
{
    int length = lstrlenA(name);
    if ((name - url) + length + extra < urlSize)
        return name;
    if (length + extra >= urlSize)
        return NULL;
    MoveMemory(url, name, (SIZE_T)length + 1);
    return url;
}

// The name after the last "/": a leading "?" is stepped over and the name
// ends before its last "?". An empty name falls back to the path segment in
// front of that "/" ("http://host1/dir/" gives "dir", "http://host1/" gives
// "host1"), also when the "/" is followed by a lone "?".
static char *NameFromUrl(char *url)
{
    char *slash = (char *)FindLastChar(url, '/');
    if (!slash)
        return url;
    char *name = slash + 1;
    if (*name == '?')
        name++;
    char *query = (char *)FindLastChar(name, '?');
    if (query)
        *query = '\0';
    if (*name)
        return name;
    *slash = '\0';
    slash = (char *)FindLastChar(url, '/');
    return slash ? slash + 1 : url;
}

// Appends the MIME database's extension for `mediaType` when it has one that
// begins with "." and the working copy has room for it.
static void AppendMimeExtension(char *url, int urlSize, char **name, const char *mediaType)
{
    char key[MIME_KEY_SIZE], extension[MIME_EXTENSION_SIZE];
    wsprintfA(key, "MIME\\Database\\Content Type\\%.99s", mediaType);
    if (!ReadRegistryString(HKEY_CLASSES_ROOT, key, "Extension", extension, sizeof(extension)) ||
        extension[0] != '.')
        return;
    char *room = MakeRoom(url, urlSize, *name, lstrlenA(extension));
    if (!room)
        return;
    lstrcatA(room, extension);
    *name = room;
}

const char *MakeLocalFileName(char *url, int urlSize, const char *attachment, const char *mediaType, int *iconIndex)
{
    char *name;
    if (attachment) {
        // The attachment name replaces the rest of the path and the query.
        char *slash = (char *)FindLastChar(url, '/');
        name = slash ? slash + 1 : url;
        *name = '\0';
        name = MakeRoom(url, urlSize, name, lstrlenA(attachment));
        if (!name) {
            name = url;
            *name = '\0';
        }
        lstrcpynA(name, attachment, urlSize - (int)(name - url));
    } else {
        name = NameFromUrl(url);
    }
    if (!FindLastChar(name, '.') && mediaType)
        AppendMimeExtension(url, urlSize, &name, mediaType);
    const char *extension = FindLastChar(name, '.');
    *iconIndex = extension ? GetExtensionIcon(extension) : GetDefaultFileIcon();
    return name;
}
