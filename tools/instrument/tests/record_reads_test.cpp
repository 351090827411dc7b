#include <gtest/gtest.h>

#include "tools/instrument/history_store.h"
#include "tools/instrument/instrument.h"
#include "tools/instrument/record_reads.h"
#include "tools/instrument/tests/frame_test_support.h"

namespace instrument {
namespace {

using testing::WithCrc;
using TBytes = std::vector<uint8_t>;

TBytes Read(uint16_t start, uint16_t count) {
    return WithCrc({0x01, 0x03, static_cast<uint8_t>(start >> 8), static_cast<uint8_t>(start & 0xFF),
                    static_cast<uint8_t>(count >> 8), static_cast<uint8_t>(count & 0xFF)});
}

TBytes Long(uint32_t value) {
    return {static_cast<uint8_t>(value >> 24), static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 8),
            static_cast<uint8_t>(value)};
}

TBytes Short(uint32_t value) { return {static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)}; }

TBytes RecordBytes(const TInstrumentState& state, uint32_t index) {
    TBytes bytes(HistoryRecordSize);
    PutHistoryRecord(HistoryRecordAt(state, index), std::span(bytes).first<HistoryRecordSize>());
    return bytes;
}

// A read reply from the data bytes, with the byte count a block of that size carries.
TBytes Reply(const std::vector<TBytes>& parts) {
    TBytes data;
    for (const TBytes& part : parts) data.insert(data.end(), part.begin(), part.end());
    TBytes reply = {0x01, 0x03, static_cast<uint8_t>(data.size() & 0xFF)};
    reply.insert(reply.end(), data.begin(), data.end());
    return WithCrc(reply);
}

const TBytes NoneLeft = WithCrc({0x01, 0x83, 0x03});

class RecordReads : public ::testing::Test {
protected:
    TBytes Ask(const TBytes& request) { return Instrument.Answer(request).value_or(TBytes{}); }
    TBytes Write(uint16_t start, const TBytes& data) {
        TBytes frame = {0x01,
                        0x10,
                        static_cast<uint8_t>(start >> 8),
                        static_cast<uint8_t>(start & 0xFF),
                        0x00,
                        static_cast<uint8_t>(data.size() / 2),
                        static_cast<uint8_t>(data.size())};
        frame.insert(frame.end(), data.begin(), data.end());
        return Ask(WithCrc(frame));
    }
    // The records `first`.. of the instrument's history.
    std::vector<TBytes> Records(uint32_t first, uint32_t count) {
        const TInstrumentState state = Instrument.State();
        std::vector<TBytes> records;
        for (uint32_t i = 0; i < count; ++i) records.push_back(RecordBytes(state, first + i));
        return records;
    }
    std::vector<TBytes> Block(uint32_t total, uint32_t left, uint32_t first, uint32_t count) {
        std::vector<TBytes> parts = {Long(total), Long(left)};
        for (TBytes& record : Records(first, count)) parts.push_back(std::move(record));
        return parts;
    }

    TInstrument Instrument;
};

TEST_F(RecordReads, RecordOnTheWire) {
    Instrument.Update([](TInstrumentState& s) {
        GenerateHistory(s, 1, {2024, 5, 31, 23, 59, 59}, 60);
        s.HistoryTemperature = -200;
        s.HistoryHumidity = 600;
    });
    EXPECT_EQ(Ask(Read(7, 9)), WithCrc({0x01, 0x03, 0x12, 0,    0,    0,    1,    0,    0,    0,   0,
                                        0xFF, 0x38, 0x02, 0x58, 0x18, 0x05, 0x1F, 0x17, 0x3B, 0x3B}));
    EXPECT_EQ(Ask(Read(7, 9)), NoneLeft);

    // Neighbours differ in every field, and values cycle rather than run away.
    const TInstrumentState s = Instrument.State();
    EXPECT_EQ(HistoryRecordAt(s, 1), (THistoryRecord{-199, 601, {2024, 6, 1, 0, 0, 59}}));
    EXPECT_EQ(HistoryRecordAt(s, 100).Temperature, -200);
    EXPECT_EQ(HistoryRecordAt(s, 50).Humidity, 600);
}

TEST_F(RecordReads, UnreadBlocksHandOutTheOldestUnreadOnce) {
    Instrument.Update([](TInstrumentState& s) { GenerateHistory(s, 250, {2024, 3, 1, 0, 0, 0}, 60); });
    // 504 registers: 1008 data bytes, whose count keeps its low byte.
    const TBytes first = Ask(Read(7, 504));
    EXPECT_EQ(first.size(), 1013u);
    EXPECT_EQ(first[2], 0xF0);
    EXPECT_EQ(first, Reply(Block(250, 150, 0, 100)));
    EXPECT_EQ(Ask(Read(7, 9)), Reply(Block(250, 149, 100, 1)));
    EXPECT_EQ(Ask(Read(7, 99)), Reply(Block(250, 130, 101, 19)));
    EXPECT_EQ(Ask(Read(7, 504)), Reply(Block(250, 30, 120, 100)));
    // Fewer left than asked for: the block carries what there is.
    EXPECT_EQ(Ask(Read(7, 504)), Reply(Block(250, 0, 220, 30)));
    EXPECT_EQ(Ask(Read(7, 504)), NoneLeft);
    EXPECT_EQ(Ask(Read(7, 4)), Reply({Long(250), Long(0)}));

    // Set unread: the newest three are read again.
    EXPECT_EQ(Write(2002, Long(3)), WithCrc({0x01, 0x10, 0x07, 0xD2, 0x00, 0x02}));
    EXPECT_EQ(Ask(Read(7, 9)), Reply(Block(250, 2, 247, 1)));
    EXPECT_EQ(Ask(Read(7, 14)), Reply(Block(250, 0, 248, 2)));

    // Clearing empties the store.
    Instrument.Update([](TInstrumentState& s) { s.HistoryUnread = 5; });
    EXPECT_EQ(Ask(WithCrc({0x01, 0x06, 0x01, 0x2C, 0x0B, 0x8E})), WithCrc({0x01, 0x06, 0x01, 0x2C, 0x0B, 0x8E}));
    EXPECT_EQ(Ask(Read(7, 9)), NoneLeft);
    EXPECT_EQ(Ask(Read(7, 4)), Reply({Long(0), Long(0)}));
}

TEST_F(RecordReads, ReadsThatAreNoRecordReads) {
    Instrument.Update([](TInstrumentState& s) { GenerateHistory(s, 500, {2024, 3, 1, 0, 0, 0}, 60); });
    const struct {
        const char* What;
        uint16_t Start;
        uint16_t Count;
        TBytes Reply;
    } cases[] = {
        {"more than 100 records", 7, 509, {0x01, 0x83, 0x03}},
        {"not a whole number of records", 7, 10, {0x01, 0x83, 0x02}},
        {"a range block without a query", 5000, 9, {0x01, 0x83, 0x03}},
        {"a range register alone", 5000, 1, {0x01, 0x83, 0x02}},
        {"a day's record without a query", 3000, 9, {0x01, 0x83, 0x03}},
        {"a minute model's day record from a second model", 3000, 7, {0x01, 0x83, 0x02}},
        {"part of an event", 1000, 5, {0x01, 0x83, 0x02}},
        {"no event", 1000, 7, {0x01, 0x83, 0x03}},
    };
    for (const auto& c : cases) EXPECT_EQ(Ask(Read(c.Start, c.Count)), WithCrc(c.Reply)) << c.What;
    EXPECT_EQ(Instrument.State().HistoryUnread, 500u);
}

// Half-hourly records from 23:00 on 14 March: the 15th holds records 2 to 49, the 16th 50 to 97.
TEST_F(RecordReads, DayQueryHandsOutTheDayRecordByRecord) {
    const struct {
        uint8_t Model;
        uint16_t CountRegisters;
        uint16_t RecordRegisters;
    } models[] = {{0x12, 2, 7}, {0x14, 4, 9}};
    for (const auto& model : models) {
        SCOPED_TRACE(model.Model);
        const bool seconds = model.RecordRegisters == 9;
        const auto counter = [seconds](uint32_t value) { return seconds ? Long(value) : Short(value); };
        Instrument.Update([&](TInstrumentState& s) {
            s.Model = model.Model;
            GenerateHistory(s, 100, {2024, 3, 14, 23, 0, 0}, 1800);
        });
        EXPECT_EQ(Write(3000, {0x18, 0x03, 0x0F, 0x00}), WithCrc({0x01, 0x10, 0x0B, 0xB8, 0x00, 0x02}));
        EXPECT_EQ(Ask(Read(3000, model.CountRegisters)), Reply({counter(48), counter(48)}));
        for (uint32_t i = 0; i < 48; ++i)
            ASSERT_EQ(Ask(Read(3000, model.RecordRegisters)),
                      Reply({counter(48), counter(47 - i), RecordBytes(Instrument.State(), 2 + i)}))
                << i;
        EXPECT_EQ(Ask(Read(3000, model.RecordRegisters)), NoneLeft);
        EXPECT_EQ(Ask(Read(3000, model.CountRegisters)), Reply({counter(48), counter(0)}));
        // A day before the history began has nothing; the history's unread records are untouched.
        EXPECT_EQ(Write(3000, {0x18, 0x03, 0x0D, 0x00}), WithCrc({0x01, 0x10, 0x0B, 0xB8, 0x00, 0x02}));
        EXPECT_EQ(Ask(Read(3000, model.CountRegisters)), Reply({counter(0), counter(0)}));
        EXPECT_EQ(Ask(Read(3000, model.RecordRegisters)), NoneLeft);
        EXPECT_EQ(Instrument.State().HistoryUnread, 100u);
    }
}

TEST_F(RecordReads, RangeQueryHandsOutBlocks) {
    Instrument.Update([](TInstrumentState& s) { GenerateHistory(s, 100, {2024, 3, 14, 23, 0, 0}, 1800); });
    EXPECT_EQ(Write(5000, {0x18, 0x03, 0x0F, 0x00, 0x18, 0x03, 0x10, 0x00}),
              WithCrc({0x01, 0x10, 0x13, 0x88, 0x00, 0x04}));
    EXPECT_EQ(Ask(Read(4000, 4)), Reply({Long(96), Long(96)}));
    EXPECT_EQ(Ask(Read(5000, 9)), Reply(Block(100, 95, 2, 1)));
    EXPECT_EQ(Ask(Read(5000, 304)), Reply(Block(100, 35, 3, 60)));
    EXPECT_EQ(Ask(Read(5000, 504)), Reply(Block(100, 0, 63, 35)));
    EXPECT_EQ(Ask(Read(5000, 9)), NoneLeft);
    EXPECT_EQ(Ask(Read(4000, 4)), Reply({Long(96), Long(0)}));

    // A range past the history's end runs to its last record.
    EXPECT_EQ(Write(5000, {0x18, 0x03, 0x10, 0x00, 0x18, 0x0C, 0x1F, 0x00}),
              WithCrc({0x01, 0x10, 0x13, 0x88, 0x00, 0x04}));
    EXPECT_EQ(Ask(Read(5000, 504)), Reply(Block(100, 0, 50, 50)));
    EXPECT_EQ(Instrument.State().HistoryUnread, 100u);
}

TEST_F(RecordReads, EventsOneAtATime) {
    const TAlarmEvent events[] = {{2, 1, 356, {2024, 5, 7, 9, 3, 0}}, {3, 6, -100, {2024, 5, 7, 9, 4, 5}}};
    Instrument.Update([&](TInstrumentState& s) {
        for (const TAlarmEvent& event : events) AddEvent(s, event);
    });
    EXPECT_EQ(Ask(Read(1000, 2)), Reply({Short(2), Short(2)}));
    EXPECT_EQ(Ask(Read(1000, 7)),
              WithCrc({0x01, 0x03, 0x0E, 0, 2, 0, 1, 0x01, 0x64, 0x02, 0x01, 0x18, 0x05, 0x07, 0x09, 0x03, 0x00}));
    EXPECT_EQ(Ask(Read(1000, 7)),
              WithCrc({0x01, 0x03, 0x0E, 0, 2, 0, 0, 0xFF, 0x9C, 0x03, 0x06, 0x18, 0x05, 0x07, 0x09, 0x04, 0x05}));
    EXPECT_EQ(Ask(Read(1000, 7)), NoneLeft);
    EXPECT_EQ(Ask(Read(1000, 2)), Reply({Short(2), Short(0)}));
    // Set unread brings back the newest.
    EXPECT_EQ(Ask(WithCrc({0x01, 0x06, 0x03, 0xE9, 0x00, 0x01})), WithCrc({0x01, 0x06, 0x03, 0xE9, 0x00, 0x01}));
    EXPECT_EQ(Ask(Read(1000, 7))[9], 0x03);
}

TEST_F(RecordReads, GeneratedEventsReadToTheEnd) {
    Instrument.Update([](TInstrumentState& s) { s.AlarmTotal = s.AlarmUnread = 30; });
    const TInstrumentState state = Instrument.State();
    for (uint32_t i = 0; i < 30; ++i) {
        TBytes event(AlarmEventSize);
        PutAlarmEvent(AlarmEventAt(state, i), std::span(event).first<AlarmEventSize>());
        ASSERT_EQ(Ask(Read(1000, 7)), Reply({Short(30), Short(29 - i), event})) << i;
    }
    EXPECT_EQ(Ask(Read(1000, 7)), NoneLeft);
    // Every kind of event comes up, each with a code its class knows.
    EXPECT_EQ(AlarmEventAt(state, 0).Class, 1);
    EXPECT_EQ(AlarmEventAt(state, 2).Class, 2);
    EXPECT_EQ(AlarmEventAt(state, 10), (TAlarmEvent{3, 5, 310, {2024, 1, 1, 1, 40, 0}}));
    EXPECT_EQ(AlarmEventAt(state, 12).Code, 29);
}

}  // namespace
}  // namespace instrument
