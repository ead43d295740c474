#pragma once
// Date values of scripts: days since 30 December 1899 as a real, the time of
// day as the fraction.
#include <cstdint>

namespace orvo {

struct TDateParts {
  int32_t year = 0;
  int32_t month = 0;
  int32_t day = 0;
};

struct TTimeParts {
  int32_t hour = 0;
  int32_t minute = 0;
  int32_t second = 0;
  int32_t millisecond = 0;
};

// False for an invalid date (year 1..9999, month 1..12, a day of that month).
bool TryEncodeDate(int32_t year, int32_t month, int32_t day, long double& date);
// False unless hour < 24, minute < 60, second < 60 (all non-negative).
bool TryEncodeTime(int32_t hour, int32_t minute, int32_t second, long double& time);
// The date part: all zero for values on or before 1 January of year 1, and
// false for NaN and values too large to be a date.
bool TryDecodeDate(long double date, TDateParts& parts);
// The time of day from the fraction, rounded to milliseconds (24:00:00 can occur).
bool TryDecodeTime(long double time, TTimeParts& parts);
// Day of the week, 1 = Sunday ... 7 = Saturday; false as TryDecodeDate.
bool TryDayOfWeek(long double date, int32_t& week);
// Day of the week of a calendar date, 1 = Sunday.
int32_t DayOfWeek(int32_t year, int32_t month, int32_t day);

}  // namespace orvo
