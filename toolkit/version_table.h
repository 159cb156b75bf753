#pragma once
// Maps what the Windows version query reports to the program's coarse version codes.

#include <cstdint>

struct version_report {
    bool ok;                // the first query succeeded
    uint32_t platform_id;   // 1 Windows 9x family, 2 NT family
    uint32_t major;
    uint32_t minor;
    bool extended_ok;       // the second, extended query succeeded (asked only for NT 6)
    uint8_t product_type;   // 1 workstation, 2 domain controller, 3 server
};

constexpr int32_t version_nt6_workstation = 70;
constexpr int32_t version_nt6_server = 75;
constexpr int32_t version_unknown = 100;

int32_t version_code(const version_report& report);
