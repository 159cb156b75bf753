// test-lock: desktop
// Start menus that real machines hold and that are hard on a start menu, each run through the live
// program: the watcher's pass, the rebuild, a click on the Start button, choices with the keyboard.
// Every row has a defined result, the program still answers afterwards (a close request ends it
// with exit code 0, promptly), and nothing below the Start Menu folders or in the program's folder
// was written. The recording build runs, installed like the real one, so that the tests can read
// what the Programs submenu showed and how long each rebuild took.

#include "presentation/item_bitmaps.h"
#include "tests/support/scenario.h"

#include <algorithm>
#include <cstring>

namespace {

using namespace test;

using captions = std::vector<std::string>;

// The prefix's own folders, which every Programs submenu shows.
const std::string administrative_tools = "Administrative Tools";
const std::string startup = "StartUp";

struct hostile_tree {
    const char* name;
    void (*build)(Scenario&);  // the tree, made before the program starts
    void (*drive)(Scenario&);  // what the user does, and the result
    bool with_grafiken;
    DWORD first_rebuild_timeout_ms;
    start_options options;  // {taskbar edge, watcher interval, unprivileged, switches, hold}
};

// ---- many files

void build_fifty_thousand_files(Scenario& s)
{
    // 50 folders of 999 data files and one shortcut each, and one shortcut on top: 50,001 files.
    s.shortcut(s.user_programs() + "Anfang.lnk", "anfang");
    std::string tool = shell_quoted(s.shortcut_template("werkzeug"));
    s.unix_script("cd " + shell_quoted(unix_path_of(s.user_programs())) +
                  " && for d in $(seq -w 0 49); do mkdir \"Daten $d\" && cp " + tool +
                  " \"Daten $d/Werkzeug $d.lnk\" && i=1; while [ $i -lt 1000 ]; do"
                  " : > \"Daten $d/Teil $i.dat\"; i=$((i+1)); done; done",
                  120000);
}

void drive_fifty_thousand_files(Scenario& s)
{
    captions expected = {"Anfang", administrative_tools};
    for (int d = 0; d < 50; ++d)
        expected.push_back((d < 10 ? "Daten 0" : "Daten ") + std::to_string(d));
    expected.push_back(startup);
    s.choose({0});
    EXPECT_TRUE(s.wait_for_launch("anfang"));
    EXPECT_EQ(s.shown_entries(), expected);
    s.choose({-2, 0});  // Daten 49, Werkzeug 49
    EXPECT_TRUE(s.wait_for_launch("werkzeug"));
}

// 10,050 entries: 200 folders "Gruppe 000" to "Gruppe 199" of 50 entries each, whose very last is
// entry 10,000, then "Zuletzt" with 50 entries beyond the range. Folders of 50, as on real
// machines: Wine's shell takes longer for an icon the more files its folder holds.
void build_ten_thousand_fifty_entries(Scenario& s)
{
    // tee writes one template into many files: a process per 500 files, not one per file.
    auto copies = [&](const std::string& tag) {
        return " | t=" + shell_quoted(s.shortcut_template(tag)) +
               " xargs -d '\\n' -n 500 sh -c 'tee \"$@\" < \"$t\" > /dev/null' copy\n";
    };
    s.unix_script("cd " + shell_quoted(unix_path_of(s.user_programs())) +
                  " && seq -f 'Gruppe %03g' 0 199 | xargs -d '\\n' mkdir && mkdir Zuletzt\n"
                  "awk 'BEGIN { for (g = 0; g < 200; g++) for (i = 1; i <= 50; i++)"
                  " printf \"Gruppe %03d/Eintrag %02d.lnk\\n\", g, i }' | head -n 9999" + copies("masse") +
                  "echo 'Gruppe 199/Eintrag 50.lnk'" + copies("letzter") +
                  "seq -f 'Zuletzt/Eintrag %02g.lnk' 1 50" + copies("jenseits"),
                  120000);
}

void drive_ten_thousand_fifty_entries(Scenario& s)
{
    // Programs ends in "Gruppe 199", "StartUp", "Zuletzt".
    s.choose({-3, -1});  // the last entry of Gruppe 199: number 10,000
    EXPECT_TRUE(s.wait_for_launch("letzter"));
    // The recorder's line holds 2 KB: the first 150 captions.
    captions expected = {administrative_tools};
    for (int g = 0; g < 149; ++g) {
        char name[16];
        std::snprintf(name, sizeof name, "Gruppe %03d", g);
        expected.push_back(name);
    }
    captions shown = s.shown_entries();
    shown.resize(std::min<size_t>(shown.size(), expected.size()));
    EXPECT_EQ(shown, expected);
    // Zuletzt stays as a folder, with none of its entries.
    s.choose({-1, 0});
    s.choose({-1, -1});
    // Id 10,001 is still "Suchen", not an entry.
    s.choose_top_item(2);
    EXPECT_TRUE(wait_for_lines(s.log(), "shell_execute verb=find", 1, 5000));
    pump_messages(500);
    EXPECT_EQ(s.launches(), 1);
    // Every entry shows its picture: all of them share the shortcuts' one icon. Beside it the
    // folder's and the 13 of Grafiken.
    EXPECT_EQ(count_lines(s.log(), "unpictured=0"), count_lines(s.log(), "rebuild end"));
    EXPECT_EQ(s.live_images(), 1 + 1 + 13);
}

// ---- deep trees

// Folders "a" nested depth levels deep below the user's Programs folder, with a shortcut "T<level>"
// at the levels given; made through "\\?\" paths, which reach beyond 260 characters.
void build_nested(Scenario& s, int depth, const std::vector<int>& shortcut_levels)
{
    std::wstring path = L"\\\\?\\";
    for (char c : s.user_programs())
        path += static_cast<wchar_t>(static_cast<unsigned char>(c));
    for (int level = 1; level <= depth; ++level) {
        path += L"a\\";
        ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr)) << level;
        for (int at : shortcut_levels) {
            if (at != level)
                continue;
            std::string tag = "tief" + std::to_string(level);
            std::string from = s.scratch_ + "template_" + tag + ".lnk";
            s.shortcut(from, tag);
            wchar_t name[16];
            std::swprintf(name, 16, L"T%03d.lnk", level);
            std::wstring wide_from(from.begin(), from.end());
            ASSERT_TRUE(CopyFileW(wide_from.c_str(), (path + name).c_str(), TRUE)) << level;
        }
    }
}

// The deepest level whose shortcut "T<level>.lnk" has a path of at most limit characters.
int deepest_level_within(Scenario& s, size_t limit)
{
    int level = 0;
    while (s.user_programs().size() + 2 * static_cast<size_t>(level + 1) + std::strlen("T000.lnk") <= limit)
        ++level;
    return level;
}

// Programs, then 63 folders with a submenu each ("a" is the first item of Programs and of each
// folder's submenu), then the item at position last of folder 63's submenu.
std::vector<int> in_deepest_submenu(int last)
{
    std::vector<int> positions(63, 0);
    positions.push_back(last);
    return positions;
}

void build_seventy_levels(Scenario& s)
{
    build_nested(s, 70, {63, 70});
}

void drive_seventy_levels(Scenario& s)
{
    // The 64th submenu would be one too many: folders 64 to 70 put their entries into folder 63's.
    s.choose(in_deepest_submenu(-1));
    EXPECT_TRUE(s.wait_for_launch("tief70"));
    s.choose(in_deepest_submenu(0));
    EXPECT_TRUE(s.wait_for_launch("tief63"));
    EXPECT_EQ(s.shown_entries(), (captions{"a", administrative_tools, startup}));
}

void build_hundred_thirty_levels(Scenario& s)
{
    // The deepest shortcut whose path stays well inside 260 characters, and the first beyond.
    build_nested(s, 130, {63, 70, deepest_level_within(s, 250), deepest_level_within(s, 260) + 1, 130});
}

void drive_hundred_thirty_levels(Scenario& s)
{
    // The last entry of folder 63's submenu is the deepest one whose path fits; the shortcuts
    // beyond 260 characters have no entry.
    const int fitting = deepest_level_within(s, 250);
    s.choose(in_deepest_submenu(-1));
    EXPECT_TRUE(s.wait_for_launch("tief" + std::to_string(fitting)));
    s.choose(in_deepest_submenu(-2));
    EXPECT_TRUE(s.wait_for_launch("tief70"));
    pump_messages(500);
    EXPECT_EQ(s.launches(), 2);
    s.figure("deepest_fitting_level", fitting);
}

// ---- links

void build_link_cycle(Scenario& s)
{
    std::string programs = s.user_programs();
    programs.pop_back();
    const std::string circle = programs + "\\Kreis";
    s.shortcut(circle + "\\Ziel.lnk", "ziel");
    // One link back to the folder itself, one up to the Programs folder above it.
    for (const auto& [link, target] : {std::pair{circle + "\\Zurueck", circle}, std::pair{circle + "\\Oben", programs}})
        ASSERT_TRUE(make_folder_link(link, target)) << link;
}

void drive_link_cycle(Scenario& s)
{
    // Kreis holds Ziel alone: the links lead to folders already on the way and are left out.
    s.choose({1, -1});
    EXPECT_TRUE(s.wait_for_launch("ziel"));
    EXPECT_EQ(s.shown_entries(), (captions{administrative_tools, "Kreis", startup}));
}

// ---- names

void build_awkward_names(Scenario& s)
{
    // Made on the Unix side: Win32 strips the blank that ends "Spiele ", and the names in Cyrillic
    // ("Privet", "Papka") have no Windows-1252 spelling.
    const std::string privet = "$(printf '\\320\\237\\321\\200\\320\\270\\320\\262\\320\\265\\321\\202')";
    const std::string papka = "$(printf '\\320\\237\\320\\260\\320\\277\\320\\272\\320\\260')";
    auto copy = [&](const std::string& tag, const std::string& to) {
        return "cp " + shell_quoted(s.shortcut_template(tag)) + " " + to + "\n";
    };
    s.unix_script("cd " + shell_quoted(unix_path_of(s.user_programs())) + " && mkdir 'Spiele ' \"" + papka +
                  "\"\n" + copy("drag", "'Drag & Drop.lnk'") + copy("prozent", "'%windir% 100%.lnk'") +
                  copy("notiz", "'Notiz .lnk'") + copy("karten", "'Spiele /Karten.lnk'") +
                  copy("privet", "\"" + privet + ".lnk\"") + copy("abcdef", "'Abcdef.lnk'") +
                  copy("innen", "\"" + papka + "/Innen.lnk\""));
}

void drive_awkward_names(Scenario& s)
{
    // "&" is doubled in the menu's text, so that it shows as itself and marks no mnemonic. The
    // Cyrillic names reach the program as question marks, the "A" functions' stand-in.
    s.choose({3});
    EXPECT_TRUE(s.wait_for_launch("drag"));
    EXPECT_EQ(s.shown_entries(), (captions{"%windir% 100%", "??????", "Abcdef", "Drag && Drop", "Notiz ", "?????",
                                           administrative_tools, "Spiele ", startup}));
    const struct {
        std::vector<int> positions;
        const char* opened;  // the file handed to the shell, below Programs; nullptr: none
        const char* tag;     // the program that starts; nullptr: none
    } choices[] = {
        {{0}, "%windir% 100%.lnk", "prozent"},  // "%" is no variable and no format
        {{4}, "Notiz .lnk", "notiz"},           // the blank at the end of the name stays
        {{2}, "Abcdef.lnk", "abcdef"},
        // So does the blank that ends the folder's name, but Wine's shell cannot open a shortcut
        // in such a folder (error 193, also when asked directly): nothing starts under Wine.
        {{7, 0}, "Spiele \\Karten.lnk", nullptr},
        // "??????" names no file the program can reach; a pattern search would find Abcdef.
        {{1}, nullptr, nullptr},
        {{5, 0}, nullptr, nullptr},  // the Cyrillic folder cannot be listed: an empty submenu
    };
    for (const auto& choice : choices) {
        SCOPED_TRACE(choice.opened ? choice.opened : "nothing");
        int launches = s.launches();
        std::vector<std::string> runs = lines_containing(s.log(), "run_program");
        s.choose(choice.positions);
        if (choice.tag) {
            EXPECT_TRUE(s.wait_for_launch(choice.tag));
        }
        pump_messages(1500);
        std::vector<std::string> now = lines_containing(s.log(), "run_program");
        if (choice.opened) {
            ASSERT_EQ(now.size(), runs.size() + 1);
            EXPECT_NE(now.back().find("Programs\\" + std::string(choice.opened) + " parameters="), std::string::npos)
                << now.back();
        } else {
            EXPECT_EQ(now.size(), runs.size());
        }
        EXPECT_EQ(s.launches(), launches + (choice.tag ? 1 : 0));
    }
    EXPECT_EQ(s.launched("privet") + s.launched("innen"), 0);
}

// ---- broken files

void build_broken_files(Scenario& s)
{
    const std::string programs = s.user_programs();
    s.shortcut(programs + "Gut.lnk", "gut");
    // A shortcut cut off after its header's first bytes, and an internet shortcut of noise.
    const std::string cut_off("L\0\0\0\x01\x14\x02\0\0\0\0\0\xC0\0\0\0\0\0\0\x46\x9B\0\x08\0", 24);
    const std::string noise("\xFF\xFE[Internet\0Shortcut]\r\nURL=\x01\x02\r\n\xFF", 34);
    for (const auto& [name, bytes] : {std::pair{"Leer.lnk", std::string()}, std::pair{"Kaputt.lnk", cut_off},
                                      std::pair{"Nichts.url", std::string()}, std::pair{"Wirr.url", noise}})
        ASSERT_TRUE(write_file(programs + name, bytes)) << name;

    // Five of the thirteen pictures broken: empty, cut off, a header that promises 20000 x 20000
    // pixels without them, an empty icon and an icon directory that promises five icons.
    std::string huge("BM\x36\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x20\x4E\0\0\x20\x4E\0\0\x01\0\x18\0\0\0\0\0", 34);
    huge.append(20, '\x7F');
    const std::string grafiken = s.program_folder_ + "Grafiken\\";
    for (const auto& [name, bytes] : {std::pair{"Suchen.bmp", std::string()},
                                      std::pair{"Ausfuehren.bmp", std::string("BM\x10\x27", 4)},
                                      std::pair{"Wechseln.bmp", huge},
                                      std::pair{"Quarnet-Logo.ico", std::string()},
                                      std::pair{"Velmora.ico", std::string("\0\0\1\0\5\0\x10\x10", 8)}})
        ASSERT_TRUE(write_file(grafiken + name, bytes)) << name;
}

void drive_broken_files(Scenario& s)
{
    s.choose({0});
    EXPECT_TRUE(s.wait_for_launch("gut"));
    EXPECT_EQ(s.shown_entries(), (captions{"Gut", "Kaputt", "Leer", "Nichts", "Wirr", administrative_tools, startup}));
    // The eight good pictures, the folder's, and one for each different picture of the five
    // entries, which every entry shows.
    EXPECT_GE(s.live_images(), 8 + 1 + 1);
    EXPECT_LE(s.live_images(), 8 + 1 + 5);
    EXPECT_EQ(count_lines(s.log(), "unpictured=0"), count_lines(s.log(), "rebuild end"));
    // Opening the broken ones is the shell's business: the program asks and goes on.
    for (int broken = 1; broken <= 4; ++broken)
        s.choose({broken});
    s.choose({0});
    EXPECT_TRUE(s.wait_for_launch("gut", 2));
    pump_messages(500);
    EXPECT_EQ(s.launches(), 2);
    EXPECT_EQ(count_lines(s.log(), "run_program"), 6) << "each choice was carried out";
}

// ---- folders that cannot be read, pictures that are missing, a Programs folder that goes away

void build_locked_folder(Scenario& s)
{
    s.shortcut(s.user_programs() + "Gesperrt\\Geheim.lnk", "geheim");
    s.shortcut(s.user_programs() + "Offen\\Frei.lnk", "frei");
    s.unix_script("chmod 000 " + shell_quoted(unix_path_of(s.user_programs() + "Gesperrt")));
}

void drive_locked_folder(Scenario& s)
{
    // The folder is there but cannot be listed: an empty submenu. The one beside it works.
    s.choose({2, 0});
    EXPECT_TRUE(s.wait_for_launch("frei"));
    EXPECT_EQ(s.shown_entries(), (captions{administrative_tools, "Gesperrt", "Offen", startup}));
    s.choose({1, 0});
    pump_messages(1000);
    EXPECT_EQ(s.launches(), 1);
}

void build_solo_shortcut(Scenario& s)
{
    s.shortcut(s.user_programs() + "Solo.lnk", "solo");
}

void drive_without_grafiken(Scenario& s)
{
    s.choose({0});
    EXPECT_TRUE(s.wait_for_launch("solo"));
    EXPECT_EQ(s.live_images(), 1 + 1) << "the folder's and the entry's pictures, no others";
    s.choose_top_item(2);
    EXPECT_TRUE(wait_for_lines(s.log(), "shell_execute verb=find", 1, 5000));
}

void drive_programs_folder_leaves_and_returns(Scenario& s)
{
    s.choose({0});
    ASSERT_TRUE(s.wait_for_launch("solo"));
    EXPECT_EQ(s.shown_entries(), (captions{"Solo", administrative_tools, startup}));

    // Moved out of the Start Menu folder and back, as a user or a tool might while the program runs.
    std::string programs = s.user_programs();
    programs.pop_back();
    const std::string away = s.scratch_ + "Programs";
    ASSERT_TRUE(MoveFileA(programs.c_str(), away.c_str()));
    s.on_cleanup([=] { MoveFileA(away.c_str(), programs.c_str()); });
    s.wait_for_rebuild(2, 10000);
    ASSERT_TRUE(s.open_menu());
    s.close_menu();
    EXPECT_EQ(s.shown_entries(), (captions{administrative_tools, startup})) << "all users' folders alone";

    ASSERT_TRUE(MoveFileA(away.c_str(), programs.c_str()));
    s.set_up_while_running({"user start menu: changed .:"});
    s.wait_for_rebuild(3, 10000);
    s.choose({0});
    EXPECT_TRUE(s.wait_for_launch("solo", 2));
    EXPECT_EQ(s.shown_entries(), (captions{"Solo", administrative_tools, startup}));
}

// false when this process can still list a folder of mode 000 (the tests run as root): its
// permissions then keep nothing out.
bool permissions_bind_this_process()
{
    std::string folder = make_temp_folder("velmora_mode");
    bool bound = false;
    if (run_unix_script("chmod 000 " + shell_quoted(unix_path_of(folder)))) {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
        if (!(bound = search == INVALID_HANDLE_VALUE))
            FindClose(search);
        run_unix_script("chmod 755 " + shell_quoted(unix_path_of(folder)));
    }
    remove_tree(folder);
    return bound;
}

const hostile_tree hostile_trees[] = {
    {"FiftyThousandFiles", build_fifty_thousand_files, drive_fifty_thousand_files, true, 60000, {}},
    {"SeventyNestedFolders", build_seventy_levels, drive_seventy_levels, true, 30000, {}},
    {"HundredThirtyNestedFolders", build_hundred_thirty_levels, drive_hundred_thirty_levels, true, 30000, {}},
    {"LinkCycle", build_link_cycle, drive_link_cycle, true, 30000, {}},
    {"AwkwardNames", build_awkward_names, drive_awkward_names, true, 30000, {}},
    {"BrokenShortcutsAndPictures", build_broken_files, drive_broken_files, true, 30000, {}},
    {"FolderThatCannotBeOpened", build_locked_folder, drive_locked_folder, true, 30000, {-1, 0, true, {}, ""}},
    {"NoGrafikenFolder", build_solo_shortcut, drive_without_grafiken, false, 30000, {}},
    {"ProgramsFolderLeavesAndReturns", build_solo_shortcut, drive_programs_folder_leaves_and_returns, true, 30000,
     {-1, 300, false, {}, ""}},
    // About a minute of the shell's icon lookups.
    {"TenThousandFiftyEntries", build_ten_thousand_fifty_entries, drive_ten_thousand_fifty_entries, true, 150000,
     {}},
};

class HostileStartMenus : public Scenario, public testing::WithParamInterface<hostile_tree> {};

// Names the row in test lists, instead of its bytes.
void PrintTo(const hostile_tree& tree, std::ostream* out)
{
    *out << tree.name;
}

TEST_P(HostileStartMenus, RunThroughTheLiveProgram)
{
    const hostile_tree& tree = GetParam();
    install("velmora_recording.exe", tree.with_grafiken);
    DWORD building = GetTickCount();
    tree.build(*this);
    ASSERT_FALSE(HasFatalFailure());
    figure("set_up_ms", GetTickCount() - building);
    remember_folders();
    start_options options = tree.options;
    // Under another user than root a mode of 000 keeps the program out by itself.
    if (options.unprivileged && permissions_bind_this_process())
        options.unprivileged = false;
    start(options);
    ASSERT_FALSE(HasFatalFailure());
    figure("first_rebuild_ms", wait_for_rebuild(1, tree.first_rebuild_timeout_ms));
    figure("started_to_rebuilt_ms", GetTickCount() - started_);

    tree.drive(*this);
    figure("rebuilds", count_lines(session_.record_log, "rebuild end"));
    close_and_expect_nothing_written();
}

INSTANTIATE_TEST_SUITE_P(Trees, HostileStartMenus, testing::ValuesIn(hostile_trees),
                         [](const testing::TestParamInfo<hostile_tree>& info) { return std::string(info.param.name); });

}  // namespace
