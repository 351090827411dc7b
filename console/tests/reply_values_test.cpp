// Joining and decoding replies without a window.
#include <gtest/gtest.h>

#include <array>
#include <tuple>

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
    for (const Case c :
         {Case{5, false, false, false, false, false, false}, Case{7, false, false, false, true, false, true},
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

TEST(ReplyValues, TheHeadTellsEachKindOfReply) {
    struct Case {
        const char* name;
        TBytes frame;
        bool anyAddress;
        TReplyKind kind;
        uint8_t function, exceptionCode;
    };
    const TBytes read = WithCrc({1, 3, 2, 0, 1});
    const TBytes foreignRead = WithCrc({2, 3, 2, 0, 1});
    const Case cases[] = {
        {"read", read, false, TReplyKind::Read, 3, 0},
        {"foreign read", foreignRead, false, TReplyKind::Ignored, 3, 0},
        {"foreign read while detecting", foreignRead, true, TReplyKind::Read, 3, 0},
        {"private read", WithCrc({1, 0x2E, 4, 0x14, 0x08, 0x00, 0x65}), false, TReplyKind::Read, 0x2E, 0},
        {"exception", WithCrc({1, 0x83, 2}), false, TReplyKind::Exception, 3, 2},
        {"foreign exception", WithCrc({2, 0x83, 2}), true, TReplyKind::Ignored, 3, 0},
        {"exception cut before its code", {1, 0x90}, false, TReplyKind::Exception, 0x10, 0},
        {"coil echo", WithCrc({1, 5, 0, 3, 0xFF, 0}), false, TReplyKind::OperationDone, 5, 0},
        {"coils echo", WithCrc({1, 15, 0, 3, 0, 2}), false, TReplyKind::OperationDone, 15, 0},
        {"private write", WithCrc({1, 0x2F, 0xEA, 0xDB, 0, 4}), false, TReplyKind::OperationDone, 0x2F, 0},
        {"register echo", WithCrc({1, 6, 0, 0xC8, 0, 1}), false, TReplyKind::WriteDone, 6, 0},
        {"registers echo", WithCrc({1, 16, 0, 0xC8, 0, 24}), false, TReplyKind::WriteDone, 16, 0},
        {"echo cut short", {1, 16, 0}, false, TReplyKind::WriteDone, 16, 0},
        {"report", WithCrc({1, 16, 0, 3, 0, 1, 2, 0, 1}), false, TReplyKind::Report, 16, 0},
        {"foreign report", WithCrc({2, 16, 0, 3, 0, 1, 2, 0, 1}), true, TReplyKind::Ignored, 16, 0},
        {"bare exception flag", WithCrc({1, 0x80, 0}), false, TReplyKind::Ignored, 0, 0},
        {"a lone byte", {1}, false, TReplyKind::Ignored, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TReplyHead head = TReplyHead::Decode(Data(c.frame), 1, c.anyAddress);
        EXPECT_EQ(head.Kind, c.kind);
        if (c.kind != TReplyKind::Ignored) {
            EXPECT_EQ(head.Function, c.function);
        }
        EXPECT_EQ(head.ExceptionCode, c.exceptionCode);
    }
}

TEST(ReplyValues, ReportsDecodeTheirRegisterAndNothingPastTheirEnd) {
    const TBytes live =
        WithCrc({0x01, 0x10, 0x00, 0x00, 0x00, 0x0B, 0x16, 0xFF, 0x9C, 0x02, 0x58, 0x00, 0x64, 0x00, 0x01,
                 0x00, 0x00, 0x00, 0x05, 0x00, 0x03, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x20});
    const auto values = TLiveReport::Decode(Data(live));
    ASSERT_TRUE(values);
    EXPECT_EQ(std::tuple(values->Temperature, values->Humidity, values->DewPoint), std::tuple(-100, 600, 100));
    EXPECT_EQ(std::tuple(values->Do1, values->Do2, values->Alarm, values->Battery), std::tuple(1, 0, 5, 3));
    EXPECT_EQ(std::tuple(values->Counters.Total, values->Counters.Unread), std::tuple(256u, 32u));
    EXPECT_EQ(ReportHead(Data(live)), (std::array<uint8_t, 6>{0x01, 0x10, 0x00, 0x00, 0x00, 0x0B}));
    EXPECT_FALSE(TRecordReport::Decode(Data(live)));

    // Cut after the temperature: the rest reads as 0, never from beyond the frame.
    TBytes cut(live.begin(), live.begin() + 9);
    cut.resize(40, 0x7F);
    const auto shortLive = TLiveReport::Decode({cut.data(), 9});
    ASSERT_TRUE(shortLive);
    EXPECT_EQ(shortLive->Temperature, -100);
    EXPECT_EQ(std::tuple(shortLive->Humidity, shortLive->Battery, shortLive->Counters.Unread), std::tuple(0, 0, 0u));
    EXPECT_EQ(ReportHead({cut.data(), 3}), (std::array<uint8_t, 6>{0x01, 0x10, 0x00, 0, 0, 0}));

    TBytes huge = live;
    huge[25] = 0x80;
    EXPECT_THROW(TLiveReport::Decode(Data(WithCrc(TBytes(huge.begin(), huge.end() - 2)))), ERangeError);

    TBytes records = {0x01, 0x10, 0x00, 0x07, 0x00, 0x18, 28, 0, 0, 0, 9, 0, 0, 0, 2};
    for (uint8_t i = 1; i <= 2; ++i) records.insert(records.end(), {0, i, 0x02, 0x58, 24, 5, 31, 12, 0, i});
    struct Case {
        const char* name;
        int32_t length;  // of the frame with its CRC
        size_t listed;
    };
    const TBytes whole = WithCrc(records);
    for (const Case c : {Case{"whole", 37, 2}, Case{"one record short", 27, 1}, Case{"counters only", 17, 0},
                         Case{"cut in the counters", 12, 0}}) {
        SCOPED_TRACE(c.name);
        const auto report = TRecordReport::Decode({whole.data(), c.length});
        ASSERT_TRUE(report);
        ASSERT_EQ(report->Records.size(), c.listed);
        for (size_t i = 0; i < c.listed; ++i) EXPECT_EQ(report->Records[i].Time.Second, static_cast<int>(i + 1));
        EXPECT_FALSE(TLiveReport::Decode({whole.data(), c.length}));
    }

    // Another register is neither report.
    const TBytes foreign = WithCrc({0x01, 0x10, 0x00, 0x03, 0x00, 0x01, 0x02, 0x00, 0x01});
    EXPECT_FALSE(TLiveReport::Decode(Data(foreign)));
    EXPECT_FALSE(TRecordReport::Decode(Data(foreign)));
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
