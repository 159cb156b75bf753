// Placeholder until the menu assembly lands.
#include "presentation/menu_assembly.h"

void build_start_menu(const programs_tree&) {}
void attach_folder_bitmaps() {}
