#include "app/velmora.h"

[[noreturn]] void velmora_main()
{
    ExitProcess(0);
}
