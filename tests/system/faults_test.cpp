// test-lock: desktop
// The start menu under load: 200 rebuilds while the user keeps opening the menu and choosing
// programs. The first entry of the Programs menu comes and goes with every rebuild, so the numbers
// of all the others change each time, often while a menu is on screen. Whatever the timing, a
// choice starts the program that the menu on screen showed at that place; the program lives on
// and ends cleanly; and what the rebuilds leave alive does not grow.

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/scenario.h"
#include "tests/support/soak.h"

namespace {

using namespace test;

constexpr int total_rebuilds = 200;
// At rest, before and after the load: the start, then one tree with and one without the coming
// entry; at the end the same two trees again.
constexpr int opening_rebuilds = 3;
constexpr int closing_rebuilds = 2;
constexpr const char* coming_entry = "Apfel";  // present after every even-numbered rebuild
constexpr const char* stable_entries[] = {"Birne", "Dattel", "Kirsche"};
constexpr int every_nth_choice_clicks_again_at_once = 3;
// Under Wine a menu built on one thread while another thread tracks a menu now and then comes out
// without its items (a race in Wine's menus; a small program that only builds menus on one thread
// and tracks them on another shows it too). Such a menu is dismissed and counted, not chosen from.
constexpr const char* empty_menu = "<empty>";

// The program entries among the captions of a Programs submenu: they come before its folders (a
// fresh prefix has two).
size_t program_count(const std::vector<std::string>& captions)
{
    size_t count = 0;
    while (count < captions.size() &&
           (captions[count] == coming_entry ||
            std::find(std::begin(stable_entries), std::end(stable_entries), captions[count]) !=
                std::end(stable_entries)))
        ++count;
    return count;
}

// What the log says about one menu on screen.
struct shown_menu_record {
    std::vector<std::string> entries;  // the Programs submenu's captions
    bool rebuilt_while_open = false;
};

// The menus shown and the programs started, in log order.
struct session_record {
    std::vector<shown_menu_record> menus;
    std::vector<std::string> started;  // the caption of each shortcut run, in order
};

// "run_program file=C:\...\Programs\Birne.lnk parameters=..." gives "Birne".
std::string started_caption(const std::string& line)
{
    size_t file = line.find("file=") + 5;
    std::string path = line.substr(file, line.find(" parameters=") - file);
    std::string name = path.substr(path.find_last_of('\\') + 1);
    return name.substr(0, name.find_last_of('.'));
}

session_record read_session(const std::string& log)
{
    session_record record;
    bool open = false;
    for (const std::string& line : read_lines(log)) {
        if (line.rfind("menu shown", 0) == 0) {
            record.menus.emplace_back();
            open = true;
        } else if (line.rfind("entries=", 0) == 0 && !record.menus.empty()) {
            record.menus.back().entries = split(line.substr(8), '|');
        } else if (line == "menu closed") {
            open = false;
        } else if (line == "rebuild end" && open) {
            record.menus.back().rebuilt_while_open = true;
        } else if (line.rfind("run_program ", 0) == 0) {
            record.started.push_back(started_caption(line));
        }
    }
    return record;
}

// A fixed scatter of numbers, so that every run makes the same sequence of choices and pauses.
unsigned scatter(unsigned i)
{
    return i * 2654435761u >> 8;
}

int toggle_pause_ms(int i)
{
    // 0 to 120 ms, so that rebuilds end at every phase of a choice.
    return static_cast<int>(scatter(static_cast<unsigned>(i)) % 121u);
}

class Faults : public Scenario {
protected:
    // The three stable entries and the coming one (away at first), then the recording build with
    // a watcher that looks every 20 ms, its first menu built.
    void start_with_coming_entry(coming_and_going* apfel)
    {
        shortcut(user_programs() + stable_entries[0] + ".lnk", stable_entries[0]);
        shortcut(common_programs() + stable_entries[1] + ".lnk", stable_entries[1]);
        shortcut(user_programs() + stable_entries[2] + ".lnk", stable_entries[2]);
        ASSERT_TRUE(prepare_coming_and_going(apfel, scratch_, user_programs() + coming_entry + ".lnk",
                                             fixture_path("record_launch.exe"), launch_arguments(coming_entry)));
        start_options quick;
        quick.watch_interval_ms = 20;
        start_with_menu(quick);
    }

    // Takes the next menu, the one a click raised earlier or one raised now, and chooses the entry
    // at position n (from 1) of its Programs submenu, n counting round the programs it shows.
    // With again_at_once the Start button is clicked again as soon as the menu has closed, while
    // the choice may still be on its way, as an impatient user does. Returns the caption chosen,
    // or "" when no menu came.
    std::string choose_at(unsigned n, bool again_at_once)
    {
        const int menu = ++menus_handled_;
        if (!wait_for_lines(log(), "menu shown", menu, clicked_at_once_ ? 1000 : 0)) {
            for (int attempt = 0; attempt < 3 && count_lines(log(), "menu shown") < menu; ++attempt) {
                click_start_button();
                wait_for_lines(log(), "menu shown", menu, 3000);
            }
        }
        if (!wait_for_lines(log(), "entries=", menu, 3000) || !wait_for_menu(true, 5000))
            return "";
        std::vector<std::string> entries = split(lines_containing(log(), "entries=")[menu - 1].substr(8), '|');
        size_t programs = program_count(entries);
        if (programs == 0) {
            pump_messages(80);
            press_key(VK_ESCAPE);
            clicked_at_once_ = false;
            return wait_for_lines(log(), "menu closed", menu, 5000) && wait_for_menu(false, 5000)
                       ? empty_menu
                       : "";
        }
        unsigned position = static_cast<unsigned>(scatter(n) % programs) + 1;

        int runs_before = count_lines(log(), "run_program");

        pump_messages(80);
        press_key(VK_DOWN);
        press_key(VK_RIGHT);
        for (unsigned i = 1; i < position; ++i)
            press_key(VK_DOWN);
        press_key(VK_RETURN);
        clicked_at_once_ = again_at_once;
        if (again_at_once) {
            // The moment the menu has gone: while it is up, it covers the button here (the system
            // keeps it on screen), and the release of the click would choose its last item.
            DWORD start = GetTickCount();
            while (visible_menu_window() && GetTickCount() - start < 5000)
                Sleep(1);
            click_start_button();
        }
        if (!wait_for_lines(log(), "menu closed", menu, 5000))
            return "";
        const std::string& chosen = entries[position - 1];
        if (!again_at_once) {
            // Wait for the choice to be opened; the coming entry may be gone and open nothing.
            wait_for_lines(log(), "run_program", runs_before + 1, chosen == coming_entry ? 300 : 5000);
            wait_for_menu(false, 5000);
        }
        return chosen;
    }

    int menus_handled_ = 0;
    bool clicked_at_once_ = false;
};

TEST_F(Faults, ChoicesDuringTwoHundredRebuildsStartWhatTheShownMenuHad)
{
    coming_and_going apfel;
    start_with_coming_entry(&apfel);
    if (HasFatalFailure())
        return;

    // One quiet choice first, so that the references below come after whatever a first menu
    // makes once; then the two trees at rest.
    std::vector<std::string> chosen;
    chosen.push_back(choose_at(0, false));
    ASSERT_EQ(chosen.back(), "Birne");
    ASSERT_TRUE(drive_rebuilds(apfel, log(), opening_rebuilds - 1, 30000));

    // The load: a thread moves the coming entry in and out, one rebuild each time, while this
    // thread keeps choosing.
    std::atomic<int> toggled{-1};  // -1 running, 0 failed, 1 done
    std::thread toggler([&] {
        const int rebuilds = total_rebuilds - opening_rebuilds - closing_rebuilds;
        toggled = drive_rebuilds(apfel, log(), rebuilds, 30000, toggle_pause_ms) ? 1 : 0;
    });
    for (unsigned n = 1; toggled.load() < 0; ++n) {
        chosen.push_back(choose_at(n, n % every_nth_choice_clicks_again_at_once == 0));
        if (chosen.back().empty())
            break;
    }
    toggler.join();
    ASSERT_FALSE(chosen.back().empty()) << "menu " << menus_handled_ << " did not come or close";
    ASSERT_EQ(toggled.load(), 1) << "a rebuild did not come";
    // A click made at once after the last choice may have opened one more menu.
    pump_messages(500);
    if (count_lines(log(), "menu shown") > menus_handled_)
        chosen.push_back(choose_at(0, false));
    ASSERT_TRUE(wait_for_menu(false, 5000));
    ASSERT_TRUE(drive_rebuilds(apfel, log(), closing_rebuilds, 30000));
    pump_messages(500);

    // Every choice started what its menu showed at the chosen place, in the order of the choices,
    // and nothing else started. The coming entry may have left before it was opened.
    session_record record = read_session(log());
    ASSERT_EQ(record.menus.size(), chosen.size());
    size_t next = 0;
    int empty_menus = 0;
    for (size_t i = 0; i < chosen.size(); ++i) {
        SCOPED_TRACE("choice " + std::to_string(i + 1) + " of " + chosen[i]);
        if (chosen[i] == empty_menu) {
            ++empty_menus;
            continue;
        }
        if (next < record.started.size() && record.started[next] == chosen[i])
            ++next;
        else
            ASSERT_EQ(chosen[i], coming_entry) << "started instead: "
                                               << (next < record.started.size() ? record.started[next] : "nothing");
    }
    EXPECT_EQ(next, record.started.size()) << "programs started that nobody chose";
    int menus_rebuilt_under = 0;
    for (const shown_menu_record& menu : record.menus)
        menus_rebuilt_under += menu.rebuilt_while_open;
    EXPECT_GE(menus_rebuilt_under, 10) << "too few choices met a rebuild to prove anything";
    std::printf("%zu menus, %d of them rebuilt while open, %d shown empty\n", chosen.size(),
                menus_rebuilt_under, empty_menus);

    // The shortcuts really ran: each stable entry as often as it was opened.
    for (const char* caption : stable_entries) {
        int runs = 0;
        for (const std::string& started_entry : record.started)
            runs += started_entry == caption;
        EXPECT_TRUE(wait_until([&] { return launched(caption) == runs; }, 20000))
            << caption << ": " << launched(caption) << " launches for " << runs << " runs";
    }

    // Exactly the rebuilds driven, and no growth: the last two against the two at rest after the
    // warm-up, tree for tree (even-numbered rebuilds show the coming entry).
    EXPECT_EQ(count_lines(log(), "rebuild end"), total_rebuilds);
    std::vector<live_resources> resources = logged_resources(log());
    ASSERT_EQ(resources.size(), static_cast<size_t>(total_rebuilds));
    const struct {
        int early, late;  // rebuild numbers, from 1
    } pairs[] = {{opening_rebuilds - 1, total_rebuilds}, {opening_rebuilds, total_rebuilds - 1}};
    for (const auto& pair : pairs) {
        SCOPED_TRACE("rebuild " + std::to_string(pair.late) + " against " + std::to_string(pair.early));
        const live_resources& early = resources[pair.early - 1];
        const live_resources& late = resources[pair.late - 1];
        EXPECT_LE(late.images, early.images);
        EXPECT_LE(late.gdi, early.gdi);
        EXPECT_LE(late.menus, early.menus);
        EXPECT_EQ(late.menus, 1) << "replaced start menus stay alive";
    }

    EXPECT_EQ(close_velmora(session_), 0) << "the program lives and ends cleanly";
}

// A menu left open while the Programs folders keep changing: every rebuild replaces the start
// menu, but only the build on screen has to wait for the menu to close. The builds made and
// replaced meanwhile were never shown; kept as well, they would pile up without bound, a start
// menu and a bitmap per entry each, towards the system's limits on menus and GDI objects.
TEST_F(Faults, AMenuLeftOpenThroughRebuildsKeepsOnlyTheBuildItShows)
{
    constexpr int rebuilds_while_open = 20;
    coming_and_going apfel;
    start_with_coming_entry(&apfel);
    if (HasFatalFailure())
        return;
    // A first menu makes what the system makes once; then one rebuild at rest to compare with.
    click_start_button();
    ASSERT_TRUE(wait_for_menu(true, 5000));
    press_key(VK_ESCAPE);
    ASSERT_TRUE(wait_for_menu(false, 5000));
    ASSERT_TRUE(drive_rebuilds(apfel, log(), 2, 30000));
    const live_resources at_rest = logged_resources(log()).back();

    click_start_button();
    ASSERT_TRUE(wait_for_menu(true, 5000));
    ASSERT_TRUE(drive_rebuilds(apfel, log(), rebuilds_while_open, 30000));
    std::vector<live_resources> resources = logged_resources(log());
    ASSERT_EQ(resources.size(), static_cast<size_t>(3 + rebuilds_while_open));
    // The second and the last rebuild under the open menu have the same tree.
    const live_resources& early = resources[3 + 1];
    const live_resources& late = resources.back();
    EXPECT_EQ(late.menus, 2) << "start menus alive while one stays open";
    EXPECT_LE(late.gdi, early.gdi) << "GDI objects alive while one menu stays open";

    // Closed, it lets its own build go too.
    press_key(VK_ESCAPE);
    ASSERT_TRUE(wait_for_menu(false, 5000));
    ASSERT_TRUE(drive_rebuilds(apfel, log(), 2, 30000));
    resources = logged_resources(log());
    EXPECT_EQ(resources.back().menus, 1);
    EXPECT_LE(resources.back().gdi, at_rest.gdi);
    EXPECT_EQ(close_velmora(session_), 0);
}

}  // namespace
