// Menu library. Menus live in a numbered table; one builder appends to the current menu and keeps
// the enclosing menus of the open submenus on a fixed stack of max_menu_depth handles.
// Item bitmaps are attached by the callers with SetMenuItemBitmaps on the handles given out here.

#include "toolkit/menu.h"

#include <string>

#include "toolkit/numbered_table.h"
#include "toolkit/wide.h"

namespace {

struct menu_record {
    HMENU menu;
};

// The one process-wide builder. Used by one thread at a time (the change watcher in this program).
struct menu_builder {
    int32_t current;  // number of the menu being built; meaningful only while target is set
    HMENU target;     // the next item goes here
    HMENU stack[max_menu_depth];
    int32_t depth;
    bool failed;  // the system refused a part of the current menu
    std::wstring caption;  // the wide form of the latest UTF-8 caption, its memory kept for the next
};

numbered_table<menu_record> g_menus;
menu_builder g_builder;

menu_record* find_menu(int32_t number)
{
    menu_record* record = g_menus.find(number);
    return record && record->menu ? record : nullptr;
}

// A menu that goes away must not stay the builder's target, or later appends would reach a dead
// (or, once the handle is reused, a foreign) menu.
void forget_builder_menu(int32_t number)
{
    if (g_builder.target && g_builder.current == number) {
        g_builder.target = nullptr;
        g_builder.depth = 0;
    }
}

// The system refuses the foreground to a process that did not receive the last input, and the press
// that opens a menu may have gone to a hook rather than to a window of ours. Attached to the input
// of the foreground window's thread for the one call, this thread may take it over.
void bring_to_foreground(HWND window)
{
    if (!window || menu_seams::request_foreground(window))
        return;
    HWND foreground = GetForegroundWindow();
    const DWORD foreground_thread = foreground ? GetWindowThreadProcessId(foreground, nullptr) : 0;
    const DWORD own_thread = GetCurrentThreadId();
    const bool attached = foreground_thread && foreground_thread != own_thread &&
                          AttachThreadInput(own_thread, foreground_thread, TRUE);
    SetForegroundWindow(window);
    if (!attached)
        return;
    AttachThreadInput(own_thread, foreground_thread, FALSE);
    // Parting may leave no foreground window at all (Wine does so); then nothing stands in the way.
    if (GetForegroundWindow() != window)
        SetForegroundWindow(window);
}

// Takes the menu out of the table without destroying it.
HMENU detach_menu(int32_t number)
{
    menu_record* record = find_menu(number);
    if (!record)
        return nullptr;
    HMENU menu = record->menu;
    forget_builder_menu(number);
    g_menus.release(number);
    return menu;
}

}  // namespace

namespace menu_seams {
menu_creator create_popup = CreatePopupMenu;
menu_creator create_submenu = CreateMenu;
foreground_request request_foreground = SetForegroundWindow;
}  // namespace menu_seams

void init_menu_library()
{
    g_menus.init(16, 16);
    g_builder = {};
}

intptr_t create_popup_menu(int32_t number)
{
    free_menu(number);
    HMENU menu = menu_seams::create_popup();
    if (!menu)
        return 0;
    int32_t claimed = number;
    menu_record* record = g_menus.claim(&claimed);
    if (!record) {
        DestroyMenu(menu);
        return 0;
    }
    record->menu = menu;
    // A new menu has no enclosing menus: stale handles of an unbalanced earlier build must not be
    // popped back as targets.
    g_builder.current = claimed;
    g_builder.target = menu;
    g_builder.depth = 0;
    g_builder.failed = false;
    return number == dynamic_number ? claimed : reinterpret_cast<intptr_t>(menu);
}

void add_menu_item(UINT id, const char* caption)
{
    if (!g_builder.target)
        return;
    if (!AppendMenuW(g_builder.target, MF_STRING, id, wide_from_1252(caption ? caption : "").c_str()))
        g_builder.failed = true;
}

void add_menu_item_utf8(UINT id, std::string_view caption)
{
    if (!g_builder.target)
        return;
    wide_into(&g_builder.caption, caption);
    if (!AppendMenuW(g_builder.target, MF_STRING, id, g_builder.caption.c_str()))
        g_builder.failed = true;
}

void add_menu_separator()
{
    if (g_builder.target && !AppendMenuW(g_builder.target, MF_SEPARATOR, separator_id, nullptr))
        g_builder.failed = true;
}

HMENU open_submenu_utf8(std::string_view caption)
{
    if (!g_builder.target || g_builder.depth >= max_menu_depth)
        return nullptr;
    wide_into(&g_builder.caption, caption);
    HMENU submenu = menu_seams::create_submenu();
    if (!submenu) {
        g_builder.failed = true;
        return nullptr;
    }
    // A submenu the system refused to attach would swallow every item meant for it.
    if (!AppendMenuW(g_builder.target, MF_POPUP, reinterpret_cast<UINT_PTR>(submenu), g_builder.caption.c_str())) {
        DestroyMenu(submenu);
        g_builder.failed = true;
        return nullptr;
    }
    g_builder.stack[g_builder.depth++] = g_builder.target;
    g_builder.target = submenu;
    return submenu;
}

void close_submenu()
{
    if (g_builder.depth > 0)
        g_builder.target = g_builder.stack[--g_builder.depth];
}

HMENU menu_append_target()
{
    return g_builder.target;
}

int32_t menu_being_built()
{
    return g_builder.target ? g_builder.current : 0;
}

bool menu_build_failed()
{
    return g_builder.failed;
}

int32_t live_menu_count()
{
    int32_t count = 0;
    g_menus.for_each_used([](const menu_record& record) { return record.menu != nullptr; },
                          [&](int32_t) { ++count; });
    return count;
}

void disable_menu_item(int32_t number, UINT id, int32_t state)
{
    if (menu_record* record = find_menu(number))
        EnableMenuItem(record->menu, id, MF_BYCOMMAND | (state ? MF_GRAYED : MF_ENABLED));
}

BOOL show_popup_menu(HMENU menu, HWND owner, int x, int y, uint32_t alignment)
{
    if (!menu)
        return FALSE;
    bring_to_foreground(owner);
    const UINT flags = TPM_RIGHTBUTTON | ((alignment & menu_opens_left) ? TPM_RIGHTALIGN : TPM_LEFTALIGN) |
                       ((alignment & menu_opens_up) ? TPM_BOTTOMALIGN : TPM_TOPALIGN);
    BOOL result = TrackPopupMenu(menu, flags, x, y, 0, owner, nullptr);
    // Lets the owner's thread switch tasks properly; without it the next menu of the same owner
    // may close as soon as it opens.
    PostMessageA(owner, WM_NULL, 0, 0);
    return result;
}

HMENU menu_handle(int32_t number)
{
    menu_record* record = find_menu(number);
    return record ? record->menu : nullptr;
}

void free_menu(int32_t number)
{
    menu_record* record = find_menu(number);
    if (!record)
        return;
    DestroyMenu(record->menu);  // and every submenu appended to it
    forget_builder_menu(number);
    g_menus.release(number);
}

HMENU move_menu(int32_t from, int32_t to)
{
    if (from == to)
        return nullptr;
    HMENU replaced = detach_menu(to);
    menu_record* source = find_menu(from);
    if (!source)
        return replaced;
    const menu_record moving = *source;
    g_menus.release(from);
    int32_t number = to;
    menu_record* target = g_menus.claim(&number);
    if (!target) {  // no memory for the slot: the menu cannot live on under any number
        DestroyMenu(moving.menu);
        forget_builder_menu(from);
        return replaced;
    }
    *target = moving;
    if (g_builder.target && g_builder.current == from)
        g_builder.current = to;
    return replaced;
}
