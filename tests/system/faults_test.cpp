// test-lock: desktop
// The start menu under load: rebuilds one after another while the user keeps opening the menu and
// choosing programs. The first entry of the Programs menu comes and goes with every rebuild, so the
// numbers of all the others change each time, often while a menu is on screen. Whatever the timing,
// a choice starts the program that the menu on screen showed at that place; the program lives on
// and ends cleanly; and what the rebuilds leave alive does not grow.

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/scenario.h"
#include "tests/support/soak.h"

namespace {

using namespace test;

constexpr int load_rebuilds = 150;
constexpr const char* coming_entry = "Apfel";
constexpr const char* stable_entries[] = {"Birne", "Dattel", "Kirsche"};
// Under Wine a menu built on one thread while another thread tracks a menu now and then comes out
// without its items (a race in Wine's menus). Such a menu is dismissed, not chosen from.
constexpr const char* empty_menu = "<empty>";

// "run_program file=C:\...\Programs\Birne.lnk parameters=..." gives "Birne".
std::string started_caption(const std::string& line)
{
    const size_t from = line.find("file=") + 5;
    const std::string path = line.substr(from, line.find(" parameters=") - from);
    const std::string name = path.substr(path.find_last_of('\\') + 1);
    return name.substr(0, name.find_last_of('.'));
}

// A fixed scatter of numbers, so that every run makes the same choices and pauses.
unsigned scatter(unsigned i)
{
    return i * 2654435761u >> 8;
}

class Faults : public Scenario {
protected:
    // The three stable entries and the coming one (away at first), then the recording build with
    // a watcher that looks every 20 ms, its first menu built.
    void start_with_coming_entry()
    {
        shortcut(user_programs() + stable_entries[0] + ".lnk", stable_entries[0]);
        shortcut(common_programs() + stable_entries[1] + ".lnk", stable_entries[1]);
        shortcut(user_programs() + stable_entries[2] + ".lnk", stable_entries[2]);
        ASSERT_TRUE(prepare_coming_and_going(&apfel_, scratch_, user_programs() + coming_entry + ".lnk",
                                             fixture_path("record_launch.exe"), launch_arguments(coming_entry)));
        start_options quick;
        quick.watch_interval_ms = 20;
        start_with_menu(quick);
    }

    // Takes the next menu (one that a click made at once raised, or one raised now) and chooses a
    // program entry of its Programs submenu. With again_at_once the Start button is clicked again
    // the moment the menu has gone, while the choice may still be on its way, as an impatient user
    // does. The caption chosen, or "" when no menu came or went.
    std::string choose_next(unsigned n, bool again_at_once)
    {
        const int menu = ++menus_;
        const bool clicked_ahead = clicked_ahead_;
        clicked_ahead_ = false;
        for (int click = 0; click < 3 && !wait_for_lines(log(), "menu shown", menu, click || clicked_ahead ? 15000 : 0);
             ++click)
            click_start_button();
        if (!wait_for_lines(log(), "entries=", menu, 15000) || !wait_for_menu(true, 15000))
            return "";
        const std::vector<std::string> entries = split(lines_containing(log(), "entries=")[menu - 1].substr(8), '|');
        // The program entries come before the folders.
        const size_t programs = std::find_if(entries.begin(), entries.end(), [](const std::string& caption) {
            return caption != coming_entry && std::find(std::begin(stable_entries), std::end(stable_entries),
                                                        caption) == std::end(stable_entries);
        }) - entries.begin();
        const int dispatched = count_lines(log(), "hook installed");
        const unsigned position = programs ? scatter(n) % programs : 0;
        if (programs) {
            press_key(VK_DOWN);
            press_key(VK_RIGHT);
            for (unsigned i = 0; i < position; ++i)
                press_key(VK_DOWN);
            press_key(VK_RETURN);
        } else {
            press_key(VK_ESCAPE);
        }
        // While the menu is up it covers the button here, and the release of the click would
        // choose its last item: the click waits for it to go.
        if (!wait_for_menu(false, 15000) || !wait_for_lines(log(), "menu closed", menu, 15000))
            return "";
        if ((clicked_ahead_ = programs && again_at_once))
            click_start_button();
        else if (programs)  // the choice is handled, then the hook renewed
            wait_for_lines(log(), "hook installed", dispatched + 1, 15000);
        return programs ? entries[position] : empty_menu;
    }

    coming_and_going apfel_;
    int menus_ = 0;
    bool clicked_ahead_ = false;
};

TEST_F(Faults, ChoicesDuringRebuildsStartWhatTheShownMenuHadAndNothingGrows)
{
    ASSERT_NO_FATAL_FAILURE(start_with_coming_entry());
    std::vector<std::string> chosen = {choose_next(0, false)};
    ASSERT_EQ(chosen.back(), "Birne");
    ASSERT_TRUE(drive_rebuilds(apfel_, log(), 2, 60000));  // the two trees at rest
    const std::vector<live_resources> at_rest = logged_resources(log());

    // A thread moves the coming entry in and out, one rebuild each time, 0 to 120 ms apart, so
    // that rebuilds end at every phase of a choice; this thread keeps choosing meanwhile.
    std::atomic<int> toggled{-1};  // -1 running, 0 failed, 1 done
    std::thread toggler([&] {
        toggled = drive_rebuilds(apfel_, log(), load_rebuilds, 60000,
                                 [](int i) { return static_cast<int>(scatter(static_cast<unsigned>(i)) % 121u); });
    });
    for (unsigned n = 1; toggled.load() < 0 && !chosen.back().empty(); ++n)
        chosen.push_back(choose_next(n, n % 3 == 0));
    toggler.join();
    ASSERT_EQ(toggled.load(), 1) << "a rebuild did not come";
    ASSERT_FALSE(chosen.back().empty()) << "menu " << menus_ << " did not come or go";
    if (clicked_ahead_)  // the menu that the last click made at once raises
        chosen.push_back(choose_next(0, false));
    ASSERT_TRUE(drive_rebuilds(apfel_, log(), 2, 60000));  // the same two trees again

    // Every choice started what its menu showed at the chosen place, in order, and nothing else
    // started; the coming entry may have gone before it was opened.
    std::vector<std::string> started;
    for (const std::string& line : lines_containing(log(), "run_program "))
        started.push_back(started_caption(line));
    size_t next = 0;
    for (const std::string& caption : chosen) {
        SCOPED_TRACE(caption);
        if (next < started.size() && started[next] == caption)
            ++next;
        else if (caption != empty_menu) {
            ASSERT_EQ(caption, coming_entry) << "started instead: " << (next < started.size() ? started[next] : "");
        }
    }
    EXPECT_EQ(next, started.size()) << "programs started that nobody chose";
    for (const char* caption : stable_entries)
        EXPECT_TRUE(wait_until([&] { return launched(caption) == std::count(started.begin(), started.end(), caption); },
                               30000))
            << caption << " did not run as often as it was opened";

    // The last two rebuilds against the two at rest, tree for tree.
    const std::vector<live_resources> now = logged_resources(log());
    ASSERT_EQ(now.size(), at_rest.size() + load_rebuilds + 2);
    for (size_t back = 1; back <= 2; ++back) {
        const live_resources &early = at_rest[at_rest.size() - back], &late = now[now.size() - back];
        EXPECT_LE(late.images, early.images);
        EXPECT_LE(late.gdi, early.gdi);
        EXPECT_EQ(late.menus, 1) << "replaced start menus stay alive";
    }
    EXPECT_EQ(close_velmora(session_, 30000), 0) << "the program lives and ends cleanly";
}

}  // namespace
