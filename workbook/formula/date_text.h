#pragma once

#include <string_view>

namespace xls {

// Date serials: days from 30 December 1899 with the time of day as the fraction; serial 60 is
// the 29 February 1900 that spreadsheets count, so days before March 1900 are one less.
double DateToSerial(int year, int month, int day);

// A text that spreadsheets read as a date, a time or both, as a serial: dates as y-m-d (ISO)
// or m/d/y (the short date format; two-digit years 30..99 are 19xx, 00..29 20xx), times as
// h:mm[:ss[.fff]] with an optional AM or PM, a date and a time split by a space (or "T" after an
// ISO date). False for anything else, for a day that does not exist, and for years outside
// 1900..9999.
bool DateTextToSerial(std::u16string_view text, double& serial, bool& hasDate);

}  // namespace xls
