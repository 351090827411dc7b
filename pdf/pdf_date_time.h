#pragma once

#include <string>

namespace pdf {

// Date-time values as the document keeps them: days since 1899-12-30, the time of day as
// the fraction, local time.
double NowDateTime();
// "yyyymmddhhnnss", the text of /CreationDate after "D:".
std::string FormatPDFDate(double dateTime);
// "ddd dd-mm-yyyy hh:nn:ss.zzz" (English day names), hashed into the file identifier.
std::string FormatFileIdTime(double dateTime);

}  // namespace pdf
