#include "vars/date_time.h"

#include <algorithm>
#include <cmath>

#include "base/numeric.h"

namespace orvo {

namespace {

// Day 1 is 1 January of year 1; the script's day 0 is day 693594.
constexpr int64_t kDateDelta = 693594;
constexpr int64_t kMsPerDay = 86400000;
// Beyond 31 December 9999 (day 2958465) no date is meaningful.
constexpr long double kDateLimit = 1.0e7L;

bool IsLeap(int64_t year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int32_t DaysInMonth(int32_t year, int32_t month) {
  static const int32_t kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

// Day number counted from 1 January of year 1 as day 1.
int64_t DayNumber(int32_t year, int32_t month, int32_t day) {
  int64_t days = day;
  for (int32_t m = 1; m < month; ++m) days += DaysInMonth(year, m);
  int64_t y = year - 1;
  return y * 365 + y / 4 - y / 100 + y / 400 + days;
}

bool DateDayNumber(long double date, int64_t& number) {
  if (std::isnan(date) || std::fabs(date) > kDateLimit) return false;
  number = kDateDelta + static_cast<int64_t>(std::truncl(date));
  return true;
}

}  // namespace

bool TryEncodeDate(int32_t year, int32_t month, int32_t day, long double& date) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return false;
  date = static_cast<long double>(DayNumber(year, month, day) - kDateDelta);
  return true;
}

bool TryEncodeTime(int32_t hour, int32_t minute, int32_t second, long double& time) {
  if (hour < 0 || hour >= 24 || minute < 0 || minute >= 60 || second < 0 || second >= 60) return false;
  time = static_cast<long double>(hour * 3600000 + minute * 60000 + second * 1000) / kMsPerDay;
  return true;
}

bool TryDecodeDate(long double date, TDateParts& parts) {
  int64_t number = 0;
  if (!DateDayNumber(date, number)) return false;
  parts = {};
  if (number <= 0) return true;
  int64_t t = number - 1;
  int64_t year = 1;
  year += (t / 146097) * 400;
  t %= 146097;
  int64_t centuries = t / 36524;
  if (centuries == 4) centuries = 3;
  year += centuries * 100;
  t -= centuries * 36524;
  year += (t / 1461) * 4;
  t %= 1461;
  int64_t years = t / 365;
  if (years == 4) years = 3;
  year += years;
  t -= years * 365;
  int32_t month = 1;
  while (t >= DaysInMonth(static_cast<int32_t>(year), month)) t -= DaysInMonth(static_cast<int32_t>(year), month++);
  parts.year = static_cast<int32_t>(year);
  parts.month = month;
  parts.day = static_cast<int32_t>(t + 1);
  return true;
}

bool TryDecodeTime(long double time, TTimeParts& parts) {
  if (std::isnan(time) || std::fabs(time) > kDateLimit) return false;
  long double fraction = std::fabs(time - std::truncl(time));
  int64_t ms = static_cast<int64_t>(RoundHalfEven(fraction * kMsPerDay));
  parts.hour = static_cast<int32_t>(ms / 3600000);
  parts.minute = static_cast<int32_t>(ms / 60000 % 60);
  parts.second = static_cast<int32_t>(ms / 1000 % 60);
  parts.millisecond = static_cast<int32_t>(ms % 1000);
  return true;
}

bool TryDayOfWeek(long double date, int32_t& week) {
  int64_t number = 0;
  if (!DateDayNumber(date, number)) return false;
  // A floored remainder keeps the answer in 1..7 for dates before year 1 too.
  int64_t r = number % 7;
  if (r < 0) r += 7;
  week = static_cast<int32_t>(r + 1);
  return true;
}

int32_t DayOfWeek(int32_t year, int32_t month, int32_t day) {
  if (year < 1 || month < 1 || month > 12 || day < 1) return 1;
  return static_cast<int32_t>(DayNumber(year, month, std::min(day, DaysInMonth(year, month))) % 7 + 1);
}

}  // namespace orvo
