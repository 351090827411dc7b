#include <gtest/gtest.h>

#include <random>

#include "tools/instrument/frame_assembler.h"
#include "tools/instrument/tests/frame_test_support.h"

namespace instrument {
namespace {

using testing::WithCrc;
using TFrames = std::vector<std::vector<uint8_t>>;

const std::vector<uint8_t> LiveRead = {0x01, 0x03, 0x00, 0x00, 0x00, 0x06, 0xC5, 0xC8};

std::vector<uint8_t> Join(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST(FrameAssembler, EachFunctionsLengthByteByByte) {
    const std::vector<uint8_t> frames[] = {
        LiveRead,
        WithCrc({0x01, 0x05, 0x00, 0x03, 0xFF, 0x00}),
        WithCrc({0x01, 0x06, 0x01, 0x2C, 0x0B, 0x8E}),
        WithCrc({0x01, 0x10, 0x13, 0x88, 0x00, 0x04, 0x08, 0x18, 0x03, 0x01, 0x00, 0x18, 0x03, 0x1F, 0x00}),
        WithCrc({0x01, 0x2E, 0xEA, 0xDF, 0x00, 0x02}),
        WithCrc({0x01, 0x2F, 0xEA, 0xDB, 0x00, 0x04, 0x08, 0, 1, 0, 2, 0, 3, 0, 1}),
        WithCrc({0x01, 0x41, 0x12}),  // unknown function: found by its CRC alone
    };
    for (const auto& frame : frames) {
        TFrameAssembler assembler;
        TFrames found;
        for (size_t i = 0; i < frame.size(); ++i) {
            const TFrames got = assembler.Push(std::span(frame).subspan(i, 1));
            if (i + 1 < frame.size()) {
                EXPECT_TRUE(got.empty()) << "early frame at byte " << i;
            }
            found.insert(found.end(), got.begin(), got.end());
        }
        EXPECT_EQ(found, TFrames{frame});
        EXPECT_FALSE(assembler.HasPartial());
    }
}

TEST(FrameAssembler, SeveralFramesInOneChunk) {
    const auto write = WithCrc({0x01, 0x10, 0x00, 0xDE, 0x00, 0x01, 0x02, 0x00, 0x01});
    TFrameAssembler assembler;
    EXPECT_EQ(assembler.Push(Join({LiveRead, write, LiveRead})), (TFrames{LiveRead, write, LiveRead}));
}

TEST(FrameAssembler, ResynchronisesAfterGarbage) {
    // Noise whose second byte looks like a known function, then noise that claims a long
    // multiple-register write, then a real request: the CRC rejects the pretenders.
    TFrameAssembler assembler;
    EXPECT_EQ(assembler.Push(Join({{0x55, 0x03, 0x10, 0x20}, LiveRead})), TFrames{LiveRead});
    EXPECT_FALSE(assembler.HasPartial());

    const auto longClaim = std::vector<uint8_t>{0x07, 0x10, 0x00, 0x00, 0x00, 0x7B, 0xF6};
    EXPECT_EQ(assembler.Push(Join({longClaim, LiveRead})), TFrames{LiveRead});
    EXPECT_FALSE(assembler.HasPartial());

    // Alone, such a claim waits until the line falls silent.
    EXPECT_TRUE(assembler.Push(Join({longClaim, {0x01, 0x03}})).empty());
    EXPECT_TRUE(assembler.HasPartial());
    EXPECT_TRUE(assembler.Flush().empty());
    EXPECT_FALSE(assembler.HasPartial());
    EXPECT_EQ(assembler.Push(LiveRead), TFrames{LiveRead});
}

TEST(FrameAssembler, HostileStreamStaysBoundedAndRecovers) {
    std::mt19937 random(12345);
    std::vector<uint8_t> noise(200000);
    for (auto& b : noise) b = static_cast<uint8_t>(random());
    TFrameAssembler assembler;
    for (size_t i = 0; i < noise.size(); i += 997) {
        const auto chunk = std::span(noise).subspan(i, std::min<size_t>(997, noise.size() - i));
        for (const auto& frame : assembler.Push(chunk)) EXPECT_LE(frame.size(), TFrameAssembler::MaxFrame + 9);
    }
    assembler.Flush();
    EXPECT_FALSE(assembler.HasPartial());
    EXPECT_EQ(assembler.Push(LiveRead), TFrames{LiveRead});
}

TEST(FrameAssembler, AcknowledgementOnlyWhenAwaited) {
    const std::vector<uint8_t> acknowledgement = WithCrc({0x01, 0x10, 0x00, 0x07, 0x00, 0x0E});
    const std::vector<uint8_t> write = WithCrc({0x01, 0x10, 0x00, 0xDE, 0x00, 0x01, 0x02, 0x00, 0x01});
    TFrameAssembler assembler;
    assembler.AwaitAcknowledgement(true);
    // Byte by byte it completes at its eighth byte; a write request still has its own length.
    TFrames found;
    for (const uint8_t byte : Join({acknowledgement, write, LiveRead})) {
        const TFrames got = assembler.Push(std::span(&byte, 1));
        found.insert(found.end(), got.begin(), got.end());
    }
    EXPECT_EQ(found, (TFrames{acknowledgement, write, LiveRead}));

    // Unawaited, the same bytes promise a write whose data never comes: dropped at the silence.
    assembler.AwaitAcknowledgement(false);
    EXPECT_TRUE(assembler.Push(acknowledgement).empty());
    EXPECT_TRUE(assembler.Flush().empty());
    EXPECT_FALSE(assembler.HasPartial());
}

}  // namespace
}  // namespace instrument
