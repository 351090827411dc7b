#include "workbook/biff/chart/chart_defaults.h"

#include <array>

#include "workbook/biff/chart/chart_record_ids.h"

namespace xls {

namespace {

constexpr uint16_t Begin = CHARTRECID_BEGIN;
constexpr uint16_t End = CHARTRECID_END;

constexpr std::string_view TextBytes =
    "02 02 01 00 00 00 00 00 cb ff ff ff ae ff ff ff 00 00 00 00 00 00 00 00 b1 00 4d 00 a0 09 00 00";
constexpr std::string_view TextPosBytes = "02 00 02 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00";
constexpr std::string_view TickBytes =
    "02 00 03 01 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 23 00 4d 00 00 00";
constexpr std::string_view LegendBytes = "db 0d 00 00 ab 06 00 00 85 01 00 00 f4 00 00 00 03 01 1f 00";
constexpr std::string_view CrtLinkBytes = "00 00 00 00 00 00 00 00 0f 00";

// Set 0: a new chart, a clustered column chart of one series over A1:A10 of EXTERNSHEET entry 0.
constexpr TDefaultRecord NewChart[] = {
    {CHARTRECID_BOF, "00 06 20 00 46 18 cd 07 c1 80 00 00 06 02 00 00"},
    {0x0014, ""},       // Header
    {0x0015, ""},       // Footer
    {0x0083, "00 00"},  // HCenter
    {0x0084, "00 00"},  // VCenter
    {0x00A1, "09 00 64 00 01 00 01 00 01 00 00 00 58 02 58 02 00 00 00 00 00 00 e0 3f 00 00 00 00 00 00 e0 3f 01 00"},
    {0x0033, "03 00"},  // PrintSize
    {CHARTRECID_FBI, "08 16 57 12 a0 00 00 00 f0 00"},
    {CHARTRECID_FBI, "08 16 57 12 a0 00 01 00 f1 00"},
    {0x0012, "00 00"},  // Protect
    {CHARTRECID_UNITS, "00 00"},
    {CHARTRECID_CHART, "00 00 00 00 00 00 00 00 e8 7f 21 01 00 40 bf 00"},
    {Begin, ""},
    {0x00A0, "01 00 01 00"},              // Scl
    {0x1064, "00 00 01 00 00 00 01 00"},  // PlotGrowth
    {CHARTRECID_FRAME, "00 00 02 00"},
    {Begin, ""},
    {CHARTRECID_LINEFORMAT, "00 00 00 00 00 00 00 00 09 00 4d 00"},
    {CHARTRECID_AREAFORMAT, "ff ff ff 00 00 00 00 00 01 00 01 00 4e 00 4d 00"},
    {End, ""},
    {CHARTRECID_SERIES, "01 00 01 00 0a 00 0a 00 01 00 00 00"},
    {Begin, ""},
    // Entry 22: set 2, a new series' children, starts here.
    {CHARTRECID_BRAI, "00 01 00 00 00 00 00 00"},
    {CHARTRECID_BRAI, "01 02 00 00 00 00 0b 00 3b 00 00 00 00 09 00 00 00 00 00"},
    {CHARTRECID_BRAI, "02 00 00 00 00 00 00 00"},
    {CHARTRECID_BRAI, "03 01 00 00 00 00 00 00"},
    {CHARTRECID_DATAFORMAT, "ff ff 00 00 00 00 00 00"},
    {Begin, ""},
    {CHARTRECID_CHART3DBARSHAPE, "00 00"},
    {End, ""},
    {0x1045, "00 00"},  // SerToCrt
    {End, ""},
    {CHARTRECID_SHTPROPS, "0a 00 00 00"},
    {CHARTRECID_DEFAULTTEXT, "02 00"},
    {CHARTRECID_TEXT, TextBytes},
    {Begin, ""},
    {CHARTRECID_POS, TextPosBytes},
    {CHARTRECID_FONTX, "f0 00"},
    {CHARTRECID_BRAI, "00 01 00 00 00 00 00 00"},
    {End, ""},
    {CHARTRECID_DEFAULTTEXT, "03 00"},
    {CHARTRECID_TEXT, TextBytes},
    {Begin, ""},
    {CHARTRECID_POS, TextPosBytes},
    {CHARTRECID_FONTX, "f1 00"},
    {CHARTRECID_BRAI, "00 01 00 00 00 00 00 00"},
    {End, ""},
    {0x1046, "01 00"},  // AxesUsed
    {CHARTRECID_AXISPARENT, "00 00 94 01 00 00 47 01 00 00 23 0b 00 00 fd 0b 00 00"},
    {Begin, ""},
    {CHARTRECID_POS, "02 00 02 00 6a 00 00 00 a3 00 00 00 4d 0c 00 00 59 0e 00 00"},
    {CHARTRECID_AXIS, "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"},
    {Begin, ""},
    {CHARTRECID_CATSERRANGE, "01 00 01 00 01 00 01 00"},
    {0x1062, "00 00 00 00 01 00 00 00 01 00 00 00 00 00 00 00 ef 00"},  // AxcExt
    {CHARTRECID_TICK, TickBytes},
    {End, ""},
    {CHARTRECID_AXIS, "01 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"},
    {Begin, ""},
    {CHARTRECID_VALUERANGE,
     "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
     "00 00 00 00 1f 01"},
    {CHARTRECID_TICK, TickBytes},
    {0x1021, "01 00"},  // AxisLine
    {CHARTRECID_LINEFORMAT, "00 00 00 00 00 00 ff ff 09 00 4d 00"},
    {End, ""},
    {0x1035, ""},  // PlotArea
    {CHARTRECID_FRAME, "00 00 03 00"},
    {Begin, ""},
    {CHARTRECID_LINEFORMAT, "80 80 80 00 00 00 00 00 00 00 17 00"},
    {CHARTRECID_AREAFORMAT, "c0 c0 c0 00 00 00 00 00 01 00 00 00 16 00 4f 00"},
    {End, ""},
    {CHARTRECID_CHARTFORMAT, "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"},
    {Begin, ""},
    {CHARTRECID_BAR, "00 00 96 00 00 00"},
    {CHARTRECID_CRTLINK, CrtLinkBytes},
    {CHARTRECID_LEGEND, LegendBytes},
    {CHARTRECID_LEGENDSET, ""},
    {End, ""},
    {End, ""},
    {End, ""},
    {0x1065, "02 00"},  // SIIndex
    {0x1065, "01 00"},
    {0x1065, "03 00"},
    {CHARTRECID_EOF, ""},
};
static_assert(std::size(NewChart) == 83);
constexpr size_t NewSeriesStart = 22;

// Set 1: a legend's children.
constexpr TDefaultRecord LegendChildren[] = {
    {Begin, ""},
    {CHARTRECID_POS, "05 00 02 00 db 0d 00 00 ab 06 00 00 00 00 00 00 00 00 00 00"},
    {CHARTRECID_TEXT,
     "02 02 01 00 00 00 00 00 af ff ff ff 86 ff ff ff 00 00 00 00 00 00 00 00 b1 00 4d 00 a0 15 00 00"},
    {Begin, ""},
    {CHARTRECID_POS, TextPosBytes},
    {CHARTRECID_BRAI, "00 01 00 00 00 00 00 00"},
    {End, ""},
    {End, ""},
};

// Set 3: the format records of a default data point.
constexpr TDefaultRecord DataPointFormats[] = {
    {CHARTRECID_CHART3DBARSHAPE, "00 00"},
    {CHARTRECID_LINEFORMAT, "00 00 00 00 00 00 00 00 01 00 4f 00"},
    {CHARTRECID_AREAFORMAT, "cc ff cc 00 ff ff ff 00 01 00 00 00 2a 00 09 00"},
    {CHARTRECID_PIEFORMAT, "00 00"},
    {CHARTRECID_MARKERFORMAT, "00 00 00 00 00 00 00 00 02 00 01 00 4d 00 4d 00 3c 00 00 00"},
};

// The contents of a chart group, style record first; sets 4, 8, 9 and 10 end with a group
// default data format.
#define OMBRIX_CHART_GROUP(styleId, styleBytes)                                                    \
    {styleId, styleBytes}, {CHARTRECID_CRTLINK, CrtLinkBytes}, {CHARTRECID_LEGEND, LegendBytes}, { \
        CHARTRECID_LEGENDSET, ""                                                                   \
    }
#define OMBRIX_GROUP_DATA_FORMAT                                                                                     \
    {CHARTRECID_DATAFORMAT, "00 00 00 00 fd ff 00 00"}, {Begin, ""}, {CHARTRECID_CHART3DBARSHAPE, "00 00"},          \
        {CHARTRECID_LINEFORMAT, "00 00 00 00 00 00 ff ff 09 00 4d 00"},                                              \
        {CHARTRECID_AREAFORMAT, "ff ff ff 00 00 00 00 00 01 00 01 00 4e 00 4d 00"}, {CHARTRECID_PIEFORMAT, "00 00"}, \
        {CHARTRECID_MARKERFORMAT, "00 00 00 00 00 00 00 00 00 00 00 00 4d 00 4d 00 3c 00 00 00"}, {                  \
        End, ""                                                                                                      \
    }

constexpr TDefaultRecord AreaGroup[] = {OMBRIX_CHART_GROUP(CHARTRECID_AREA, "00 00"), OMBRIX_GROUP_DATA_FORMAT};
constexpr TDefaultRecord BarGroup[] = {OMBRIX_CHART_GROUP(CHARTRECID_BAR, "00 00 96 00 01 00")};
constexpr TDefaultRecord LineGroup[] = {OMBRIX_CHART_GROUP(CHARTRECID_LINE, "00 00")};
constexpr TDefaultRecord PieGroup[] = {OMBRIX_CHART_GROUP(CHARTRECID_PIE, "00 00 00 00 02 00")};
constexpr TDefaultRecord RadarGroup[] = {OMBRIX_CHART_GROUP(CHARTRECID_RADAR, "01 00 12 00"), OMBRIX_GROUP_DATA_FORMAT};
constexpr TDefaultRecord ScatterGroup[] = {OMBRIX_CHART_GROUP(CHARTRECID_SCATTER, "64 00 01 00 00 00"),
                                           OMBRIX_GROUP_DATA_FORMAT};
constexpr TDefaultRecord SurfaceGroup[] = {OMBRIX_CHART_GROUP(CHARTRECID_SURF, "01 00"), OMBRIX_GROUP_DATA_FORMAT};

#undef OMBRIX_CHART_GROUP
#undef OMBRIX_GROUP_DATA_FORMAT

int HexDigit(char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; }

}  // namespace

std::span<const TDefaultRecord> ChartDefaultSet(int kind) {
    switch (kind) {
        case 0: return NewChart;
        case 1: return LegendChildren;
        case 2: return std::span<const TDefaultRecord>(NewChart).subspan(NewSeriesStart);
        case 3: return DataPointFormats;
        case 4: return AreaGroup;
        case 5: return BarGroup;
        case 6: return LineGroup;
        case 7: return PieGroup;
        case 8: return RadarGroup;
        case 9: return ScatterGroup;
        case 10: return SurfaceGroup;
        default: return {};
    }
}

std::vector<uint8_t> DefaultRecordBytes(const TDefaultRecord& entry) {
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < entry.Hex.size(); i += 3)
        bytes.push_back(static_cast<uint8_t>(HexDigit(entry.Hex[i]) * 16 + HexDigit(entry.Hex[i + 1])));
    return bytes;
}

}  // namespace xls
