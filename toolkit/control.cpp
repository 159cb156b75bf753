// Control library.
//
// A control is a child window under a caller-chosen number. Its window ID is its number, so any
// control HWND leads back to its slot; a slot counts only while it still names that very window.
// Every control is subclassed with the common procedure, which forwards to the procedure below
// it and, after WM_NCDESTROY, runs the kind's release hook and frees the number. Procedure chains:
//   image:      common -> image procedure -> platform STATIC
//   hyperlink:  hyperlink procedure -> common -> platform STATIC
//   text, button: common -> platform procedure
// New controls go into the current control list: the window the window library opened last
// (unless it asked not to be). Each window that has been a list carries a record in a property
// and is subclassed to notice its own destruction, which empties the list if it was current.
// Everything here runs on the thread that owns the windows.

#include "toolkit/control.h"

#include <commctrl.h>
#include <windowsx.h>

#include <cstdio>
#include <cstdlib>

#include "toolkit/colour.h"
#include "toolkit/heap.h"
#include "toolkit/numbered_table.h"
#include "toolkit/process.h"
#include "toolkit/window.h"

namespace {

constexpr char control_number_property[] = "VelmoraControlNumber";  // number + 1
constexpr int32_t table_slots = 50;
constexpr LONG_PTR unregistered_id = -1;
constexpr DWORD common_control_classes = 0x0B08;  // tab, date, extended combo box, internet

constexpr DWORD image_style = WS_CHILD | WS_VISIBLE | SS_NOTIFY;      // 0x50000100
constexpr DWORD text_style = WS_CHILD | WS_VISIBLE | WS_GROUP;        // 0x50020000
constexpr DWORD hyperlink_style = WS_CHILD;                           // shown once complete
constexpr DWORD button_style = WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP;
constexpr uint32_t text_client_edge = 0x20000;

struct hyperlink_record {
    HFONT font;
    uint32_t flags;
    WNDPROC previous;  // the common procedure below the hyperlink's own
    colour_value hover;
};

struct image_data {
    HANDLE handle;     // bitmap or icon, drawn by the image procedure
    int32_t tracking;  // 1 between a left press and its release or a drag start
    POINTS press;
};

struct text_data {  // text controls and hyperlinks
    colour_value back;
    colour_value front;
    HBRUSH back_brush;
    hyperlink_record* link;
};

struct control_slot;

struct control_kind {
    int32_t number;
    // Answers a message that the parent receives for the control, or hook_not_handled.
    LRESULT (*message_hook)(control_slot* slot, UINT message, WPARAM wparam, LPARAM lparam);
    void (*release_hook)(control_slot* slot);
};

struct control_slot {
    HWND window;  // nullptr: the number is free
    const control_kind* kind;
    WNDPROC previous;
    union {
        image_data image;
        text_data text;
    };
};

struct control_list_record {
    HWND window;
    HWND saved_container;  // the container while another window is the current list
    WNDPROC previous;
};

struct control_library {
    numbered_table<control_slot> controls;
    HFONT default_font;
    HWND list_window;  // the current control list
    HWND container;    // where new controls go
    char list_property[48];
    WNDPROC static_procedure;  // below every image procedure
    int drag_width;
    int drag_height;
    HCURSOR hyperlink_cursor;
    bool right_double_click;  // the release after a right double click raises nothing
};

control_library g_library;

LRESULT text_colour_hook(control_slot* slot, UINT message, WPARAM wparam, LPARAM);
LRESULT hyperlink_colour_hook(control_slot* slot, UINT message, WPARAM wparam, LPARAM);
void release_text(control_slot* slot);
void release_hyperlink(control_slot* slot);

constexpr control_kind button_kind = {1, nullptr, nullptr};
constexpr control_kind text_kind = {3, text_colour_hook, release_text};
constexpr control_kind image_kind = {9, nullptr, nullptr};
constexpr control_kind hyperlink_kind = {10, hyperlink_colour_hook, release_hyperlink};

bool valid_number(int32_t number)
{
    return number >= 0 && number < first_dynamic_id;
}

control_slot* slot_of(HWND window)
{
    auto id = static_cast<int32_t>(GetWindowLongPtrA(window, GWLP_ID));
    control_slot* slot = g_library.controls.find(id);
    return slot && slot->window == window ? slot : nullptr;
}

control_slot* slot_of(HWND window, const control_kind* kind)
{
    control_slot* slot = slot_of(window);
    return slot && slot->kind == kind ? slot : nullptr;
}

void unregister_control(HWND window)
{
    control_slot* slot = slot_of(window);
    if (!slot)
        return;
    if (slot->kind->release_hook)
        slot->kind->release_hook(slot);
    auto number = static_cast<int32_t>(GetWindowLongPtrA(window, GWLP_ID));
    RemovePropA(window, control_number_property);
    SetWindowLongPtrA(window, GWLP_ID, unregistered_id);
    g_library.controls.release(number);
}

LRESULT CALLBACK VELMORA_CALLBACK common_procedure(HWND window, UINT message, WPARAM wparam,
                                                  LPARAM lparam)
{
    control_slot* slot = slot_of(window);
    if (!slot)
        return DefWindowProcA(window, message, wparam, lparam);
    LRESULT result = CallWindowProcA(slot->previous, window, message, wparam, lparam);
    if (message == WM_NCDESTROY)
        unregister_control(window);
    return result;
}

// The child window of a new control, in the current list, with ID -1 until it is registered.
HWND make_control_window(const char* window_class, const char* text, DWORD style, DWORD ex_style,
                         int x, int y, int width, int height)
{
    if (!g_library.container)
        return nullptr;
    return CreateWindowExA(ex_style, window_class, text, style, x, y, width, height, g_library.container,
                           reinterpret_cast<HMENU>(unregistered_id), GetModuleHandleA(nullptr),
                           nullptr);
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
    SetWindowLongPtrA(window, GWLP_ID, number);
    SetPropA(window, control_number_property,
             reinterpret_cast<HANDLE>(static_cast<intptr_t>(number) + 1));
    slot->previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(common_procedure)));
    SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(g_library.default_font), 1);
    return slot_of(window);
}

// ---- text controls and hyperlinks: colours -------------------------------------------------

LRESULT text_colour_hook(control_slot* slot, UINT message, WPARAM wparam, LPARAM)
{
    if (message != WM_CTLCOLORSTATIC)
        return hook_not_handled;
    auto dc = reinterpret_cast<HDC>(wparam);
    const text_data& text = slot->text;
    if (text.front != no_colour) {
        SetTextColor(dc, static_cast<COLORREF>(text.front));
        if (text.back == no_colour) {
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        }
    }
    if (text.back != no_colour) {
        SetBkColor(dc, static_cast<COLORREF>(text.back));
        return reinterpret_cast<LRESULT>(text.back_brush);
    }
    return hook_not_handled;
}

LRESULT hyperlink_colour_hook(control_slot* slot, UINT message, WPARAM, LPARAM)
{
    if (message != WM_CTLCOLORSTATIC || slot->text.back == no_colour)
        return hook_not_handled;
    return reinterpret_cast<LRESULT>(slot->text.back_brush);
}

void release_text(control_slot* slot)
{
    if (slot->text.back_brush)
        DeleteObject(slot->text.back_brush);
    slot->text.back_brush = nullptr;
}

void release_hyperlink(control_slot* slot)
{
    release_text(slot);
    heap_free(slot->text.link);
    slot->text.link = nullptr;
}

// ---- image controls ------------------------------------------------------------------------

bool is_bitmap(HANDLE image)
{
    return image && GetObjectType(image) == OBJ_BITMAP;
}

bool image_size(HANDLE image, SIZE* size)
{
    BITMAP bitmap = {};
    if (is_bitmap(image)) {
        if (!GetObjectA(image, sizeof bitmap, &bitmap))
            return false;
        *size = {bitmap.bmWidth, bitmap.bmHeight};
        return true;
    }
    ICONINFO icon = {};
    if (!GetIconInfo(static_cast<HICON>(image), &icon))
        return false;
    bool known = false;
    if (icon.hbmColor && GetObjectA(icon.hbmColor, sizeof bitmap, &bitmap)) {
        *size = {bitmap.bmWidth, bitmap.bmHeight};
        known = true;
    } else if (icon.hbmMask && GetObjectA(icon.hbmMask, sizeof bitmap, &bitmap)) {
        *size = {bitmap.bmWidth, bitmap.bmHeight / 2};  // monochrome: AND and XOR mask stacked
        known = true;
    }
    if (icon.hbmColor)
        DeleteObject(icon.hbmColor);
    if (icon.hbmMask)
        DeleteObject(icon.hbmMask);
    return known;
}

// Repaints what lies under the control, for images that do not cover all of it.
void redraw_under(HWND control)
{
    HWND holder = find_toolkit_window(control);
    if (!holder)
        holder = GetParent(control);
    RECT area;
    if (!holder || !GetWindowRect(control, &area))
        return;
    MapWindowPoints(nullptr, holder, reinterpret_cast<POINT*>(&area), 2);
    InvalidateRect(holder, &area, TRUE);
    UpdateWindow(holder);
}

// Answers the image shown before, as the platform's static control does.
LRESULT set_image(HWND control, HANDLE image)
{
    control_slot* slot = slot_of(control, &image_kind);
    HANDLE previous = slot->image.handle;
    slot->image.handle = image;
    if (!is_bitmap(image))
        redraw_under(control);
    SIZE size;
    if (image && image_size(image, &size)) {
        if (GetWindowLongPtrA(control, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) {
            size.cx += 4;
            size.cy += 4;
        }
        SetWindowPos(control, nullptr, 0, 0, size.cx, size.cy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        InvalidateRect(control, nullptr, TRUE);
        UpdateWindow(control);
    }
    return reinterpret_cast<LRESULT>(previous);
}

void paint_image(HWND control, HDC given)
{
    PAINTSTRUCT paint;
    HDC dc = given ? given : BeginPaint(control, &paint);
    control_slot* slot = slot_of(control, &image_kind);
    if (dc && slot && slot->image.handle) {
        HANDLE image = slot->image.handle;
        UINT kind = is_bitmap(image) ? DST_BITMAP : DST_ICON;
        DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(image), 0, 0, 0, 0, 0, kind);
    }
    if (!given)
        EndPaint(control, &paint);
}

LRESULT CALLBACK VELMORA_CALLBACK image_procedure(HWND window, UINT message, WPARAM wparam,
                                                 LPARAM lparam)
{
    control_slot* slot = slot_of(window, &image_kind);
    if (!slot)
        return CallWindowProcA(g_library.static_procedure, window, message, wparam, lparam);
    image_data& image = slot->image;
    switch (message) {
    case STM_SETIMAGE:
        return set_image(window, reinterpret_cast<HANDLE>(lparam));
    case STM_SETICON:
        return set_image(window, reinterpret_cast<HANDLE>(wparam));
    case STM_GETIMAGE:
    case STM_GETICON:
        return reinterpret_cast<LRESULT>(image.handle);
    case WM_PAINT:
        paint_image(window, nullptr);
        return 0;
    case WM_PRINT:
        if (!wparam)
            break;
        paint_image(window, reinterpret_cast<HDC>(wparam));
        return 0;
    case WM_ENABLE:
        InvalidateRect(window, nullptr, TRUE);
        UpdateWindow(window);
        return 0;
    case WM_LBUTTONDOWN:
        SetCapture(window);
        image.tracking = 1;
        image.press = {static_cast<SHORT>(GET_X_LPARAM(lparam)),
                       static_cast<SHORT>(GET_Y_LPARAM(lparam))};
        break;
    case WM_MOUSEMOVE:
        if (image.tracking && (std::abs(GET_X_LPARAM(lparam) - image.press.x) > g_library.drag_width ||
                               std::abs(GET_Y_LPARAM(lparam) - image.press.y) > g_library.drag_height)) {
            image.tracking = 0;
            ReleaseCapture();
            post_control_event(window, drag_start_event_type);
        }
        break;
    case WM_LBUTTONUP:
        if (image.tracking) {
            image.tracking = 0;
            ReleaseCapture();
        }
        break;
    case WM_CAPTURECHANGED:
        // Capture taken away mid-press (another window, a menu): no drag can follow.
        if (reinterpret_cast<HWND>(lparam) != window)
            image.tracking = 0;
        break;
    case WM_LBUTTONDBLCLK:
        post_control_event(window, double_click_event_type);
        return 0;
    case WM_RBUTTONUP:
        if (g_library.right_double_click)
            g_library.right_double_click = false;
        else
            post_control_event(window, right_click_event_type);
        return 0;
    case WM_RBUTTONDBLCLK:
        post_control_event(window, right_double_click_event_type);
        g_library.right_double_click = true;
        return 0;
    default:
        break;
    }
    return CallWindowProcA(g_library.static_procedure, window, message, wparam, lparam);
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

void paint_hyperlink(HWND link)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(link, &paint);
    if (!dc)
        return;
    auto background = reinterpret_cast<HBRUSH>(SendMessageA(
        GetParent(link), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(link)));
    if (background)
        FillRect(dc, &paint.rcPaint, background);

    char text[512];
    int length = GetWindowTextA(link, text, sizeof text);
    control_slot* slot = slot_of(link, &hyperlink_kind);
    if (slot && slot->text.link) {
        const hyperlink_record& record = *slot->text.link;
        int saved = SaveDC(dc);
        if (record.font)
            SelectObject(dc, record.font);
        RECT client;
        GetClientRect(link, &client);
        IntersectClipRect(dc, client.left, client.top, client.right, client.bottom);
        if (IsWindowEnabled(link)) {
            colour_value colour = GetCapture() == link ? record.hover : slot->text.front;
            COLORREF ink = colour == no_colour ? GetSysColor(COLOR_WINDOWTEXT)
                                               : static_cast<COLORREF>(colour);
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, ink);
            TextOutA(dc, 0, 0, text, length);
            if (record.flags & hyperlink_underline) {
                SIZE extent = {};
                GetTextExtentPoint32A(dc, text, length, &extent);
                if (HPEN pen = CreatePen(PS_SOLID, 1, ink)) {
                    HGDIOBJ before = SelectObject(dc, pen);
                    MoveToEx(dc, 0, extent.cy, nullptr);
                    LineTo(dc, extent.cx, extent.cy);
                    SelectObject(dc, before);
                    DeleteObject(pen);
                }
            }
        } else {
            DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(text), static_cast<WPARAM>(length),
                       0, 0, 0, 0, DST_TEXT | DSS_DISABLED);
        }
        RestoreDC(dc, saved);
    }
    EndPaint(link, &paint);
}

LRESULT CALLBACK VELMORA_CALLBACK hyperlink_procedure(HWND window, UINT message, WPARAM wparam,
                                                     LPARAM lparam)
{
    control_slot* slot = slot_of(window, &hyperlink_kind);
    hyperlink_record* record = slot ? slot->text.link : nullptr;
    if (!record)
        return DefWindowProcA(window, message, wparam, lparam);
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
        post_control_event(window, click_event_type);
        return 0;
    case WM_LBUTTONDBLCLK:
    case WM_COMMAND:
        return 0;
    case WM_PAINT:
        paint_hyperlink(window);
        return 0;
    case WM_SETTEXT: {
        LRESULT result = CallWindowProcA(record->previous, window, message, wparam, lparam);
        InvalidateRect(window, nullptr, TRUE);
        return result;
    }
    case WM_ENABLE:
        InvalidateRect(window, nullptr, TRUE);
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
        return DefWindowProcA(window, message, wparam, lparam);
    default:
        // The record may be gone once the call returns (WM_NCDESTROY): nothing touches it after.
        return CallWindowProcA(record->previous, window, message, wparam, lparam);
    }
}

// ---- control lists -------------------------------------------------------------------------

control_list_record* list_record_of(HWND window)
{
    return static_cast<control_list_record*>(GetPropA(window, g_library.list_property));
}

LRESULT CALLBACK VELMORA_CALLBACK list_watch_procedure(HWND window, UINT message, WPARAM wparam,
                                                      LPARAM lparam)
{
    control_list_record* record = list_record_of(window);
    WNDPROC previous = record ? record->previous : nullptr;
    if (message == WM_NCDESTROY && record) {
        if (g_library.list_window == window) {
            g_library.list_window = nullptr;
            g_library.container = nullptr;
        }
        RemovePropA(window, g_library.list_property);
        heap_free(record);
    }
    if (!previous)
        return DefWindowProcA(window, message, wparam, lparam);
    return CallWindowProcA(previous, window, message, wparam, lparam);
}

}  // namespace

void init_control_library()
{
    g_library.default_font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    g_library.controls.init(table_slots, table_slots);
    g_library.list_window = nullptr;
    g_library.container = nullptr;
    std::snprintf(g_library.list_property, sizeof g_library.list_property, "VelmoraControlList_%llu",
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(GetModuleHandleA(nullptr))));
    INITCOMMONCONTROLSEX classes = {sizeof classes, common_control_classes};
    InitCommonControlsEx(&classes);
}

void end_control_library()
{
    // The library makes no shared helper window of its own, so nothing is left to destroy.
}

HWND create_image_control(int32_t number, int x, int y, int width, int height, HANDLE image,
                          uint32_t flags)
{
    if (!valid_number(number))
        return nullptr;
    HWND window = make_control_window("STATIC", nullptr, image_style, flags, x, y, width, height);
    if (!window)
        return nullptr;
    if (!g_library.drag_width) {
        g_library.drag_width = GetSystemMetrics(SM_CXDRAG);
        g_library.drag_height = GetSystemMetrics(SM_CYDRAG);
    }
    auto below = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(image_procedure)));
    if (!g_library.static_procedure)
        g_library.static_procedure = below;
    control_slot* slot = register_control(number, window, &image_kind);
    if (!slot)
        return nullptr;
    slot->image = {};
    WPARAM kind = is_bitmap(image) ? IMAGE_BITMAP : IMAGE_ICON;
    SendMessageA(window, STM_SETIMAGE, kind, reinterpret_cast<LPARAM>(image));
    return window;
}

HWND create_text_control(int32_t number, int x, int y, int width, int height, const char* text,
                         uint32_t flags)
{
    if (!valid_number(number))
        return nullptr;
    DWORD ex_style = (flags & text_client_edge) ? WS_EX_CLIENTEDGE : 0;
    HWND window = make_control_window("Static", text ? text : "", text_style | flags, ex_style, x,
                                      y, width, height);
    if (!window)
        return nullptr;
    control_slot* slot = register_control(number, window, &text_kind);
    if (!slot)
        return nullptr;
    slot->text = {no_colour, no_colour, nullptr, nullptr};
    return window;
}

HWND create_hyperlink_control(int32_t number, int x, int y, int width, int height,
                              const char* text, uint32_t hover_colour, uint32_t flags)
{
    if (!valid_number(number))
        return nullptr;
    HWND window =
        make_control_window("STATIC", text ? text : "", hyperlink_style, 0, x, y, width, height);
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
    slot->text = {no_colour, rgb(0, 0, 0), nullptr, nullptr};
    auto* record = static_cast<hyperlink_record*>(heap_alloc(sizeof(hyperlink_record)));
    if (!record) {
        DestroyWindow(window);
        return nullptr;
    }
    record->font = g_library.default_font;
    record->flags = flags;
    record->hover = static_cast<colour_value>(hover_colour);
    slot->text.link = record;
    record->previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(hyperlink_procedure)));
    ShowWindow(window, SW_SHOWNORMAL);
    return window;
}

HWND create_button_control(int32_t number, int x, int y, int width, int height, const char* text,
                           uint32_t flags)
{
    if (!valid_number(number))
        return nullptr;
    HWND window = make_control_window("Button", text ? text : "", button_style | flags, 0, x, y,
                                      width, height);
    if (!window)
        return nullptr;
    return register_control(number, window, &button_kind) ? window : nullptr;
}

HWND control_handle(int32_t number)
{
    control_slot* slot = g_library.controls.find(number);
    return slot ? slot->window : nullptr;
}

int32_t control_table_size()
{
    return g_library.controls.size();
}

bool set_control_colours(int32_t number, int32_t front, int32_t back)
{
    control_slot* slot = g_library.controls.find(number);
    if (!slot || !slot->window || (slot->kind != &text_kind && slot->kind != &hyperlink_kind))
        return false;
    HBRUSH brush = nullptr;
    if (back != no_colour && !(brush = CreateSolidBrush(static_cast<COLORREF>(back))))
        return false;
    if (slot->text.back_brush)
        DeleteObject(slot->text.back_brush);
    slot->text.front = front;
    slot->text.back = back;
    slot->text.back_brush = brush;
    InvalidateRect(slot->window, nullptr, TRUE);
    return true;
}

HWND use_control_list(HWND window)
{
    HWND previous = g_library.list_window;
    if (!window)
        return previous;
    if (previous)
        if (control_list_record* current = list_record_of(previous))
            current->saved_container = g_library.container;
    if (control_list_record* record = list_record_of(window)) {
        g_library.container = record->saved_container;
    } else {
        auto* fresh = static_cast<control_list_record*>(heap_alloc(sizeof(control_list_record)));
        if (!fresh || !SetPropA(window, g_library.list_property, fresh)) {
            // Without the record the window's end would go unnoticed: no list rather than a stale one.
            heap_free(fresh);
            g_library.list_window = nullptr;
            g_library.container = nullptr;
            return previous;
        }
        fresh->window = window;
        fresh->saved_container = window;
        fresh->previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
            window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(list_watch_procedure)));
        g_library.container = window;
    }
    g_library.list_window = window;
    return previous;
}

void post_control_event(HWND control, int32_t type)
{
    HWND target = find_toolkit_window(control);
    if (!target)
        target = GetAncestor(control, GA_ROOT);
    PostMessageA(target, control_event_message,
                 static_cast<WPARAM>(GetWindowLongPtrA(control, GWLP_ID)), static_cast<LPARAM>(type));
}

LRESULT offer_control_message(HWND control, UINT message, WPARAM wparam, LPARAM lparam)
{
    control_slot* slot = control ? slot_of(control) : nullptr;
    if (!slot || !slot->kind->message_hook)
        return hook_not_handled;
    return slot->kind->message_hook(slot, message, wparam, lparam);
}
