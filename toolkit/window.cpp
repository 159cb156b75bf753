// Window library.
//
// Every toolkit window has a class of its own ("WindowClass_<number>") whose procedure is the one
// window procedure below, and carries a property holding its number + 1, so that any HWND can be
// traced back to its number. The procedure turns messages into events in two ways:
//   - immediate events (menu and control events) are kept with their item, type and window until
//     the next wait_event hands them out;
//   - queued events (close, move, size, activation, repaint) go into a FIFO of (code, window)
//     pairs in which a pair that repeats the last one is dropped, so a burst of the same message
//     reads as one event.
// wait_event hands out a pending immediate event first, then one queued event, and otherwise
// retrieves and dispatches at most one message. Only the thread that runs the event loop may call
// into this library; nothing here is locked.

#include "toolkit/window.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "toolkit/control.h"
#include "toolkit/heap.h"
#include "toolkit/numbered_table.h"
#include "toolkit/process.h"

namespace {

constexpr char window_number_property[] = "VelmoraWindowNumber";
constexpr uint32_t library_flags =
    window_centre_screen | window_centre_owner | window_no_control_list | window_invisible;
constexpr LONG_PTR menu_like_control_id = -10000;  // a control that reports like a menu
constexpr int32_t table_slots = 16;

// Tab and Shift+Tab; FVIRTKEY | FNOINVERT, plus FSHIFT for the second.
constexpr ACCEL focus_keys[] = {
    {FVIRTKEY | FNOINVERT, VK_TAB, focus_next_command},
    {FVIRTKEY | FNOINVERT | FSHIFT, VK_TAB, focus_previous_command},
};

struct window_record {
    HWND handle;  // nullptr: the number is free
    HACCEL accelerators;
    int32_t minimised_or_maximised;
};

struct queued_event {
    queued_event* next;
    int32_t code;
    int32_t window;
};

struct pending_event {
    int32_t code;  // 0: none
    int32_t item;
    int32_t type;
    int32_t window;
};

struct event_record {
    int32_t item;
    int32_t window;
    int32_t type;
    pending_event immediate;
    WPARAM wparam;
    LPARAM lparam;
    queued_event* head;
    queued_event* tail;
};

numbered_table<window_record> g_windows;
event_record g_event;
HICON g_class_icon;
HCURSOR g_class_cursor;

bool window_in_use(const window_record& record)
{
    return record.handle != nullptr;
}

window_record* record_of(int32_t number)
{
    window_record* record = g_windows.find(number);
    return record && record->handle ? record : nullptr;
}

void class_name_of(int32_t number, char (&name)[32])
{
    std::snprintf(name, sizeof name, "WindowClass_%d", static_cast<int>(number));
}

void queue_event(int32_t code, int32_t window)
{
    if (window < 0)
        return;
    if (g_event.tail && g_event.tail->code == code && g_event.tail->window == window)
        return;
    auto* entry = static_cast<queued_event*>(heap_alloc(sizeof(queued_event)));
    if (!entry)
        return;  // no memory: the event is dropped
    entry->code = code;
    entry->window = window;
    if (g_event.tail)
        g_event.tail->next = entry;
    else
        g_event.head = entry;
    g_event.tail = entry;
}

bool take_queued_event(int32_t* code, int32_t* window)
{
    queued_event* entry = g_event.head;
    if (!entry)
        return false;
    g_event.head = entry->next;
    if (!g_event.head)
        g_event.tail = nullptr;
    *code = entry->code;
    *window = entry->window;
    heap_free(entry);
    return true;
}

void raise_immediate(int32_t code, int32_t item, int32_t type, int32_t window)
{
    g_event.immediate = {code, item, type, window};
}

// Hands out the pending immediate event, if any, through the event record.
int32_t take_immediate()
{
    pending_event event = g_event.immediate;
    if (!event.code)
        return no_event;
    g_event.immediate = {};
    g_event.item = event.item;
    g_event.type = event.type;
    g_event.window = event.window;
    return event.code;
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

BOOL CALLBACK VELMORA_CALLBACK forward_colour_change(HWND child, LPARAM)
{
    SendMessageA(child, WM_SYSCOLORCHANGE, 0, 0);
    return TRUE;
}

LRESULT on_command(HWND window, int32_t number, WPARAM wparam, LPARAM lparam)
{
    auto control = reinterpret_cast<HWND>(lparam);
    WORD code = HIWORD(wparam);
    if (control) {
        LRESULT answer = offer_control_message(control, WM_COMMAND, wparam, lparam);
        if (answer != hook_not_handled)
            return answer;
        LONG_PTR id = GetWindowLongPtrA(control, GWLP_ID);
        if (id == menu_like_control_id)
            raise_immediate(menu_event, LOWORD(wparam), -1, number);
        else
            raise_immediate(control_event, static_cast<int32_t>(id), code, number);
    } else if (code) {  // an accelerator
        WORD command = LOWORD(wparam);
        if (command == focus_next_command || command == focus_previous_command)
            move_focus(window, command == focus_next_command);
        else
            raise_immediate(menu_event, command, -1, number);
    } else {  // a menu item
        raise_immediate(menu_event, static_cast<int32_t>(wparam), -1, number);
    }
    return 0;
}

void on_size(int32_t number, WPARAM kind)
{
    window_record* record = record_of(number);
    if (!record)
        return;
    switch (kind) {
    case SIZE_MINIMIZED:
        record->minimised_or_maximised = 1;
        queue_event(minimised_event, number);
        break;
    case SIZE_MAXIMIZED:
        record->minimised_or_maximised = 1;
        queue_event(maximised_event, number);
        queue_event(size_event, number);
        break;
    case SIZE_RESTORED:
        if (record->minimised_or_maximised) {
            record->minimised_or_maximised = 0;
            queue_event(restored_event, number);
        }
        queue_event(size_event, number);
        break;
    default:
        queue_event(size_event, number);
        break;
    }
}

// The child a control message speaks for, or nullptr.
HWND control_of_message(UINT message, LPARAM lparam)
{
    if (message == WM_NOTIFY)
        return lparam ? reinterpret_cast<const NMHDR*>(lparam)->hwndFrom : nullptr;
    return reinterpret_cast<HWND>(lparam);
}

LRESULT handle_message(HWND window, int32_t number, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_CLOSE:
    case WM_MOVE:
        // Closing is the program's decision; the window stays.
        queue_event(static_cast<int32_t>(message), number);
        return 0;
    case WM_SIZE:
        on_size(number, wparam);
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wparam))
            queue_event(activated_event, number);
        return 1;
    case WM_ERASEBKGND:
        queue_event(repaint_event, number);
        return hook_not_handled;  // the class brush erases
    case WM_COMMAND:
        return on_command(window, number, wparam, lparam);
    case WM_SYSCOLORCHANGE:
        EnumChildWindows(window, forward_colour_change, 0);
        return hook_not_handled;
    case WM_NOTIFY:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX: {
        HWND control = control_of_message(message, lparam);
        return control ? offer_control_message(control, message, wparam, lparam)
                       : hook_not_handled;
    }
    case control_event_message:
        raise_immediate(control_event, static_cast<int32_t>(wparam), static_cast<int32_t>(lparam),
                        number);
        return 0;
    default:
        return hook_not_handled;
    }
}

LRESULT CALLBACK VELMORA_CALLBACK window_procedure(HWND window, UINT message, WPARAM wparam,
                                                  LPARAM lparam)
{
    int32_t number = window_number_of(window);
    LRESULT result = handle_message(window, number, message, wparam, lparam);
    SetLastError(0);
    if (result == hook_not_handled)
        result = DefWindowProcA(window, message, wparam, lparam);
    return result;
}

// Outer position of a new window from the flags; see open_window.
void place_window(uint32_t flags, HWND owner, int* x, int* y, int* width, int* height)
{
    bool centred = flags & (window_centre_screen | window_centre_owner);
    if ((*x == window_default_position || *y == window_default_position) && !centred) {
        *x = CW_USEDEFAULT;
        *y = CW_USEDEFAULT;
        return;
    }
    if (flags & window_centre_screen) {
        int screen_width = GetSystemMetrics(SM_CXSCREEN);
        int screen_height = GetSystemMetrics(SM_CYSCREEN);
        *width = std::min(*width, screen_width);
        *height = std::min(*height, screen_height);
        *x = (screen_width - *width) / 2;
        *y = (screen_height - *height) / 2;
    }
    if (flags & window_centre_owner) {
        HWND reference = owner ? owner : GetActiveWindow();
        RECT frame;
        if (reference && GetWindowRect(reference, &frame)) {
            *x = std::max(0, static_cast<int>(frame.left + (frame.right - frame.left - *width) / 2));
            *y = std::max(0, static_cast<int>(frame.top + (frame.bottom - frame.top - *height) / 2));
        }
    }
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
    char class_name[32];
    class_name_of(number, class_name);
    UnregisterClassA(class_name, GetModuleHandleA(nullptr));
    if (accelerators)
        DestroyAcceleratorTable(accelerators);
}

}  // namespace

void init_window_library()
{
    g_windows.init(table_slots, table_slots);
    g_event = {};
    g_event.window = -1;
    g_event.type = -1;
    g_class_icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1));
    g_class_cursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(0x7F00));  // IDC_ARROW
}

intptr_t open_window(int32_t number, int x, int y, int width, int height, const char* title,
                     uint32_t flags, HWND owner)
{
    bool dynamic = number == dynamic_number || number >= first_dynamic_id;
    window_record* record = g_windows.claim(&number);
    if (!record)
        return 0;
    if (record->handle)
        shut_window(number, record);

    HINSTANCE instance = GetModuleHandleA(nullptr);
    char class_name[32];
    class_name_of(number, class_name);
    WNDCLASSA window_class = {};
    window_class.style = CS_DBLCLKS;
    window_class.lpfnWndProc = window_procedure;
    window_class.hInstance = instance;
    window_class.hIcon = g_class_icon;
    window_class.hCursor = g_class_cursor;
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    window_class.lpszClassName = class_name;
    RegisterClassA(&window_class);  // a class left over from a failed close is reused

    DWORD style = flags & ~library_flags;
    if (!style)
        style = WS_CAPTION;
    RECT frame = {0, 0, width, height};
    AdjustWindowRect(&frame, style, FALSE);
    int outer_width = frame.right - frame.left;
    int outer_height = frame.bottom - frame.top;
    place_window(flags, owner, &x, &y, &outer_width, &outer_height);

    HWND window = CreateWindowExA(0, class_name, title ? title : "", style, x, y, outer_width,
                                  outer_height, owner, nullptr, instance, nullptr);
    if (!window) {
        UnregisterClassA(class_name, instance);
        g_windows.release(number);
        return 0;
    }
    // The creation may have run code that used the table; look the record up again.
    record = g_windows.find(number);
    record->handle = window;
    SetPropA(window, window_number_property,
             reinterpret_cast<HANDLE>(static_cast<intptr_t>(number) + 1));

    if (!(flags & window_invisible)) {
        int show = (style & WS_MAXIMIZE)   ? SW_MAXIMIZE
                   : (style & WS_MINIMIZE) ? SW_SHOWMINIMIZED
                                           : SW_SHOWNORMAL;
        ShowWindow(window, show);
    }
    record = g_windows.find(number);
    if (style & (WS_MAXIMIZE | WS_MINIMIZE))
        record->minimised_or_maximised = 1;
    record->accelerators = CreateAcceleratorTableA(const_cast<ACCEL*>(focus_keys), 2);

    if (!(flags & window_no_control_list))
        use_control_list(window);
    return dynamic ? number : reinterpret_cast<intptr_t>(window);
}

intptr_t open_window(int32_t number, int x, int y, int width, int height, const char* title,
                     uint32_t flags)
{
    return open_window(number, x, y, width, height, title, flags, nullptr);
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
    g_windows.for_each_used(window_in_use, [](int32_t number) { close_window(number); });
}

HWND window_handle(int32_t number)
{
    window_record* record = record_of(number);
    return record ? record->handle : nullptr;
}

int32_t window_table_size()
{
    return g_windows.size();
}

HWND find_toolkit_window(HWND window)
{
    for (; window; window = GetParent(window))
        if (GetPropA(window, window_number_property))
            return window;
    return nullptr;
}

int32_t window_number_of(HWND window)
{
    HWND holder = find_toolkit_window(window);
    if (!holder)
        return -1;
    return static_cast<int32_t>(reinterpret_cast<intptr_t>(GetPropA(holder, window_number_property)) - 1);
}

namespace {

// Tab and Shift+Tab belong to an editable rich-edit control that has the focus.
bool tab_belongs_to_focus()
{
    if (GetKeyState(VK_TAB) >= 0 || GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_CONTROL) < 0 ||
        GetKeyState(VK_MENU) < 0)
        return false;
    HWND focus = GetFocus();
    char name[8] = {};
    if (!focus || !GetClassNameA(focus, name, sizeof name))
        return false;
    return std::strncmp(name, "Rich", 4) == 0 && !(GetWindowLongPtrA(focus, GWL_STYLE) & ES_READONLY);
}

bool translate_accelerator(MSG* message)
{
    HWND active = GetActiveWindow();
    if (!active || !GetPropA(active, window_number_property))
        return false;
    window_record* record = record_of(window_number_of(active));
    if (!record || !record->accelerators || tab_belongs_to_focus())
        return false;
    return TranslateAcceleratorA(active, record->accelerators, message) != 0;
}

// One message of the thread, waiting as the timeout says. false when none came.
bool retrieve_message(int32_t timeout_ms, MSG* message)
{
    if (timeout_ms == -1) {
        GetMessageA(message, nullptr, 0, 0);
        return true;
    }
    if (PeekMessageA(message, nullptr, 0, 0, PM_REMOVE | PM_NOYIELD))
        return true;
    if (timeout_ms == 0)
        return false;
    DWORD woken = MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(timeout_ms),
                                            QS_ALLINPUT);
    if (woken == WAIT_TIMEOUT)
        return false;
    return PeekMessageA(message, nullptr, 0, 0, PM_REMOVE | PM_NOYIELD) != 0;
}

}  // namespace

int32_t wait_event(int32_t timeout_ms)
{
    g_event.type = -1;
    // An event raised by a message sent outside a dispatch (from another thread, a modal loop or
    // the program itself) is waiting here; it goes first, as a dispatch would have returned it.
    if (int32_t code = take_immediate())
        return code;
    int32_t code = 0;
    int32_t window = -1;
    if (take_queued_event(&code, &window)) {
        g_event.window = window;
        return code;
    }

    MSG message = {};
    bool retrieved = retrieve_message(timeout_ms, &message);
    if (retrieved) {
        int32_t target = window_number_of(message.hwnd);  // before the dispatch may destroy it
        if (!translate_accelerator(&message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (int32_t immediate = take_immediate())
            return immediate;
        g_event.window = target;
        g_event.wparam = message.wParam;
        g_event.lparam = message.lParam;
        return static_cast<int32_t>(message.message);
    }
    // Sent messages handled while waiting may have raised an event.
    return take_immediate();
}

int32_t event_menu_item()
{
    return g_event.item;
}

int32_t event_control()
{
    return g_event.item;
}

int32_t event_window()
{
    return g_event.window;
}

int32_t event_type()
{
    return g_event.type;
}

WPARAM event_wparam()
{
    return g_event.wparam;
}

LPARAM event_lparam()
{
    return g_event.lparam;
}
