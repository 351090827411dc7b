#include "workbook/model/format_settings.h"

namespace xls {

TFormatSettings::TFormatSettings()
    : CurrencyString(u"$"),
      ShortDateFormat(u"M/d/yyyy"),
      LongDateFormat(u"dddd, MMMM d, yyyy"),
      TimeAMString(u"AM"),
      TimePMString(u"PM"),
      ShortTimeFormat(u"h:mm AMPM"),
      LongTimeFormat(u"h:mm:ss AMPM"),
      ShortMonthNames{u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun", u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"},
      LongMonthNames{u"January", u"February", u"March",     u"April",   u"May",      u"June",
                     u"July",    u"August",   u"September", u"October", u"November", u"December"},
      ShortDayNames{u"Sun", u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat"},
      LongDayNames{u"Sunday", u"Monday", u"Tuesday", u"Wednesday", u"Thursday", u"Friday", u"Saturday"} {}

const TFormatSettings& DefaultFormatSettings() {
    static const TFormatSettings settings;
    return settings;
}

}  // namespace xls
