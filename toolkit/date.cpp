// Placeholder until date formatting lands.
#include "toolkit/date.h"

std::string format_date(const char* mask, int32_t) { return mask ? mask : ""; }
int32_t date_year(int32_t) { return 0; }
int32_t date_month(int32_t) { return 0; }
int32_t date_day(int32_t) { return 0; }
int32_t date_hour(int32_t) { return 0; }
int32_t date_minute(int32_t) { return 0; }
int32_t date_second(int32_t) { return 0; }
