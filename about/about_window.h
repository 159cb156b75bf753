#pragma once
// The "Informationen" window: banner, product lines, two links and a close button.

constexpr int about_window_number = 1;
constexpr int homepage_link_control = 10;
constexpr int email_link_control = 11;
constexpr int close_button_control = 12;

// Start-up, main thread, after load_graphics: brings the banner picture to the screen's DPI and
// draws the two icons onto it.
void compose_banner();

void open_about_window();
