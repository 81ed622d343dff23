// Process-wide records shared by every area of the program.
#include "marrowick.h"

AppSettingsRecord AppSettings;
char SettingsFilePath[MAX_PATH];
HINSTANCE AppInstance;
unsigned char *SharedReadBuffer;
