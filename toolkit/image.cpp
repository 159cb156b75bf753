// Placeholder until the image library lands.
#include "toolkit/image.h"

void init_image_library() {}
intptr_t load_image(int32_t, const char*, uint32_t) { return 0; }
intptr_t create_image(int32_t, int, int, int) { return 0; }
HANDLE image_handle(int32_t) { return nullptr; }
bool image_details(int32_t, image_info*) { return false; }
void free_image(int32_t) {}
HANDLE detach_image(int32_t) { return nullptr; }
void free_all_images() {}
int32_t live_image_count() { return 0; }
drawing_target image_output(int32_t) { return {}; }
HDC start_drawing(const drawing_target&) { return nullptr; }
void stop_drawing() {}
void draw_box(int, int, int, int, colour_value) {}
void draw_image(HANDLE, int, int, int, int) {}
void release_image_handle(HANDLE) {}
