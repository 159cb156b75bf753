// test-lock: desktop
// A start menu that real machines hold and that is hard on a start menu, run through the live
// recording build, installed like the real one: folders nested 130 deep, paths beyond 260
// characters, links that lead back up, names with "&", "%", a blank at the end or letters outside
// Windows-1252. Each choice has a defined result, a close request ends the program with exit code
// 0, and nothing below the Start Menu folders or in the program's folder was written.

#include "tests/support/scenario.h"


namespace {

using namespace test;

using HostileStartMenu = Scenario;

// Programs, then folder "a" (at position 5) and 62 more "a" folders inside it, each with a submenu,
// then the item at position last of the 63rd folder's submenu.
std::vector<int> in_deepest_submenu(int last)
{
    std::vector<int> positions(63, 0);
    positions[0] = 5;
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
    // Names made on the Unix side: Win32 strips the blank that ends "Spiele ", and the Cyrillic
    // "Privet" has no Windows-1252 spelling.
    const std::string privet = "\"$(printf '\\320\\237\\321\\200\\320\\270\\320\\262\\320\\265\\321\\202')\"";
    script += "mkdir 'Spiele ' Kreis\n";
    copy("drag", "'Drag & Drop.lnk'");
    copy("prozent", "'%windir% 100%.lnk'");
    copy("notiz", "'Notiz .lnk'");
    copy("karten", "'Spiele /Karten.lnk'");
    copy("privet", privet + ".lnk");
    copy("abcdef", "Abcdef.lnk");
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

    // "&" is doubled in the menu's text, so that it shows as itself and marks no mnemonic. The
    // Cyrillic name reaches the program as question marks, the "A" functions' stand-in.
    choose({3});
    EXPECT_TRUE(wait_for_launch("drag"));
    EXPECT_EQ(shown_entries(), (std::vector<std::string>{"%windir% 100%", "??????", "Abcdef", "Drag && Drop", "Notiz ",
                                                         "a", "Administrative Tools", "Kreis", "Spiele ", "StartUp"}));
    const struct {
        std::vector<int> positions;
        const char* opened;  // the file handed to the shell, below Programs; nullptr: none
        std::string tag;     // the program that starts; "": none
    } choices[] = {
        {{0}, "%windir% 100%.lnk", "prozent"},  // "%" is no variable and no format
        {{4}, "Notiz .lnk", "notiz"},           // the blank at the end of the name stays
        {{2}, "Abcdef.lnk", "abcdef"},
        // So does the blank that ends the folder's name, but Wine's shell cannot open a shortcut
        // in such a folder (error 193, also when asked directly): nothing starts under Wine.
        {{8, 0}, "Spiele \\Karten.lnk", ""},
        // "??????" names no file the program can reach; a pattern search would find Abcdef.
        {{1}, nullptr, ""},
        // Kreis holds Ziel alone: the links lead to folders already on the way and are left out.
        {{7, -1}, "Kreis\\Ziel.lnk", "ziel"},
        // The 64th submenu would be one too many: the entries of folders 64 and deeper go into
        // the 63rd folder's submenu, the last one the deepest that fits; beyond 260 characters
        // there is no entry.
        {in_deepest_submenu(0), nullptr, "tief63"},
        {in_deepest_submenu(1), nullptr, "tief70"},
        {in_deepest_submenu(-1), nullptr, "tief" + std::to_string(fitting)},
    };
    for (const auto& choice : choices) {
        SCOPED_TRACE(choice.opened ? choice.opened : choice.tag);
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
        ASSERT_EQ(now.size(), runs.size() + (choice.opened || !choice.tag.empty()));
        if (choice.opened) {
            EXPECT_NE(now.back().find("Programs\\" + std::string(choice.opened) + " parameters="), std::string::npos)
                << now.back();
        }
        EXPECT_EQ(this->launches(), launches + !choice.tag.empty());
    }
    close_and_expect_nothing_written();
}

}  // namespace
