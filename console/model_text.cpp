#include "console/model_text.h"

namespace console {

TModelInfo DescribeModel(uint8_t model, uint8_t options, uint16_t version) {
    static const char* const Classes[16] = {"", "TH", "T", "H"};
    struct TCapacity {
        const char* Text;
        bool Seconds;
    };
    static const TCapacity Capacities[16] = {
        {"KA2", false},       {"KA1,5万组", false},    {"KA2,13万组", false},   {"KA3,40万组", false},
        {"KB1,30万组", true}, {"KB2,30万组+SD", true}, {"KB3,40万组+SD", true}, {"KC1,3万组", true},
        {"KC3,40万组", true}, {"KA2", false},          {"KA2", false},          {"KA2", false},
        {"KA2", false},       {"KA2", false},          {"KA2", false},          {"KA2", false},
    };
    const char* prefix = Classes[model >> 4] ? Classes[model >> 4] : "";
    const TCapacity& capacity = Capacities[model & 0x0F];
    QString suffix;
    if (options & 0x04)
        suffix = ",QV2";
    else if (options & 0x08)
        suffix = ",PT";
    else if (options & 0x10)
        suffix = ",QV3";
    TModelInfo info;
    info.Text = QString::fromUtf8(prefix) + QString::fromUtf8(capacity.Text) + suffix + ",V" + QString::number(version);
    info.IntervalUnit = capacity.Seconds ? "秒钟" : "分钟";
    info.SecondsModel = capacity.Seconds;
    return info;
}

}  // namespace console
