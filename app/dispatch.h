#pragma once
// What the start menu and the about window do: the command dispatch for menu events and the
// control dispatch for the about window's links and button.

#include <cstdint>
#include <string>

#include "app/menu_publication.h"

// Opens every existing shortcut file of an entry path (UTF-8, as the tree holds it): user .lnk, all
// users' .lnk, user .url, all users' .url, in this order. A root the shell could not resolve ("") is
// skipped: its candidates would name files relative to the current directory.
void launch_entry(const std::string& entry_path, const programs_roots& roots);

// item: the menu item id; launch: the launch list of the menu the item was chosen in.
void dispatch_command(int32_t item, const launch_table& launch);
void dispatch_control(int32_t control);

// "shutdown.exe" in the system folder, in double quotes, UTF-8.
std::string system_shutdown_program();
