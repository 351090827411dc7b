#pragma once

#include <string>

namespace pdf {

// Date-time values as the document keeps them (base/date_time.h): days since 1899-12-30, the
// time of day as the fraction, on the local clock. A value outside the years 1..9999 is written
// as 1899-12-30, so that the texts keep their form.
// "yyyymmddhhnnss", the text of /CreationDate after "D:".
std::string FormatPDFDate(double dateTime);
// "ddd dd-mm-yyyy hh:nn:ss.zzz" (English day names), hashed into the file identifier.
std::string FormatFileIdTime(double dateTime);

}  // namespace pdf
