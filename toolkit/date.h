#pragma once
// Date numbers (seconds since 1970-01-01 00:00:00 as a wall-clock time without time zone) turned
// into text by a mask of %-tokens: %yyyy %yy %mm %dd %hh %ii %ss, letters in any case.
// Negative date numbers cannot be converted: every field is 0.

#include <cstdint>
#include <string>

std::string format_date(const char* mask, int32_t date);

