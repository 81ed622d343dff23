// Entry point of Marrowick.
#include "marrowick.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    AppInstance = instance;
    return 0;
}
