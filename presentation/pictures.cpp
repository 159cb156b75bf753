#include "presentation/pictures.h"

#include "toolkit/image.h"

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

void load_graphics()
{
    for (const graphics_file& file : graphics_files)
        load_image(file.image, file.path);
}
