#pragma once
// The toolkit's private heap. The numbered tables and their records live in it, and the
// shutdown sequence releases it as a whole instead of freeing record by record.
// Until heap_create_private has run (as in tests), blocks come from the process heap.

#include <cstddef>

bool heap_create_private();
void heap_destroy_private();

// Zero-filled block, or nullptr when no memory is left.
void* heap_alloc(std::size_t size);
// Grows or shrinks a block; bytes added are zero. nullptr on failure, and the old block stays valid.
void* heap_realloc(void* block, std::size_t size);
void heap_free(void* block);
