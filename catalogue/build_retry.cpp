#include "catalogue/build_retry.h"

#include <algorithm>

bool rebuild_due(const build_retry& retry, bool folders_changed, uint32_t now)
{
    return folders_changed || (retry.failing && now - retry.failed_at >= retry.delay_ms);
}

build_retry after_build(const build_retry& retry, bool complete, uint32_t now, uint32_t interval_ms)
{
    if (complete)
        return {};
    const uint32_t delay = retry.failing ? std::min(retry.delay_ms, max_retry_delay_ms / 2) * 2
                                         : std::clamp<uint32_t>(interval_ms, 1, max_retry_delay_ms);
    return {true, now, delay};
}
