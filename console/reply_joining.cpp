#include "console/reply_joining.h"

#include <algorithm>

#include "console/crc16.h"

namespace console {

bool ReplyCrcOk(const TConsoleState& state, int32_t length) {
    if (length < 3 || length > static_cast<int32_t>(state.RxFrame.size())) return false;
    const uint16_t crc = Crc16Modbus(state.RxFrame.data(), static_cast<size_t>(length - 2));
    return state.RxFrame[static_cast<size_t>(length - 2)] == (crc >> 8) &&
           state.RxFrame[static_cast<size_t>(length - 1)] == (crc & 0xFF);
}

bool JoinReplyChunk(TConsoleState& s, const uint8_t* buffer, uint16_t length) {
    const int32_t n = std::min<int32_t>(length, static_cast<int32_t>(s.RxFrame.size()));
    s.RxFrame.fill(0);
    std::copy_n(buffer, n, s.RxFrame.begin());
    s.RxLength = n;
    if (ReplyCrcOk(s, n)) {
        s.ReplyOffset = 0;
        return true;
    }
    const bool joins = s.ReplyOffset == 0 || (s.ReplyOffset > 0 && s.ReplyBuffer[0] == s.ExpectedAddress);
    if (!joins || s.ReplyOffset + n > 1023) {
        s.ReplyBuffer.fill(0);
        s.ReplyOffset = 0;
        return false;
    }
    std::copy_n(buffer, n, s.ReplyBuffer.begin() + s.ReplyOffset);
    s.RxLength = s.ReplyOffset + n;
    std::copy_n(s.ReplyBuffer.begin(), s.RxLength, s.RxFrame.begin());
    s.ReplyOffset += n;
    if (!ReplyCrcOk(s, s.RxLength)) return false;
    s.ReplyOffset = 0;
    return true;
}

}  // namespace console
