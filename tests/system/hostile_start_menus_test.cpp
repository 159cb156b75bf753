// test-lock: desktop
// A start menu that real machines hold and that is hard on a start menu, run through the live
// recording build, installed like the real one (in a folder whose name the ANSI code page cannot
// write): folders nested 130 deep, paths beyond 260 characters, links that lead back up, names with
// "&", "%", a blank at the end, and shortcuts and folders named in Cyrillic, Greek, Chinese, Polish
// and with a character beyond U+FFFF. Each choice has a defined result, a close request ends the
// program with exit code 0, and nothing below the Start Menu folders or in the program's folder was
// written. The user's Start Menu folder may also lie where the code page cannot write its path.

#include "tests/support/scenario.h"


namespace {

using namespace test;

using HostileStartMenu = Scenario;

// Programs, then folder "a" (at position 8) and 62 more "a" folders inside it, each with a submenu,
// then the item at position last of the 63rd folder's submenu.
std::vector<int> in_deepest_submenu(int last)
{
    std::vector<int> positions(63, 0);
    positions[0] = 8;
    positions.push_back(last);
    return positions;
}

TEST_F(HostileStartMenu, EveryChoiceHasADefinedResultAndNothingIsWritten)
{
    install("velmora_recording.exe");
    const std::string programs = user_programs(), unix_programs = shell_quoted(unix_path_of(programs));
    std::string script = "cd " + unix_programs + "\n";
    auto copy = [&](const std::string& tag, const std::string& to) {
        shortcut(scratch_ + tag + ".lnk", tag);
        script += "cp " + shell_quoted(unix_path_of(scratch_ + tag + ".lnk")) + " " + to + "\n";
    };
    // Names made on the Unix side, where Win32 would strip the blank that ends "Spiele ". Names
    // beyond Windows-1252 are written in UTF-8, which Wine shows as the names they spell.
    script += "mkdir 'Spiele ' Kreis " + shell_quoted(utf8(u8"Ελληνικά")) + " " + shell_quoted(utf8(u8"工具")) + "\n";
    copy("drag", "'Drag & Drop.lnk'");
    copy("prozent", "'%windir% 100%.lnk'");
    copy("notiz", "'Notiz .lnk'");
    copy("karten", "'Spiele /Karten.lnk'");
    copy("abcdef", "Abcdef.lnk");
    const struct { const char* tag; const char8_t* name; } named[] = {
        {"privet", u8"Привет.lnk"}, {"lodz", u8"Łódź Wrocław.lnk"}, {"zhongwen", u8"中文程序.lnk"},
        {"spiel", u8"Spiel 😀.lnk"}, {"programma", u8"Ελληνικά/Πρόγραμμα.lnk"}, {"redaktor", u8"工具/Редактор.lnk"},
    };
    for (const auto& [tag, name] : named)
        copy(tag, shell_quoted(utf8(name)));
    // Kreis: a shortcut, a link back to the folder itself and one up to Programs.
    copy("ziel", "Kreis/Ziel.lnk");
    script += "ln -s \"$PWD/Kreis\" Kreis/Zurueck && ln -s \"$PWD\" Kreis/Oben\n";
    // Folders "a" nested 130 deep, a shortcut "T<level>.lnk" at levels 63 and 70, at the deepest
    // level whose path stays inside 250 characters, at the first level beyond 260, and at 130.
    const int fitting = static_cast<int>(250 - programs.size() - (sizeof "T000.lnk" - 1)) / 2;  // "a\" is 2
    const int beyond = static_cast<int>(260 - programs.size() - (sizeof "T000.lnk" - 1)) / 2 + 1;
    std::string deep = "a";
    for (int level = 1; level <= 130; deep += "/a", ++level)
        if (level == 63 || level == 70 || level == fitting || level == beyond || level == 130) {
            char name[16];
            std::snprintf(name, sizeof name, "/T%03d.lnk", level);
            script += "mkdir -p " + deep + "\n";
            copy("tief" + std::to_string(level), deep + name);
        }
    ASSERT_TRUE(run_unix_script(script)) << script;
    remember_folders();
    start_with_menu();

    // "&" is doubled in the menu's text, so that it shows as itself and marks no mnemonic. Every
    // name shows as it is on disk; those Windows-1252 lacks come after the others, by code point.
    // The program found its pictures in its folder.
    choose({2});
    EXPECT_TRUE(wait_for_launch("drag"));
    const std::vector<std::string> shown = {
        "%windir% 100%", "Abcdef", "Drag && Drop", "Notiz ", utf8(u8"Spiel 😀"), utf8(u8"Łódź Wrocław"),
        utf8(u8"Привет"), utf8(u8"中文程序"), "a", "Administrative Tools", "Kreis", "Spiele ", "StartUp",
        utf8(u8"Ελληνικά"), utf8(u8"工具")};
    EXPECT_EQ(shown_entries(), shown);
    EXPECT_EQ(lines_containing(log(), "pictures=").back(), "pictures=11") << "Programs and the ten commands";
    const struct {
        std::vector<int> positions;
        std::string opened;  // the file handed to the shell, below Programs; "": none
        std::string tag;     // the program that starts; "": none
    } choices[] = {
        {{0}, "%windir% 100%.lnk", "prozent"},  // "%" is no variable and no format
        {{3}, "Notiz .lnk", "notiz"},           // the blank at the end of the name stays
        {{1}, "Abcdef.lnk", "abcdef"},
        // So does the blank that ends the folder's name, but Wine's shell cannot open a shortcut
        // in such a folder (error 193, also when asked directly): nothing starts under Wine.
        {{11, 0}, "Spiele \\Karten.lnk", ""},
        {{4}, utf8(u8"Spiel 😀.lnk"), "spiel"},
        {{5}, utf8(u8"Łódź Wrocław.lnk"), "lodz"},
        {{6}, utf8(u8"Привет.lnk"), "privet"},
        {{7}, utf8(u8"中文程序.lnk"), "zhongwen"},
        {{13, 0}, utf8(u8"Ελληνικά\\Πρόγραμμα.lnk"), "programma"},
        {{14, 0}, utf8(u8"工具\\Редактор.lnk"), "redaktor"},
        // Kreis holds Ziel alone: the links lead to folders already on the way and are left out.
        {{10, -1}, "Kreis\\Ziel.lnk", "ziel"},
        // The 64th submenu would be one too many: the entries of folders 64 and deeper go into
        // the 63rd folder's submenu, the last one the deepest that fits; beyond 260 characters
        // there is no entry.
        {in_deepest_submenu(0), "", "tief63"},
        {in_deepest_submenu(1), "", "tief70"},
        {in_deepest_submenu(-1), "", "tief" + std::to_string(fitting)},
    };
    for (const auto& choice : choices) {
        SCOPED_TRACE(choice.opened.empty() ? choice.tag : choice.opened);
        const int launches = this->launches(), searches = count_lines(log(), "verb=find");
        const std::vector<std::string> runs = lines_containing(log(), "run_program");
        choose(choice.positions);
        if (!choice.tag.empty()) {
            EXPECT_TRUE(wait_for_launch(choice.tag));
        }
        // "Suchen" after it: once the search is asked for, the choice has been handled.
        choose_top_item(2);
        ASSERT_TRUE(wait_for_lines(log(), "verb=find", searches + 1, 30000));
        const std::vector<std::string> now = lines_containing(log(), "run_program");
        ASSERT_EQ(now.size(), runs.size() + (!choice.opened.empty() || !choice.tag.empty()));
        if (!choice.opened.empty()) {
            EXPECT_NE(now.back().find("Programs\\" + choice.opened + " parameters="), std::string::npos) << now.back();
        }
        EXPECT_EQ(this->launches(), launches + !choice.tag.empty());
    }
    close_and_expect_nothing_written();
}

// The user's Start Menu folder where Windows looks it up, the value "Start Menu" of the Explorer's
// "User Shell Folders", moved for one test and put back however the test ends.
class moved_start_menu {
public:
    explicit moved_start_menu(const std::string& folder)
    {
        had_value_ = RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_ANY | RRF_NOEXPAND, &type_, previous_,
                                  &size_) == ERROR_SUCCESS;
        const std::wstring path = wide(folder);
        moved_ = RegSetKeyValueW(HKEY_CURRENT_USER, key, name, REG_EXPAND_SZ, path.c_str(),
                                 static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    }
    ~moved_start_menu()
    {
        if (had_value_)
            RegSetKeyValueW(HKEY_CURRENT_USER, key, name, type_, previous_, size_);
        else
            RegDeleteKeyValueW(HKEY_CURRENT_USER, key, name);
    }
    moved_start_menu(const moved_start_menu&) = delete;
    moved_start_menu& operator=(const moved_start_menu&) = delete;
    bool moved() const { return moved_; }

private:
    static constexpr const wchar_t* key = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    static constexpr const wchar_t* name = L"Start Menu";
    BYTE previous_[4096] = {};
    DWORD size_ = sizeof previous_;
    DWORD type_ = REG_EXPAND_SZ;
    bool had_value_ = false;
    bool moved_ = false;
};

// A user whose name the ANSI code page cannot write has a Start Menu folder whose path it cannot
// write either: its Programs are in the menu all the same and open.
TEST_F(HostileStartMenu, TheUsersStartMenuMayLieWhereTheCodePageCannotWriteItsPath)
{
    const std::string moved = scratch_ + utf8(u8"Łukasz Иванов\\Startmenü\\");
    ASSERT_TRUE(make_folders(moved + "Programs"));
    const moved_start_menu registry(moved.substr(0, moved.size() - 1));
    ASSERT_TRUE(registry.moved());
    ASSERT_EQ(user_programs(), moved + "Programs\\");
    shortcut(user_programs() + utf8(u8"Программа 😀.lnk"), "moved");
    remember_folders();
    start_with_menu();
    choose({0});
    EXPECT_TRUE(wait_for_launch("moved"));
    const std::vector<std::string> shown = {utf8(u8"Программа 😀"), "Administrative Tools", "StartUp"};
    EXPECT_EQ(shown_entries(), shown);
    close_and_expect_nothing_written();
}

}  // namespace
