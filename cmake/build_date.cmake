# Writes the program's build date: the local wall-clock moment of the build as seconds since
# 1970-01-01 00:00:00, without time zone. With SOURCE_DATE_EPOCH set, that value is used as it is,
# so a reproducible build carries the same date on every machine.
# Usage: cmake -DOUTPUT=<file.cpp> -P build_date.cmake

if(DEFINED ENV{SOURCE_DATE_EPOCH} AND NOT "$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
  set(date_number "$ENV{SOURCE_DATE_EPOCH}")
else()
  string(TIMESTAMP fields "%Y;%m;%d;%H;%M;%S")
  list(GET fields 0 y)
  list(GET fields 1 m)
  list(GET fields 2 d)
  list(GET fields 3 hh)
  list(GET fields 4 mi)
  list(GET fields 5 ss)
  # Days since 1970-01-01 from the civil date (proleptic Gregorian calendar).
  math(EXPR m "${m}")
  math(EXPR d "${d}")
  if(m LESS_EQUAL 2)
    math(EXPR y "${y} - 1")
    math(EXPR mp "${m} + 9")
  else()
    math(EXPR mp "${m} - 3")
  endif()
  math(EXPR era "${y} / 400")
  math(EXPR yoe "${y} - ${era} * 400")
  math(EXPR doy "(153 * ${mp} + 2) / 5 + ${d} - 1")
  math(EXPR doe "${yoe} * 365 + ${yoe} / 4 - ${yoe} / 100 + ${doy}")
  math(EXPR days "${era} * 146097 + ${doe} - 719468")
  math(EXPR date_number "${days} * 86400 + ${hh} * 3600 + ${mi} * 60 + ${ss}")
endif()

set(text "// Written by the build.\n#include \"about/product.h\"\n\nextern const int32_t build_date = ${date_number};\n")
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" old)
endif()
if(NOT "${old}" STREQUAL "${text}")
  file(WRITE "${OUTPUT}" "${text}")
endif()
