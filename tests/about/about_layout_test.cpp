// test-lock: desktop
// test-label: setups
// The about window at the session's DPI, opened in this process, so that its texts are measured
// with the controls' own font: every control where the 96-DPI layout puts it, scaled; every text
// inside its control, and clear of the others, as well as at 96 DPI. (Fonts do not grow exactly with
// the DPI, and the code page chooses them: where the system's font is wider, a text may overrun its
// control at 96 DPI already; more DPI must not make it worse.)

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "about/about_window.h"
#include "presentation/pictures.h"
#include "tests/support/test_support.h"
#include "toolkit/control.h"
#include "toolkit/image.h"
#include "toolkit/window.h"

namespace {

using test::scaled;

// The text's rectangle as the control draws it, one line with tabs expanded at the standard stops,
// from the control's top-left corner at (x, y), in font.
RECT text_place(HWND control, HFONT font, int x, int y)
{
    wchar_t text[512] = {};
    const int length = GetWindowTextW(control, text, 512);
    HDC dc = GetDC(nullptr);
    HGDIOBJ displaced = SelectObject(dc, font);
    RECT extent = {};
    DrawTextW(dc, text, length, &extent, DT_CALCRECT | DT_EXPANDTABS | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, displaced);
    ReleaseDC(nullptr, dc);
    OffsetRect(&extent, x, y);
    return extent;
}

TEST(AboutLayout, EveryControlAndTextGrowsWithTheDpiAndKeepsToItsPlace)
{
    init_image_library();
    init_window_library();
    init_control_library();
    load_graphics();  // the banner from the Grafiken beside this program
    compose_banner();
    open_about_window();
    HWND about = window_handle(about_window_number);
    ASSERT_NE(about, nullptr);
    RECT client;
    GetClientRect(about, &client);
    EXPECT_EQ(client.right * 1000 + client.bottom, scaled(300) * 1000 + scaled(250));

    // The 96-DPI layout: x, y, width, height; the banner takes the size of its 300 x 55 file.
    const struct { int control, x, y, width, height; } layout[] = {
        {1, 0, 0, 300, 55},     {2, 10, 60, 300, 20},  {3, 10, 80, 250, 20},   {4, 10, 100, 250, 20},
        {5, 10, 120, 250, 20},  {6, 10, 140, 250, 20}, {7, 10, 160, 250, 20},  {8, 10, 180, 250, 20},
        {9, 10, 200, 250, 20},  {10, 90, 180, 150, 20}, {11, 90, 200, 150, 20}, {12, 190, 220, 100, 20},
    };
    const int dpi = test::session_dpi();
    std::vector<std::pair<int, RECT>> texts, texts_at_96;
    for (const auto& row : layout) {
        HWND control = GetDlgItem(about, row.control);
        RECT place = {};
        GetWindowRect(control, &place);
        MapWindowPoints(nullptr, about, reinterpret_cast<POINT*>(&place), 2);
        EXPECT_EQ(std::vector<LONG>({place.left, place.top, place.right - place.left, place.bottom - place.top}),
                  std::vector<LONG>({scaled(row.x), scaled(row.y), scaled(row.width), scaled(row.height)}))
            << row.control;
        if (row.control == 1)
            continue;
        // The control's font, and the same font as it is at 96 DPI.
        const auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
        LOGFONTW description = {};
        ASSERT_TRUE(GetObjectW(font, sizeof description, &description));
        description.lfHeight = MulDiv(description.lfHeight, 96, dpi);
        HFONT font_at_96 = CreateFontIndirectW(&description);
        const RECT text = text_place(control, font, place.left, place.top);
        const RECT text_at_96 = text_place(control, font_at_96, row.x, row.y);
        DeleteObject(font_at_96);
        texts.emplace_back(row.control, text);
        texts_at_96.emplace_back(row.control, text_at_96);
        // Brought back to 96 DPI, the text is no wider than its control, or than it was at 96 DPI.
        const int width = MulDiv(text.right - text.left, 96, dpi), width_at_96 = text_at_96.right - text_at_96.left;
        EXPECT_LE(width, std::max(row.width, width_at_96) + 1)
            << row.control << " " << test::window_text(control) << ": " << text.right - text.left << " pixels in "
            << place.right - place.left << ", at 96 DPI " << width_at_96 << " in " << row.width;
        EXPECT_LE(text.bottom, place.bottom) << row.control;
    }
    // The labels lie under the links beside them: their texts must stay apart unless they met at
    // 96 DPI already.
    for (std::size_t i = 0; i < texts.size(); ++i)
        for (std::size_t k = i + 1; k < texts.size(); ++k) {
            RECT common;
            EXPECT_TRUE(!IntersectRect(&common, &texts[i].second, &texts[k].second) ||
                        IntersectRect(&common, &texts_at_96[i].second, &texts_at_96[k].second))
                << texts[i].first << " and " << texts[k].first << " overlap, which they do not at 96 DPI";
        }
    close_window(about_window_number);
    free_all_images();
}

}  // namespace
