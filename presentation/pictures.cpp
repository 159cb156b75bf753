#include "presentation/pictures.h"

#include <windows.h>

#include "catalogue/start_menu_fs.h"
#include "toolkit/image.h"
#include "toolkit/process.h"

const graphics_file graphics_files[13] = {
    {10, "Grafiken\\Abmelden.bmp"},
    {11, "Grafiken\\Ausfuehren.bmp"},
    {12, "Grafiken\\Herunterfahren.bmp"},
    {13, "Grafiken\\Neustarten.bmp"},
    {14, "Grafiken\\Ruhezustand.bmp"},
    {15, "Grafiken\\Standby.bmp"},
    {16, "Grafiken\\Suchen.bmp"},
    {17, "Grafiken\\Wechseln.bmp"},
    {18, "Grafiken\\Informationen.bmp"},
    {19, "Grafiken\\Beenden.bmp"},
    {20, "Grafiken\\Banner.bmp"},
    {21, "Grafiken\\Quarnet-Logo.ico"},
    {22, "Grafiken\\Velmora.ico"},
};

std::string graphics_folder()
{
    return probe_path("Grafiken") == probe_folder ? "" : program_folder();
}

void load_graphics()
{
    const std::string folder = graphics_folder();
    const picture_size size = menu_picture_size();
    for (const graphics_file& file : graphics_files) {
        if (!load_image(file.image, (folder + file.path).c_str()))
            continue;
        if (file.image < banner_image)
            resize_image(file.image, size.width, size.height);
    }
}

picture_size menu_picture_size()
{
    const int width = GetSystemMetrics(SM_CXSMICON), height = GetSystemMetrics(SM_CYSMICON);
    return width > 0 && height > 0 ? picture_size{width, height} : picture_size{16, 16};
}
