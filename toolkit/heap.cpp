#include "toolkit/heap.h"

#include <windows.h>

static HANDLE g_private_heap;

static HANDLE current_heap()
{
    return g_private_heap ? g_private_heap : GetProcessHeap();
}

bool heap_create_private()
{
    if (!g_private_heap)
        g_private_heap = HeapCreate(0, 4096, 0);
    return g_private_heap != nullptr;
}

void heap_destroy_private()
{
    if (g_private_heap) {
        HeapDestroy(g_private_heap);
        g_private_heap = nullptr;
    }
}

void* heap_alloc(std::size_t size)
{
    return HeapAlloc(current_heap(), HEAP_ZERO_MEMORY, size ? size : 1);
}

void* heap_realloc(void* block, std::size_t size)
{
    if (!block)
        return heap_alloc(size);
    return HeapReAlloc(current_heap(), HEAP_ZERO_MEMORY, block, size ? size : 1);
}

void heap_free(void* block)
{
    if (block)
        HeapFree(current_heap(), 0, block);
}
