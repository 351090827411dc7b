#include "base/date_time.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "base/text_encoding.h"
#include "platform/testing/time_zone.h"

namespace base {
namespace {

using platform::testing::TTimeZone;

// UTC, eight hours east without daylight saving, and a zone west of UTC with daylight saving.
constexpr const char* Zones[] = {"UTC0", "Asia/Shanghai", "America/New_York"};

// The texts are what Python's datetime(1899, 12, 30) + timedelta(days=value) gives, cut to
// whole seconds.
struct TTextCase {
    double Value;
    const char16_t* Text;
};
const TTextCase TextCases[] = {
    {0, u"1899-12-30T00:00:00Z"},
    {45356 + (7 * 3600 + 8 * 60 + 9.999) / 86400.0, u"2024-03-05T07:08:09Z"},
    {2.5, u"1900-01-01T12:00:00Z"},
    {-1.25, u"1899-12-28T18:00:00Z"},
    {45000.75, u"2023-03-15T18:00:00Z"},
    {2958465 + 86399.4 / 86400.0, u"9999-12-31T23:59:59Z"},
    {-693593, u"0001-01-01T00:00:00Z"},
    // The last half millisecond of a day rounds into the next one.
    {45000 + 86399.9996 / 86400.0, u"2023-03-16T00:00:00Z"},
};

TEST(DateTime, TextIsTheSameInEveryZone) {
    for (const char* zone : Zones) {
        TTimeZone scope(zone);
        for (const TTextCase& c : TextCases) {
            EXPECT_EQ(XmlDateTimeToStr(c.Value), c.Text) << zone << " " << c.Value;
            // The text has whole seconds.
            EXPECT_NEAR(XmlStrToDateTime(c.Text), c.Value, 1.0 / 86400) << zone << " " << Utf16ToUtf8(c.Text);
        }
        EXPECT_NEAR(XmlStrToDateTime(u"2024-03-05T07:08:09.999"), TextCases[1].Value, 1e-9) << zone;
        EXPECT_NEAR(XmlStrToDateTime(u" 2024-03-05T07:08:09.999Z "), TextCases[1].Value, 1e-9) << zone;
        // An explicit offset is taken off: the value is the clock time written with "Z".
        EXPECT_NEAR(XmlStrToDateTime(u"2024-03-05T15:08:09.999+08:00"), TextCases[1].Value, 1e-9) << zone;
        EXPECT_NEAR(XmlStrToDateTime(u"2024-03-04T23:38:09.999-07:30"), TextCases[1].Value, 1e-9) << zone;
        EXPECT_EQ(XmlDateTimeToStr(XmlStrToDateTime(u"2024-07-01T02:30:00+02:00")), u"2024-07-01T00:30:00Z") << zone;
    }
}

TEST(DateTime, ShortFormsAndTextThatIsNoDate) {
    EXPECT_EQ(XmlStrToDateTime(u"2024-03-05"), 45356);
    EXPECT_EQ(XmlStrToDateTime(u"2024-03-05T06:00"), 45356.25);
    EXPECT_EQ(XmlStrToDateTime(u"2024-03-05T24:00:00Z"), 45357);
    for (const char16_t* bad : {u"", u"2024-02-30", u"2024-3-5", u"05.03.2024", u"2024-03-05T25:00", u"2024-03-05Tx",
                                u"2024-03-05 18:00:00", u"2024-03-05T24:00:01", u"2024-03-05T18:00:00Zx",
                                u"2024-03-05T18:00:00+15:00", u"2024-03-05T18:00:00.Z", u"0000-01-01"}) {
        double value = -1;
        EXPECT_FALSE(TryXmlStrToDateTime(bad, value)) << Utf16ToUtf8(bad);
        EXPECT_EQ(XmlStrToDateTime(bad), 0) << Utf16ToUtf8(bad);
    }
}

TEST(DateTime, ValuesOutsideTheYearsOneToNineThousandAreNoDate) {
    for (const double value : {1e300, -1e300, 2958466.0, -693594.0, std::numeric_limits<double>::quiet_NaN(),
                               std::numeric_limits<double>::infinity()}) {
        EXPECT_EQ(XmlDateTimeToStr(value), u"1899-12-30T00:00:00Z") << value;
        EXPECT_EQ(DecodeDateTime(value).Year, 1899) << value;
    }
}

TEST(DateTime, FieldsAndTheirValue) {
    const TDateTimeFields f = DecodeDateTime(45000.5 + 1234.0 / 86400000.0);
    EXPECT_EQ(f.Year, 2023);
    EXPECT_EQ(f.Month, 3);
    EXPECT_EQ(f.Day, 15);
    EXPECT_EQ(f.Hour, 12);
    EXPECT_EQ(f.Minute, 0);
    EXPECT_EQ(f.Second, 1);
    EXPECT_EQ(f.Millisecond, 234);
    EXPECT_EQ(f.WeekDay, 3);  // a Wednesday
    EXPECT_EQ(DecodeDateTime(0).WeekDay, 6);
    EXPECT_EQ(DecodeDateTime(-1.25).WeekDay, 4);
    EXPECT_NEAR(EncodeDateTime(2023, 3, 15, 12, 0, 1, 234), 45000.5 + 1234.0 / 86400000.0, 1e-12);
}

TEST(DateTime, LocalClockDiffersFromUtcByTheZoneOffset) {
    TTimeZone scope("Asia/Shanghai");
    const double utc = NowUTCDateTime();
    const double local = NowDateTime();
    EXPECT_NEAR(local - utc, 8.0 / 24, 5.0 / 86400);
}

}  // namespace
}  // namespace base
