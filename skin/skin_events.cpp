#include "skin/skin_events.h"

#include <array>

namespace skin {

QEvent::Type SkinEventType(TSkinEvent event) {
    static const std::array<QEvent::Type, 5> types = [] {
        std::array<QEvent::Type, 5> registered{};
        for (QEvent::Type& type : registered) type = static_cast<QEvent::Type>(QEvent::registerEventType());
        return registered;
    }();
    return types[static_cast<size_t>(event)];
}

}  // namespace skin
