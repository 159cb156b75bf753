// Control library.
//
// A control is a child window under a caller-chosen number. Its window ID is its number, so any
// control HWND leads back to its slot; a slot counts only while it still names that very window.
// Every control is subclassed with the common procedure, which forwards to the procedure below
// it and, after WM_NCDESTROY, runs the kind's release hook and frees the number. Procedure chains:
//   image:      common -> image procedure -> platform STATIC
//   hyperlink:  hyperlink procedure -> common -> platform STATIC
//   text, button: common -> platform procedure
// Everything here runs on the thread that owns the windows.
//
// Controls are Unicode windows, made and subclassed with the wide functions: their texts, written in
// Windows-1252 by the program, reach them as UTF-16 and are never read through the system's ANSI
// code page.

#include "toolkit/control.h"

#include <commctrl.h>
#include <windowsx.h>

#include "toolkit/colour.h"
#include "toolkit/heap.h"
#include "toolkit/image.h"
#include "toolkit/numbered_table.h"
#include "toolkit/process.h"
#include "toolkit/wide.h"
#include "toolkit/window.h"

namespace {

constexpr char control_number_property[] = "VelmoraControlNumber";  // number + 1
constexpr int32_t table_slots = 50;
constexpr LONG_PTR unregistered_id = -1;

constexpr DWORD image_style = WS_CHILD | WS_VISIBLE | SS_NOTIFY;      // 0x50000100
constexpr DWORD text_style = WS_CHILD | WS_VISIBLE | WS_GROUP;        // 0x50020000
constexpr DWORD hyperlink_style = WS_CHILD;                           // shown once complete
constexpr DWORD button_style = WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP;
constexpr COLORREF hyperlink_ink = rgb(0, 0, 0);

struct hyperlink_record {
    HFONT font;
    uint32_t flags;
    WNDPROC previous;  // the common procedure below the hyperlink's own
    COLORREF hover;
};

struct control_slot;

struct control_kind {
    void (*release_hook)(control_slot* slot);  // when the control's window is destroyed
};

struct control_slot {
    HWND window;  // nullptr: the number is free
    const control_kind* kind;
    WNDPROC previous;
    HANDLE image;            // image controls: the bitmap or icon drawn
    hyperlink_record* link;  // hyperlinks
};

struct control_library {
    numbered_table<control_slot> controls;
    HFONT default_font;
    WNDPROC static_procedure;  // below every image procedure
    HCURSOR hyperlink_cursor;
};

control_library g_library;

void release_hyperlink(control_slot* slot)
{
    heap_free(slot->link);
    slot->link = nullptr;
}

constexpr control_kind button_kind = {nullptr};
constexpr control_kind text_kind = {nullptr};
constexpr control_kind image_kind = {nullptr};
constexpr control_kind hyperlink_kind = {release_hyperlink};

control_slot* slot_of(HWND window, const control_kind* kind = nullptr)
{
    auto id = static_cast<int32_t>(GetWindowLongPtrW(window, GWLP_ID));
    control_slot* slot = g_library.controls.find(id);
    if (!slot || slot->window != window)
        return nullptr;
    return !kind || slot->kind == kind ? slot : nullptr;
}

void unregister_control(HWND window)
{
    control_slot* slot = slot_of(window);
    if (!slot)
        return;
    if (slot->kind->release_hook)
        slot->kind->release_hook(slot);
    auto number = static_cast<int32_t>(GetWindowLongPtrW(window, GWLP_ID));
    RemovePropA(window, control_number_property);
    SetWindowLongPtrW(window, GWLP_ID, unregistered_id);
    g_library.controls.release(number);
}

LRESULT CALLBACK VELMORA_CALLBACK common_procedure(HWND window, UINT message, WPARAM wparam,
                                                  LPARAM lparam)
{
    control_slot* slot = slot_of(window);
    if (!slot)
        return DefWindowProcW(window, message, wparam, lparam);
    LRESULT result = CallWindowProcW(slot->previous, window, message, wparam, lparam);
    if (message == WM_NCDESTROY)
        unregister_control(window);
    return result;
}

// The child window of a new control, in the current list, with ID -1 until it is registered.
// text: Windows-1252.
HWND make_control_window(int32_t number, const wchar_t* window_class, const char* text, DWORD style,
                         DWORD ex_style, int x, int y, int width, int height)
{
    HWND container = current_control_list();
    if (!container || number < 0 || number >= first_dynamic_id)
        return nullptr;
    const std::wstring wide_text = wide_from_1252(text ? text : "");
    return CreateWindowExW(ex_style, window_class, text ? wide_text.c_str() : nullptr, style, x, y, width, height,
                           container, reinterpret_cast<HMENU>(unregistered_id), GetModuleHandleW(nullptr), nullptr);
}

// Puts a freshly made window under the number. On failure the window is destroyed.
control_slot* register_control(int32_t number, HWND window, const control_kind* kind)
{
    control_slot* slot = g_library.controls.claim(&number);
    if (!slot) {
        DestroyWindow(window);
        return nullptr;
    }
    if (slot->window) {
        DestroyWindow(slot->window);  // its WM_NCDESTROY frees the number
        slot = g_library.controls.find(number);
    }
    slot->window = window;
    slot->kind = kind;
    SetWindowLongPtrW(window, GWLP_ID, number);
    SetPropA(window, control_number_property, reinterpret_cast<HANDLE>(static_cast<intptr_t>(number) + 1));
    slot->previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(common_procedure)));
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(g_library.default_font), 1);
    return slot_of(window);
}

// ---- image controls ------------------------------------------------------------------------

// Repaints what lies under the control, for images that do not cover all of it.
void redraw_under(HWND control)
{
    HWND holder = find_toolkit_window(control);
    RECT area;
    if (!holder || !GetWindowRect(control, &area))
        return;
    MapWindowPoints(nullptr, holder, reinterpret_cast<POINT*>(&area), 2);
    InvalidateRect(holder, &area, TRUE);
    UpdateWindow(holder);
}

// Answers the image shown before, as the platform's static control does.
LRESULT set_image(control_slot* slot, HANDLE image)
{
    HANDLE previous = slot->image;
    slot->image = image;
    if (!is_bitmap(image))
        redraw_under(slot->window);
    SIZE size;
    if (image && image_size(image, &size)) {
        if (GetWindowLongPtrW(slot->window, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) {
            size.cx += 4;
            size.cy += 4;
        }
        SetWindowPos(slot->window, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        InvalidateRect(slot->window, nullptr, TRUE);
        UpdateWindow(slot->window);
    }
    return reinterpret_cast<LRESULT>(previous);
}

void paint_image(control_slot* slot)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(slot->window, &paint);
    if (dc && slot->image) {
        const UINT kind = is_bitmap(slot->image) ? DST_BITMAP : DST_ICON;
        DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(slot->image), 0, 0, 0, 0, 0, kind);
    }
    EndPaint(slot->window, &paint);
}

LRESULT CALLBACK VELMORA_CALLBACK image_procedure(HWND window, UINT message, WPARAM wparam,
                                                 LPARAM lparam)
{
    control_slot* slot = slot_of(window, &image_kind);
    if (slot && message == STM_SETIMAGE)
        return set_image(slot, reinterpret_cast<HANDLE>(lparam));
    if (slot && message == WM_PAINT) {
        paint_image(slot);
        return 0;
    }
    return CallWindowProcW(g_library.static_procedure, window, message, wparam, lparam);
}

// ---- hyperlinks ----------------------------------------------------------------------------

// The link is hovered exactly while it holds the mouse capture.
void track_hover(HWND link, LPARAM lparam)
{
    if (GetCapture() != link) {
        SetCapture(link);
        InvalidateRect(link, nullptr, FALSE);
        return;
    }
    RECT client;
    GetClientRect(link, &client);
    POINT point = {GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
    if (!PtInRect(&client, point) || !IsWindowEnabled(GetParent(link)))
        ReleaseCapture();
}

void paint_hyperlink(HWND link, const hyperlink_record& record)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(link, &paint);
    if (!dc)
        return;
    auto background = reinterpret_cast<HBRUSH>(SendMessageW(
        GetParent(link), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(link)));
    if (background)
        FillRect(dc, &paint.rcPaint, background);

    wchar_t text[512];
    const int length = GetWindowTextW(link, text, 512);
    const int saved = SaveDC(dc);
    if (record.font)
        SelectObject(dc, record.font);
    RECT client;
    GetClientRect(link, &client);
    IntersectClipRect(dc, client.left, client.top, client.right, client.bottom);
    const COLORREF ink = GetCapture() == link ? record.hover : hyperlink_ink;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ink);
    TextOutW(dc, 0, 0, text, length);
    if (record.flags & hyperlink_underline) {
        SIZE extent = {};
        GetTextExtentPoint32W(dc, text, length, &extent);
        if (HPEN pen = CreatePen(PS_SOLID, 1, ink)) {
            HGDIOBJ before = SelectObject(dc, pen);
            MoveToEx(dc, 0, extent.cy, nullptr);
            LineTo(dc, extent.cx, extent.cy);
            SelectObject(dc, before);
            DeleteObject(pen);
        }
    }
    RestoreDC(dc, saved);
    EndPaint(link, &paint);
}

LRESULT CALLBACK VELMORA_CALLBACK hyperlink_procedure(HWND window, UINT message, WPARAM wparam,
                                                     LPARAM lparam)
{
    control_slot* slot = slot_of(window, &hyperlink_kind);
    hyperlink_record* record = slot ? slot->link : nullptr;
    if (!record)
        return DefWindowProcW(window, message, wparam, lparam);
    switch (message) {
    case WM_SETCURSOR:
        SetCursor(g_library.hyperlink_cursor);
        return 1;
    case WM_MOUSEMOVE:
        track_hover(window, lparam);
        return 0;
    case WM_CAPTURECHANGED:
        InvalidateRect(window, nullptr, FALSE);
        UpdateWindow(window);
        return 0;
    case WM_LBUTTONUP:
        post_control_event(window);
        return 0;
    case WM_LBUTTONDBLCLK:
    case WM_COMMAND:
        return 0;
    case WM_PAINT:
        paint_hyperlink(window, *record);
        return 0;
    case WM_SETFONT:
        record->font = reinterpret_cast<HFONT>(wparam);
        if (LOWORD(lparam) == 1)
            InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(record->font);
    case WM_NCHITTEST:
        // A static control without SS_NOTIFY lets the mouse through; the link must take it.
        return DefWindowProcW(window, message, wparam, lparam);
    default:
        // The record may be gone once the call returns (WM_NCDESTROY): nothing touches it after.
        return CallWindowProcW(record->previous, window, message, wparam, lparam);
    }
}

}  // namespace

void init_control_library()
{
    g_library.default_font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    g_library.controls.init(table_slots, table_slots);
    // The buttons and static controls of version 6, which the manifest asks for.
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&classes);
}

HWND create_image_control(int32_t number, int x, int y, int width, int height, HANDLE image,
                          uint32_t flags)
{
    HWND window = make_control_window(number, L"STATIC", nullptr, image_style, flags, x, y, width, height);
    if (!window)
        return nullptr;
    auto below = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(image_procedure)));
    if (!g_library.static_procedure)
        g_library.static_procedure = below;
    control_slot* slot = register_control(number, window, &image_kind);
    if (!slot)
        return nullptr;
    slot->image = nullptr;
    SendMessageW(window, STM_SETIMAGE, is_bitmap(image) ? IMAGE_BITMAP : IMAGE_ICON, reinterpret_cast<LPARAM>(image));
    return window;
}

HWND create_text_control(int32_t number, int x, int y, int width, int height, const char* text,
                         uint32_t flags)
{
    HWND window = make_control_window(number, L"Static", text ? text : "", text_style | flags, 0, x, y, width, height);
    return window && register_control(number, window, &text_kind) ? window : nullptr;
}

HWND create_hyperlink_control(int32_t number, int x, int y, int width, int height,
                              const char* text, uint32_t hover_colour, uint32_t flags)
{
    HWND window = make_control_window(number, L"STATIC", text ? text : "", hyperlink_style, 0, x, y, width, height);
    if (!window)
        return nullptr;
    if (!g_library.hyperlink_cursor) {
        g_library.hyperlink_cursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32649));  // IDC_HAND
        if (!g_library.hyperlink_cursor)
            g_library.hyperlink_cursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    }
    control_slot* slot = register_control(number, window, &hyperlink_kind);
    if (!slot)
        return nullptr;
    auto* record = static_cast<hyperlink_record*>(heap_alloc(sizeof(hyperlink_record)));
    if (!record) {
        DestroyWindow(window);
        return nullptr;
    }
    record->font = g_library.default_font;
    record->flags = flags;
    record->hover = static_cast<COLORREF>(hover_colour);
    slot->link = record;
    record->previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(hyperlink_procedure)));
    ShowWindow(window, SW_SHOWNORMAL);
    return window;
}

HWND create_button_control(int32_t number, int x, int y, int width, int height, const char* text,
                           uint32_t flags)
{
    HWND window =
        make_control_window(number, L"Button", text ? text : "", button_style | flags, 0, x, y, width, height);
    return window && register_control(number, window, &button_kind) ? window : nullptr;
}

void post_control_event(HWND control)
{
    HWND target = find_toolkit_window(control);
    if (!target)
        target = GetAncestor(control, GA_ROOT);
    PostMessageA(target, control_event_message, static_cast<WPARAM>(GetWindowLongPtrW(control, GWLP_ID)), 0);
}
