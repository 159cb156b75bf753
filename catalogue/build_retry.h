#pragma once
// When the change watcher builds the start menu again after a build that did not complete. A build
// costs a scan, every icon and every menu: seconds of work. A system that refuses builds (a full
// desktop heap, a USER quota another program has used up) would refuse the next one as well, so a
// failed build is tried again ever more rarely, the wait doubling from one watch interval up to
// max_retry_delay_ms, and at once when the folders change. A completed build ends the back-off.

#include <cstdint>

constexpr uint32_t max_retry_delay_ms = 5 * 60 * 1000;

struct build_retry {
    bool failing = false;    // the last build did not complete
    uint32_t failed_at = 0;  // when it failed, in the milliseconds of the system's tick count
    uint32_t delay_ms = 0;   // how long after that it is tried again
};

// Whether a pass at now builds: when the folders differ from those of the last build, or when that
// build failed and its delay has passed. Tick counts may wrap around.
bool rebuild_due(const build_retry& retry, bool folders_changed, uint32_t now);
// What to remember after a build that ended at now.
build_retry after_build(const build_retry& retry, bool complete, uint32_t now, uint32_t interval_ms);
