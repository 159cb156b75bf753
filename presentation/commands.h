#pragma once
// The fixed commands of the start menu, below the Programs submenu: one row per command.

#include <cstdint>

constexpr uint32_t command_search = 10001;
constexpr uint32_t command_run = 10002;
constexpr uint32_t command_switch_user = 10003;
constexpr uint32_t command_log_off = 10004;
constexpr uint32_t command_standby = 10005;
constexpr uint32_t command_hibernate = 10006;
constexpr uint32_t command_restart = 10007;
constexpr uint32_t command_shut_down = 10008;
constexpr uint32_t command_information = 10009;
constexpr uint32_t command_quit = 10010;

struct fixed_command {
    uint32_t id;
    const char* caption;
    int32_t image;  // image number of its bitmap
    bool greyed;
};

// In menu order; a separator stands before the first and before command_information.
inline constexpr fixed_command fixed_commands[] = {
    {command_search, "Suchen", 16, false},
    {command_run, "Ausführen", 11, false},
    {command_switch_user, "Benutzer wechseln", 17, false},
    {command_log_off, "Benutzer abmelden", 10, false},
    {command_standby, "Standby", 15, true},
    {command_hibernate, "Ruhezustand", 14, true},
    {command_restart, "Neu starten", 13, false},
    {command_shut_down, "Herunterfahren", 12, false},
    {command_information, "Informationen", 18, false},
    {command_quit, "Velmora beenden", 19, false},
};
