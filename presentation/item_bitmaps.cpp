// Placeholder until the menu pictures land.
#include "presentation/item_bitmaps.h"

const graphics_file graphics_files[13] = {};
void load_graphics() {}
void compose_banner() {}
void fetch_entry_icon(const std::string&, uint8_t) {}
int32_t make_entry_bitmap() { return 0; }
void make_folder_bitmap() {}
void release_entry_bitmaps() {}
int32_t entry_bitmap_count() { return 0; }
