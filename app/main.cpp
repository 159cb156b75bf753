// Velmora.exe: a start menu beside the Windows shell.

#include <windows.h>

#include "app/velmora.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    velmora_main();
}
