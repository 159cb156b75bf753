// Placeholder until the process services land.
#include "toolkit/version_table.h"

int32_t version_code(const version_report&) { return version_unknown; }
