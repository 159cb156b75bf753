// Window library.
//
// Every toolkit window has a class of its own ("WindowClass_<number>") whose procedure is the one
// window procedure below, and carries a property holding its number + 1, so that any HWND can be
// traced back to its number. The procedure turns messages into events in two ways:
//   - immediate events (menu and control events) are kept in order, each with its item, until
//     wait_event hands them out one by one;
//   - close requests go into a FIFO of (code, window) pairs in which a pair that repeats the last
//     one is dropped, so a burst of the same request reads as one event.
// wait_event hands out the oldest immediate event first, then one queued event, and otherwise
// retrieves and dispatches at most one message. Only the thread that runs the event loop may call
// into this library; nothing here is locked.
//
// The windows are Unicode windows (their classes are registered with RegisterClassW), so that a
// title written in Windows-1252 and turned into UTF-16 is never read back through the system's ANSI
// code page.

#include "toolkit/window.h"

#include <cstdio>
#include <string>

#include "toolkit/heap.h"
#include "toolkit/numbered_table.h"
#include "toolkit/process.h"
#include "toolkit/wide.h"

namespace {

constexpr char window_number_property[] = "VelmoraWindowNumber";
constexpr LRESULT default_processing = static_cast<LRESULT>(0xD0D0D0D1);
constexpr int32_t table_slots = 16;

// Tab and Shift+Tab; FVIRTKEY | FNOINVERT, plus FSHIFT for the second.
constexpr ACCEL focus_keys[] = {
    {FVIRTKEY | FNOINVERT, VK_TAB, focus_next_command},
    {FVIRTKEY | FNOINVERT | FSHIFT, VK_TAB, focus_previous_command},
};

struct window_record {
    HWND handle;  // nullptr: the number is free
    HACCEL accelerators;
};

struct queued_event {
    queued_event* next;
    int32_t code;
    int32_t value;  // the item of a menu or control event; the window number of a close request
};

struct event_list {
    queued_event* head;
    queued_event* tail;
};

struct event_record {
    int32_t item;          // of the event handed out last
    event_list immediate;  // menu and control events, in the order they were raised
    event_list requests;   // close requests
};

numbered_table<window_record> g_windows;
event_record g_event;
HICON g_class_icon;
HCURSOR g_class_cursor;
HWND g_control_list;  // the current control list

window_record* record_of(int32_t number)
{
    window_record* record = g_windows.find(number);
    return record && record->handle ? record : nullptr;
}

int32_t window_number_of(HWND window)
{
    HWND holder = find_toolkit_window(window);
    return holder ? static_cast<int32_t>(reinterpret_cast<intptr_t>(GetPropA(holder, window_number_property)) - 1)
                  : -1;
}

std::wstring class_name_of(int32_t number)
{
    char name[32];
    std::snprintf(name, sizeof name, "WindowClass_%d", static_cast<int>(number));
    return wide_from_1252(name);
}

void append_event(event_list* list, int32_t code, int32_t value)
{
    auto* entry = static_cast<queued_event*>(heap_alloc(sizeof(queued_event)));
    if (!entry)
        return;  // no memory: the event is dropped
    entry->code = code;
    entry->value = value;
    if (list->tail)
        list->tail->next = entry;
    else
        list->head = entry;
    list->tail = entry;
}

// The first event of the list, or no_event.
int32_t take_event(event_list* list, int32_t* value)
{
    queued_event* entry = list->head;
    if (!entry)
        return no_event;
    list->head = entry->next;
    if (!list->head)
        list->tail = nullptr;
    const int32_t code = entry->code;
    *value = entry->value;
    heap_free(entry);
    return code;
}

void queue_event(int32_t code, int32_t window)
{
    if (window < 0)
        return;
    const queued_event* last = g_event.requests.tail;
    if (last && last->code == code && last->value == window)
        return;
    append_event(&g_event.requests, code, window);
}

int32_t take_queued_event()
{
    int32_t window = 0;
    return take_event(&g_event.requests, &window);
}

// Every event is kept: a dispatch may run a modal loop (the shell's, while it opens a link) in which
// further clicks raise events of their own before the first one has been handed out.
void raise_immediate(int32_t code, int32_t item)
{
    append_event(&g_event.immediate, code, item);
}

// Hands out the oldest immediate event, if any.
int32_t take_immediate()
{
    int32_t item = 0;
    const int32_t code = take_event(&g_event.immediate, &item);
    if (code)
        g_event.item = item;
    return code;
}

// Keyboard focus commands walk the enabled, visible tab-stop children in EnumChildWindows order.
struct tab_walk {
    HWND focus;
    HWND first;
    HWND last;
    HWND before_focus;
    HWND after_focus;
    bool focus_counted;
};

BOOL CALLBACK VELMORA_CALLBACK visit_tab_stop(HWND child, LPARAM context)
{
    auto* walk = reinterpret_cast<tab_walk*>(context);
    if (!(GetWindowLongPtrA(child, GWL_STYLE) & WS_TABSTOP) || !IsWindowEnabled(child) ||
        !IsWindowVisible(child))
        return TRUE;
    if (!walk->first)
        walk->first = child;
    if (walk->focus_counted && !walk->after_focus)
        walk->after_focus = child;
    if (child == walk->focus) {
        walk->focus_counted = true;
        walk->before_focus = walk->last;
    }
    walk->last = child;
    return TRUE;
}

void move_focus(HWND window, bool forward)
{
    tab_walk walk = {};
    walk.focus = GetFocus();
    EnumChildWindows(window, visit_tab_stop, reinterpret_cast<LPARAM>(&walk));
    HWND target = nullptr;
    if (forward) {
        if (!walk.focus || !IsChild(window, walk.focus))
            target = walk.first;
        else if (walk.focus_counted)
            target = walk.after_focus ? walk.after_focus : walk.first;
        // focus on a child that is no tab stop: stays where it is
    } else {
        target = (walk.focus_counted && walk.before_focus) ? walk.before_focus : walk.last;
    }
    if (target)
        SetFocus(target);
}

void on_command(HWND window, WPARAM wparam, LPARAM lparam)
{
    if (lparam) {  // a control's notification
        raise_immediate(control_event, static_cast<int32_t>(GetWindowLongPtrA(reinterpret_cast<HWND>(lparam), GWLP_ID)));
    } else if (HIWORD(wparam)) {  // an accelerator
        const WORD command = LOWORD(wparam);
        if (command == focus_next_command || command == focus_previous_command)
            move_focus(window, command == focus_next_command);
        else
            raise_immediate(menu_event, command);
    } else {  // a menu item
        raise_immediate(menu_event, static_cast<int32_t>(wparam));
    }
}

LRESULT CALLBACK VELMORA_CALLBACK window_procedure(HWND window, UINT message, WPARAM wparam,
                                                  LPARAM lparam)
{
    LRESULT result = default_processing;
    switch (message) {
    case WM_CLOSE:
        // Closing is the program's decision; the window stays.
        queue_event(close_event, window_number_of(window));
        result = 0;
        break;
    case WM_COMMAND:
        on_command(window, wparam, lparam);
        result = 0;
        break;
    case control_event_message:
        raise_immediate(control_event, static_cast<int32_t>(wparam));
        result = 0;
        break;
    case WM_NCDESTROY:
        if (g_control_list == window)
            g_control_list = nullptr;
        break;
    }
    SetLastError(0);
    return result == default_processing ? DefWindowProcW(window, message, wparam, lparam) : result;
}

// Closes the window of a record and empties the record; the number stays claimed. The record is
// emptied first, so nothing reached from DestroyWindow finds a half-closed window.
void shut_window(int32_t number, window_record* record)
{
    HWND window = record->handle;
    HACCEL accelerators = record->accelerators;
    *record = {};

    if (HWND owner = GetWindow(window, GW_OWNER))
        SetActiveWindow(owner);
    RemovePropA(window, window_number_property);
    DestroyWindow(window);
    UnregisterClassW(class_name_of(number).c_str(), GetModuleHandleW(nullptr));
    if (accelerators)
        DestroyAcceleratorTable(accelerators);
}

bool translate_accelerator(MSG* message)
{
    HWND active = GetActiveWindow();
    window_record* record = record_of(window_number_of(active));
    if (!record || record->handle != active || !record->accelerators)
        return false;
    return TranslateAcceleratorW(active, record->accelerators, message) != 0;
}

// One message of the thread, waiting as the timeout says. false when none came.
bool retrieve_message(int32_t timeout_ms, MSG* message)
{
    if (timeout_ms == -1) {
        GetMessageW(message, nullptr, 0, 0);
        return true;
    }
    if (PeekMessageW(message, nullptr, 0, 0, PM_REMOVE | PM_NOYIELD))
        return true;
    if (timeout_ms == 0)
        return false;
    DWORD woken = MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(timeout_ms),
                                            QS_ALLINPUT);
    if (woken == WAIT_TIMEOUT)
        return false;
    return PeekMessageW(message, nullptr, 0, 0, PM_REMOVE | PM_NOYIELD) != 0;
}

}  // namespace

void init_window_library()
{
    g_windows.init(table_slots, table_slots);
    g_event = {};
    g_class_icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1));
    g_class_cursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(0x7F00));  // IDC_ARROW
}

int screen_dpi()
{
    // Windows 7 changes its DPI only with a new logon: asked once.
    static const int dpi = [] {
        int answer = 0;
        if (HDC screen = GetDC(nullptr)) {
            answer = GetDeviceCaps(screen, LOGPIXELSX);
            ReleaseDC(nullptr, screen);
        }
        return answer > 0 ? answer : layout_dpi;
    }();
    return dpi;
}

int scaled(int pixels)
{
    return scale_for_dpi(pixels, screen_dpi());
}

intptr_t open_window(int32_t number, int x, int y, int width, int height, const char* title,
                     uint32_t flags, HWND owner)
{
    window_record* record = number >= 0 ? g_windows.claim(&number) : nullptr;
    if (!record)
        return 0;
    if (record->handle)
        shut_window(number, record);

    HINSTANCE instance = GetModuleHandleW(nullptr);
    const std::wstring class_name = class_name_of(number);
    WNDCLASSW window_class = {};
    window_class.style = CS_DBLCLKS;
    window_class.lpfnWndProc = window_procedure;
    window_class.hInstance = instance;
    window_class.hIcon = g_class_icon;
    window_class.hCursor = g_class_cursor;
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    window_class.lpszClassName = class_name.c_str();
    RegisterClassW(&window_class);  // a class left over from a failed close is reused

    DWORD style = flags & ~(window_centre_screen | window_invisible);
    if (!style)
        style = WS_CAPTION;
    RECT frame = {0, 0, width, height};
    AdjustWindowRect(&frame, style, FALSE);
    int outer_width = frame.right - frame.left;
    int outer_height = frame.bottom - frame.top;
    if (flags & window_centre_screen) {
        const int screen_width = GetSystemMetrics(SM_CXSCREEN);
        const int screen_height = GetSystemMetrics(SM_CYSCREEN);
        outer_width = outer_width < screen_width ? outer_width : screen_width;
        outer_height = outer_height < screen_height ? outer_height : screen_height;
        x = (screen_width - outer_width) / 2;
        y = (screen_height - outer_height) / 2;
    }

    const std::wstring wide_title = wide_from_1252(title ? title : "");
    HWND window = CreateWindowExW(0, class_name.c_str(), wide_title.c_str(), style, x, y, outer_width, outer_height, owner,
                                  nullptr, instance, nullptr);
    if (!window) {
        UnregisterClassW(class_name.c_str(), instance);
        g_windows.release(number);
        return 0;
    }
    // The creation may have run code that used the table; look the record up again.
    record = g_windows.find(number);
    record->handle = window;
    record->accelerators = CreateAcceleratorTableA(const_cast<ACCEL*>(focus_keys), 2);
    SetPropA(window, window_number_property, reinterpret_cast<HANDLE>(static_cast<intptr_t>(number) + 1));
    if (!(flags & window_invisible))
        ShowWindow(window, SW_SHOWNORMAL);
    use_control_list(window);
    return reinterpret_cast<intptr_t>(window);
}

void close_window(int32_t number)
{
    window_record* record = record_of(number);
    if (!record)
        return;
    shut_window(number, record);
    g_windows.release(number);
}

void close_all_windows()
{
    g_windows.for_each_used([](const window_record& record) { return record.handle != nullptr; },
                            [](int32_t number) { close_window(number); });
}

HWND window_handle(int32_t number)
{
    window_record* record = record_of(number);
    return record ? record->handle : nullptr;
}

int32_t wait_event(int32_t timeout_ms)
{
    // An event raised by a message sent outside a dispatch (from another thread, a modal loop or
    // the program itself) is waiting here; it goes first, as a dispatch would have returned it.
    if (int32_t code = take_immediate())
        return code;
    if (int32_t code = take_queued_event())
        return code;

    MSG message = {};
    if (!retrieve_message(timeout_ms, &message))
        return take_immediate();  // sent messages handled while waiting may have raised one
    if (!translate_accelerator(&message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (int32_t immediate = take_immediate())
        return immediate;
    return static_cast<int32_t>(message.message);
}

int32_t event_menu_item()
{
    return g_event.item;
}

int32_t event_control()
{
    return g_event.item;
}

HWND use_control_list(HWND window)
{
    HWND previous = g_control_list;
    if (window)
        g_control_list = window;
    return previous;
}

HWND current_control_list()
{
    return g_control_list;
}

HWND find_toolkit_window(HWND window)
{
    for (; window; window = GetParent(window))
        if (GetPropA(window, window_number_property))
            return window;
    return nullptr;
}
