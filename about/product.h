#pragma once
// Product constants shown by the main window's title and the about window.

#include <cstdint>

inline constexpr char product_name[] = "Velmora";
inline constexpr char version_text[] = "1.0.0";
// The author's homepage and e-mail address (reserved example domains).
inline constexpr char homepage_url[] = "http://velmora.example/";
inline constexpr char email_address[] = "autor@velmora.example";

// Local wall-clock moment of the build, seconds since 1970-01-01 00:00:00 without time zone.
extern const int32_t build_date;
