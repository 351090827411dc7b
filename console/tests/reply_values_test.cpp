// Joining and decoding replies without a window.
#include <gtest/gtest.h>

#include "console/conversions.h"
#include "console/reply_joining.h"
#include "console/reply_values.h"
#include "console/tests/console_fixture.h"

namespace console::testing {
namespace {

TReplyData Data(const TBytes& frame) { return {frame.data(), static_cast<int32_t>(frame.size())}; }

TEST(ReplyValues, DecodeTheFieldsOfEachReply) {
    const TBytes live = WithCrc({1, 3, 12, 0xFF, 0x38, 0x01, 0xC8, 0x00, 0x64, 0, 1, 0, 0, 0, 5});
    const auto values = TLiveValues::Decode(Data(live));
    ASSERT_TRUE(values);
    EXPECT_EQ(values->Temperature, -200);
    EXPECT_EQ(values->Humidity, 456);
    EXPECT_EQ(values->DewPoint, 100);
    EXPECT_TRUE(values->Do1Closed);
    EXPECT_FALSE(values->Do2Closed);
    EXPECT_EQ(values->Alarm, 5);

    const TBytes clock = WithCrc({1, 3, 6, 24, 3, 1, 8, 30, 59});
    const auto decoded = TDeviceClock::Decode(Data(clock));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->Fields, (std::array<uint8_t, 6>{24, 3, 1, 8, 30, 59}));
    EXPECT_TRUE(decoded->Plausible());

    const TBytes model = WithCrc({1, 0x2E, 4, 0x14, 0x08, 0x00, 0x65});
    const auto reply = TModelReply::Decode(Data(model));
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->Class, 0x14);
    EXPECT_EQ(reply->Options, 0x08);
    EXPECT_EQ(reply->Version, 101);

    const TBytes day = WithCrc({1, 3, 4, 0, 24, 0, 7});
    const auto count = TCounters::DecodeDayCount(Data(day), false);
    ASSERT_TRUE(count);
    EXPECT_EQ(count->Total, 24u);
    EXPECT_EQ(count->Unread, 7u);
}

TEST(ReplyValues, ShortRepliesGiveNothingAndHugeCountsRaise) {
    struct Case {
        size_t length;
        bool live, parameters, clock, alarm, history, identify;
    };
    for (const Case c : {Case{5, false, false, false, false, false, false}, Case{7, false, false, false, true, false, true},
                         Case{9, false, false, true, true, false, false}, Case{15, true, false, true, true, true, false},
                         Case{41, true, true, true, true, true, false}}) {
        SCOPED_TRACE(c.length);
        const TBytes frame(c.length, 0);
        const TReplyData data = Data(frame);
        EXPECT_EQ(TLiveValues::Decode(data).has_value(), c.live);
        EXPECT_EQ(TParameterBlock::Decode(data).has_value(), c.parameters);
        EXPECT_EQ(TDeviceClock::Decode(data).has_value(), c.clock);
        EXPECT_EQ(TCounters::DecodeAlarm(data).has_value(), c.alarm);
        EXPECT_EQ(TCounters::DecodeHistory(data).has_value(), c.history);
        EXPECT_EQ(TIdentity::DecodeIdentify(data).has_value(), c.identify);
    }
    const TBytes huge = WithCrc({1, 3, 8, 0x80, 0, 0, 0, 0, 0, 0, 1});
    EXPECT_THROW(TCounters::DecodeHistory(Data(huge)), ERangeError);
}

TEST(ReplyValues, ABlockListsWhatItsFrameCarriesAndNoMoreThanWanted) {
    TBytes frame = {1, 3, 0, 0, 0, 0, 9, 0, 0, 0, 4};
    for (uint8_t i = 1; i <= 3; ++i) frame.insert(frame.end(), {0, i, 0x02, 0x58, 24, 5, 31, 12, 0, i});
    frame = WithCrc(frame);
    struct Case {
        uint32_t wanted, listed;
    };
    for (const Case c : {Case{100, 3}, Case{2, 2}, Case{0, 0}}) {
        const auto block = THistoryBlock::Decode(Data(frame), c.wanted);
        ASSERT_TRUE(block);
        EXPECT_EQ(block->Counters.Total, 9u);
        EXPECT_EQ(block->Counters.Unread, 4u);
        EXPECT_TRUE(block->CarriesRecords);
        ASSERT_EQ(block->Records.size(), c.listed);
        if (c.listed > 0) {
            EXPECT_EQ(block->Records.back().Time.Second, static_cast<int>(c.listed));
        }
    }
    // A day record cut short reads the missing bytes as 0, never past the frame.
    const TBytes cut = {1, 3, 0, 0, 2, 0, 1, 0, 5, 0x02, 0x58, 24, 5, 31, 12, 0, 9};
    const auto day = TDayRecord::Decode(Data(cut), true);  // the record from frame byte 11 to 20
    ASSERT_TRUE(day && day->Record);
    EXPECT_EQ(day->Record->Time.Month, 9);  // frame byte 16, the last
    EXPECT_EQ(day->Record->Time.Day, 0);
}

TEST(ReplyJoining, ChunksJoinIntoOneReplyWithinTheBuffers) {
    const TBytes reply = WithCrc({1, 3, 6, 24, 3, 1, 8, 30, 59});
    TConsoleState state;
    state.ExpectedAddress = 1;
    EXPECT_TRUE(JoinReplyChunk(state, reply.data(), static_cast<uint16_t>(reply.size())));
    EXPECT_EQ(state.RxLength, static_cast<int32_t>(reply.size()));

    EXPECT_FALSE(JoinReplyChunk(state, reply.data(), 4));
    EXPECT_FALSE(JoinReplyChunk(state, reply.data() + 4, 3));
    EXPECT_TRUE(JoinReplyChunk(state, reply.data() + 7, static_cast<uint16_t>(reply.size() - 7)));
    EXPECT_EQ(TBytes(state.RxFrame.begin(), state.RxFrame.begin() + state.RxLength), reply);
    EXPECT_EQ(state.ReplyOffset, 0);

    // A pending start from another instrument is dropped with the chunk that follows it.
    TBytes foreign = reply;
    foreign[0] = 9;
    EXPECT_FALSE(JoinReplyChunk(state, foreign.data(), 4));
    EXPECT_FALSE(JoinReplyChunk(state, foreign.data() + 4, static_cast<uint16_t>(foreign.size() - 4)));
    EXPECT_EQ(state.ReplyOffset, 0);

    // Noise never grows the join past 1023 bytes.
    const TBytes noise(600, 1);
    EXPECT_FALSE(JoinReplyChunk(state, noise.data(), 600));
    EXPECT_FALSE(JoinReplyChunk(state, noise.data(), 600));
    EXPECT_EQ(state.ReplyOffset, 0);
}

}  // namespace
}  // namespace console::testing
