// Cache file actions: payload extraction, copy and open of selected cache
// files, deletion and links.
#ifndef MARROWICK_ACTIONS_H
#define MARROWICK_ACTIONS_H

// --- Payload extraction ---------------------------------------------------
// Writes the payload of a cache file into `targetPath` (replacing an existing
// file when `overwrite` is non-zero). 1 when written completely, else 0.
int ExtractPayload(HWND owner, const char *cachePath, const char *targetPath, int overwrite);

// --- Copy and open --------------------------------------------------------
void OpenSelectedCacheFile(HWND mainWindow, HWND listView);
void CopySelectedCacheFiles(HWND mainWindow, HWND listView);
void ExtractSelectedPayloads(HWND owner, HWND listView, const char *cacheFolder, const char *targetFolder, int flags);
void ReplaceInvalidFileNameChars(char *text);
const char *MakeNumberedFileName(const char *name, int number);
int PathExists(const char *path);
int IsFullFolderPath(const char *path);
int CreateFolderPath(const char *path);
int CreateTempFolder(char *buffer);
int DeleteFolderTree(char *path);

// --- Delete and links -----------------------------------------------------
void DeleteSelectedCacheFiles(HWND mainWindow, HWND listView, const char *cacheFolder, int toRecycle);
int DeleteCacheFile(HWND owner, const char *path, int toRecycle);
void OpenSelectedLink(HWND mainWindow, HWND listView);

#endif
