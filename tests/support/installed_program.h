#pragma once
// Velmora as its users install it: the program file copied into a fresh folder of its own, with the
// build's Grafiken folder beside it (or without it), and started from there as its current
// directory. Also the Unix side of the Wine machine, for what Win32 cannot make.

#include <windows.h>

#include <string>

#include "tests/support/velmora_session.h"

namespace test {

struct installed_program {
    std::string folder;  // ends in "\"
    std::string name;    // the program file's name in folder
};

// Copies program (a file of the build's bin folder) and, when wanted, the Grafiken folder into a
// fresh folder. false when a copy failed.
bool install_program(installed_program* program, const char* file, bool with_grafiken);
void remove_program(installed_program* program);

struct start_options {
    DWORD watch_interval_ms = 0;  // the recording build's watcher interval; 0 keeps the program's
    // Started without the Unix privilege to read what its permissions forbid, so that a folder
    // with mode 000 cannot be opened even when the tests run as root. The process is then not
    // this process's child; it is found by its main window and opened.
    bool unprivileged = false;
};

// Starts the installed program as a user does, its folder the current directory, with the
// session's fresh record log, and waits for its main window.
bool start_installed(velmora_session& session, const installed_program& program,
                     const start_options& options = {});

// Runs script with /bin/sh through Wine and waits until it has ended; false when it did not end
// within timeout_ms. Wine gives no handle for a Unix process, so the end is told by a marker file.
bool run_unix_script(const std::string& script, DWORD timeout_ms = 60000);
// A Unix path in single quotes for a script.
std::string shell_quoted(const std::string& unix_path);

// false when this process can still list a folder of mode 000 (the tests run as root): its
// permissions then keep nothing out.
bool permissions_bind_this_process();

}  // namespace test
