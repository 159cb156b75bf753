// test-lock: desktop
// A start menu that real machines hold and that is hard on a start menu, run through the recording
// build installed like the real one (in a folder whose name the ANSI code page cannot write):
// folders nested 130 deep, paths beyond 260 characters, links that lead back up, names with "&",
// "%", a blank at the end, and names in Cyrillic, Greek, Chinese, Polish and beyond U+FFFF. Each
// choice has a defined result, a close request ends the program with exit code 0, and nothing below
// the Start Menu folders or in the program's folder was written.

#include "tests/support/scenario.h"

namespace {

using namespace test;

// The names of the tree, each with its place in the menu and the tag of its shortcut.
const struct { const char8_t* path; std::vector<int> place; const char* tag; } named[] = {
    {u8"%windir% 100%.lnk", {0}, "prozent"}, {u8"Abcdef.lnk", {1}, "abcdef"}, {u8"Drag & Drop.lnk", {2}, "drag"},
    {u8"Notiz .lnk", {3}, "notiz"}, {u8"Spiel 😀.lnk", {4}, "spiel"}, {u8"Łódź Wrocław.lnk", {5}, "lodz"},
    {u8"Привет.lnk", {6}, "privet"}, {u8"中文程序.lnk", {7}, "zhongwen"}, {u8"Spiele /Karten.lnk", {11, 0}, "karten"},
    {u8"Ελληνικά/Πρόγραμμα.lnk", {13, 0}, "programma"}, {u8"工具/Редактор.lnk", {14, 0}, "redaktor"},
};

class HostileStartMenu : public Scenario {
protected:
    // Makes the tree on the Unix side, where Win32 would strip the blank that ends "Spiele "; names
    // beyond Windows-1252 are written in UTF-8, which Wine shows as the names they spell. Every
    // shortcut is a copy of one made here with its tag.
    void make_hostile_tree()
    {
        install("velmora_recording.exe");
        const std::string programs = user_programs();
        std::string script = "cd " + shell_quoted(unix_path_of(programs)) + "\n";
        auto copy = [&](const std::string& tag, const std::string& to) {
            shortcut(scratch_ + tag + ".lnk", tag);
            script += "mkdir -p \"$(dirname " + shell_quoted(to) + ")\" && cp " +
                      shell_quoted(unix_path_of(scratch_ + tag + ".lnk")) + " " + shell_quoted(to) + "\n";
        };
        for (const auto& name : named)
            copy(name.tag, utf8(name.path));
        // Kreis: a shortcut, a link back to the folder itself and one up to Programs.
        copy("ziel", "Kreis/Ziel.lnk");
        script += "ln -s \"$PWD/Kreis\" Kreis/Zurueck && ln -s \"$PWD\" Kreis/Oben\n";
        // Folders "a" nested 130 deep, a shortcut "T<level>.lnk" at levels 63 and 70, at the deepest
        // level whose path stays inside 250 characters, at the first level beyond 260, and at 130.
        fitting_ = static_cast<int>(250 - programs.size() - (sizeof "T000.lnk" - 1)) / 2;  // "a\" is 2
        const int beyond = static_cast<int>(260 - programs.size() - (sizeof "T000.lnk" - 1)) / 2 + 1;
        std::string deep = "a";
        for (int level = 1; level <= 130; deep += "/a", ++level)
            if (level == 63 || level == 70 || level == fitting_ || level == beyond || level == 130)
                copy("tief" + std::to_string(level), deep + "/T" + std::string(level < 100, '0') + std::to_string(level) + ".lnk");
        ASSERT_TRUE(run_unix_script(script)) << script;
        remember_folders();
        start_with_menu();
    }

    // Chooses the item at positions, then "Suchen", after which the choice has been handled: the
    // shell was handed Programs\opened ("": nothing) and the program of tag started ("": none).
    void expect_choice(const std::vector<int>& positions, const std::string& opened, const std::string& tag)
    {
        SCOPED_TRACE(opened.empty() ? tag : opened);
        const int launches = this->launches(), searches = count_lines(log(), "verb=find");
        const size_t runs = lines_containing(log(), "run_program").size();
        choose(positions);
        EXPECT_TRUE(tag.empty() || wait_for_launch(tag));
        choose_top_item(2);
        ASSERT_TRUE(wait_for_lines(log(), "verb=find", searches + 1, 30000));
        const std::vector<std::string> now = lines_containing(log(), "run_program");
        ASSERT_EQ(now.size(), runs + (!opened.empty() || !tag.empty()));
        EXPECT_TRUE(opened.empty() || now.back().find("Programs\\" + opened + " parameters=") != std::string::npos)
            << now.back();
        EXPECT_EQ(this->launches(), launches + !tag.empty());
    }

    int fitting_ = 0;  // the deepest level whose shortcut's path fits
};

// "&" is doubled in the menu's text, so that it shows as itself and marks no mnemonic. Every name
// shows as it is on disk, and opens; those Windows-1252 lacks come after the others, by code point.
TEST_F(HostileStartMenu, EveryNameShowsAsItIsAndOpensItsShortcut)
{
    ASSERT_NO_FATAL_FAILURE(make_hostile_tree());
    const std::vector<std::string> shown = {
        "%windir% 100%", "Abcdef", "Drag && Drop", "Notiz ", utf8(u8"Spiel 😀"), utf8(u8"Łódź Wrocław"),
        utf8(u8"Привет"), utf8(u8"中文程序"), "a", "Administrative Tools", "Kreis", "Spiele ", "StartUp",
        utf8(u8"Ελληνικά"), utf8(u8"工具")};
    for (const auto& name : named) {  // "%" is no variable and no format; a blank that ends a name stays
        std::string path = utf8(name.path);
        std::replace(path.begin(), path.end(), '/', '\\');
        // Wine's shell cannot open a shortcut in a folder whose name ends in a blank (error 193, also
        // when asked directly): nothing starts there under Wine.
        expect_choice(name.place, path, path.find(" \\") == std::string::npos ? name.tag : "");
        EXPECT_EQ(shown_entries(), shown);
    }
    EXPECT_EQ(lines_containing(log(), "pictures=").back(), "pictures=11") << "the program found its pictures";
    close_and_expect_nothing_written();
}

// Kreis holds Ziel alone: the links lead to folders already on the way and are left out. The 64th
// submenu would be one too many: the entries of folders 64 and deeper go into the 63rd folder's
// submenu, the last one the deepest that fits; beyond 260 characters there is no entry.
TEST_F(HostileStartMenu, LinksBackUpAndDeepFoldersHaveDefinedEntries)
{
    ASSERT_NO_FATAL_FAILURE(make_hostile_tree());
    expect_choice({10, -1}, "Kreis\\Ziel.lnk", "ziel");
    std::vector<int> deepest(63, 0);  // Programs, "a" at position 8, then 62 more "a" folders inside it
    deepest[0] = 8;
    for (const auto& [last, level] : {std::pair{0, 63}, std::pair{1, 70}, std::pair{-1, fitting_}}) {
        deepest.push_back(last);
        expect_choice(deepest, "", "tief" + std::to_string(level));
        deepest.pop_back();
    }
    close_and_expect_nothing_written();
}

// The user's Start Menu folder where Windows looks it up, the value "Start Menu" of the Explorer's
// "User Shell Folders": a user whose name the ANSI code page cannot write has a folder whose path
// it cannot write either. Its Programs are in the menu all the same and open.
TEST_F(HostileStartMenu, TheUsersStartMenuMayLieWhereTheCodePageCannotWriteItsPath)
{
    const wchar_t* key = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    BYTE previous[4096] = {};
    DWORD size = sizeof previous, type = REG_EXPAND_SZ;
    const bool had_value = RegGetValueW(HKEY_CURRENT_USER, key, L"Start Menu", RRF_RT_ANY | RRF_NOEXPAND, &type,
                                        previous, &size) == ERROR_SUCCESS;
    const std::string moved = scratch_ + utf8(u8"Łukasz Иванов\\Startmenü\\");
    const std::wstring path = wide(moved.substr(0, moved.size() - 1));
    ASSERT_TRUE(make_folders(moved + "Programs") &&
                RegSetKeyValueW(HKEY_CURRENT_USER, key, L"Start Menu", REG_EXPAND_SZ, path.c_str(),
                                static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS);
    EXPECT_EQ(user_programs(), moved + "Programs\\");
    shortcut(user_programs() + utf8(u8"Программа 😀.lnk"), "moved");
    remember_folders();
    start_with_menu();
    choose({0});
    EXPECT_TRUE(wait_for_launch("moved"));
    const std::vector<std::string> shown = {utf8(u8"Программа 😀"), "Administrative Tools", "StartUp"};
    EXPECT_EQ(shown_entries(), shown);
    close_and_expect_nothing_written();
    if (had_value)
        RegSetKeyValueW(HKEY_CURRENT_USER, key, L"Start Menu", type, previous, size);
    else
        RegDeleteKeyValueW(HKEY_CURRENT_USER, key, L"Start Menu");
}

}  // namespace
