#include "toolkit/version_table.h"

namespace {

constexpr uint32_t platform_9x = 1;
constexpr uint32_t platform_nt = 2;
constexpr uint8_t product_workstation = 1;

int32_t windows_9x_code(uint32_t minor)
{
    switch (minor) {
    case 0: return 10;   // 95
    case 10: return 30;  // 98
    case 90: return 40;  // Me
    default: return version_unknown;
    }
}

int32_t windows_nt_code(const version_report& report)
{
    switch (report.major) {
    case 3: return 5;
    case 4: return 20;
    case 5:
        switch (report.minor) {
        case 0: return 50;  // 2000
        case 1: return 60;  // XP
        case 2: return 65;  // Server 2003, XP x64
        default: return version_unknown;
        }
    case 6:
        // Every NT 6 release counts as one; only the product type tells the server apart. When the
        // extended query fails the system is taken for a workstation.
        if (report.extended_ok && report.product_type != product_workstation)
            return version_nt6_server;
        return version_nt6_workstation;
    default:
        return version_unknown;
    }
}

}  // namespace

int32_t version_code(const version_report& report)
{
    if (!report.ok)
        return version_unknown;
    if (report.platform_id == platform_9x)
        return windows_9x_code(report.minor);
    if (report.platform_id == platform_nt)
        return windows_nt_code(report);
    return version_unknown;
}
