#include "about/about_window.h"

#include <string>

#include "about/product.h"
#include "presentation/pictures.h"
#include "toolkit/colour.h"
#include "toolkit/control.h"
#include "toolkit/date.h"
#include "toolkit/image.h"
#include "toolkit/window.h"

// The layout is given in pixels at 96 DPI; every size and place grows with the screen's DPI, as the
// font of the controls does.
namespace {

constexpr int client_width = 300;
constexpr int client_height = 250;
constexpr colour_value link_hover_colour = rgb(0, 53, 213);
constexpr char build_date_mask[] = "%hh:%ii:%ss Uhr - %dd.%mm.%yyyy";

struct text_line {
    int32_t control;
    int y;
    int width;
    std::string text;
};

}  // namespace

void open_about_window()
{
    // A window already open under the number is replaced, so there is never more than one.
    if (!open_window(about_window_number, 0, 0, scaled(client_width), scaled(client_height), "Informationen",
                     window_centre_screen))
        return;

    create_image_control(1, 0, 0, 0, 0, image_handle(banner_image), 0);  // it takes the banner's size

    const text_line lines[] = {
        {2, 60, 300, "Programm:\tVelmora"},
        {3, 80, 250, std::string("Version:\t\t") + version_text},
        {4, 100, 250, "Betriebssystem:\tWindows 7"},
        {5, 120, 250, "Sprache:\tDeutsch"},
        {6, 140, 250, "Kompilierung:\t" + format_date(build_date_mask, build_date)},
        {7, 160, 250, "Programmierer:\tTobren"},
        {8, 180, 250, "Homepage:"},
        {9, 200, 250, "E-Mail-Adresse:"},
    };
    for (const text_line& line : lines)
        create_text_control(line.control, scaled(10), scaled(line.y), scaled(line.width), scaled(20),
                            line.text.c_str(), 0);

    create_hyperlink_control(homepage_link_control, scaled(90), scaled(180), scaled(150), scaled(20), homepage_url,
                             link_hover_colour, hyperlink_underline);
    create_hyperlink_control(email_link_control, scaled(90), scaled(200), scaled(150), scaled(20), email_address,
                             link_hover_colour, hyperlink_underline);
    create_button_control(close_button_control, scaled(190), scaled(220), scaled(100), scaled(20), "Schließen", 0);
}

void compose_banner()
{
    // The banner fills the band above the text at every DPI, stretched smoothly from its file; the
    // icons are drawn afterwards at their own scaled size, so they stay sharp.
    SIZE size;
    if (image_size(image_handle(banner_image), &size))
        resize_image(banner_image, scaled(size.cx), scaled(size.cy));
    if (!start_drawing(image_output(banner_image)))
        return;
    // The icon files hold icons: anything else would not load as one.
    draw_image(static_cast<HICON>(image_handle(banner_left_icon_image)), scaled(9), scaled(9), scaled(32), scaled(32));
    draw_image(static_cast<HICON>(image_handle(banner_right_icon_image)), scaled(259), scaled(9), scaled(32),
               scaled(32));
    stop_drawing();
}
