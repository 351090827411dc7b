// The LZHUF decoder against our encoder, against an LHA extractor and an LHA archiver nobody
// here wrote, and on damaged streams.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "skin/lzh.h"
#include "skin/lzh_tables.h"
#include "skin/tests/skin_test_support.h"
#include "tools/skinpack/lzh_encoder.h"

namespace skin {
namespace {

using namespace skin::testing;

std::vector<uint8_t> Blanks(size_t n) { return std::vector<uint8_t>(n, ' '); }

struct TSample {
    const char* Name;
    std::vector<uint8_t> Bytes;
};

std::vector<TSample> Samples() {
    std::vector<uint8_t> cycle;
    for (int i = 0; i < 5000; ++i) cycle.push_back(static_cast<uint8_t>("abcdefghij"[i % 7]));
    std::vector<uint8_t> noise;
    for (uint32_t i = 0, x = 12345; i < 70000; ++i)
        noise.push_back(static_cast<uint8_t>((x = x * 1103515245 + 12345) >> 16));
    return {
        {"one byte", {0x41}},
        {"blanks only", Blanks(9000)},
        {"all byte values",
         [] {
             std::vector<uint8_t> v;
             for (int i = 0; i < 256 * 3; ++i) v.push_back(static_cast<uint8_t>(i * 7));
             return v;
         }()},
        {"short cycle with long matches", cycle},
        {"noise that rebuilds the tree", noise},
        {"mixed 300 KB", SampleBytes(300000, 7)},
    };
}

TEST(LzhTest, PositionTablesAreThePublishedCode) {
    struct TRow {
        int From, To, Upper, Length;
    };
    const TRow rows[] = {{0x00, 0x1F, 0, 3},  {0x20, 0x2F, 1, 4},  {0x40, 0x4F, 3, 4},  {0x50, 0x57, 4, 5},
                         {0x88, 0x8F, 11, 5}, {0x90, 0x93, 12, 6}, {0xBC, 0xBF, 23, 6}, {0xC0, 0xC1, 24, 7},
                         {0xEE, 0xEF, 47, 7}, {0xF0, 0xF0, 48, 8}, {0xFF, 0xFF, 63, 8}};
    for (const TRow& row : rows) {
        for (int i = row.From; i <= row.To; ++i) {
            EXPECT_EQ(LzhDecodeCode[i], row.Upper) << i;
            EXPECT_EQ(LzhDecodeLength[i], row.Length) << i;
        }
    }
}

TEST(LzhTest, OurEncoderRoundTrips) {
    for (const TSample& sample : Samples()) {
        const auto packed = skinpack::LzhEncode(sample.Bytes);
        EXPECT_EQ(TLZH::Decode(packed, sample.Bytes.size()), sample.Bytes) << sample.Name;
    }
    EXPECT_TRUE(TLZH::Decode({}, 0).empty());
}

TEST(LzhTest, BlanksBeforeTheStartAreMatchable) {
    // Sixty blanks cost a single match against the ring's blank prefill.
    EXPECT_LE(skinpack::LzhEncode(Blanks(60)).size(), 3u);
}

TEST(LzhTest, MatchIsCutAtTheWantedSize) {
    const std::vector<uint8_t> text = TextBytes(std::string(200, 'x'));
    const auto packed = skinpack::LzhEncode(text);
    for (size_t count : {1u, 2u, 5u, 59u, 61u, 150u}) {
        const auto out = TLZH::Decode(packed, count);
        ASSERT_EQ(out.size(), count);
        EXPECT_EQ(out, std::vector<uint8_t>(text.begin(), text.begin() + static_cast<long>(count)));
    }
}

TEST(LzhTest, StreamThatEndsEarlyIsAnError) {
    const auto sample = SampleBytes(20000, 3);
    auto packed = skinpack::LzhEncode(sample);
    EXPECT_THROW(TLZH::Decode(packed, sample.size() + 1000), ElzhException);
    packed.resize(packed.size() / 2);
    EXPECT_THROW(TLZH::Decode(packed, sample.size()), ElzhException);
    EXPECT_THROW(TLZH::Decode({}, 1), ElzhException);
}

// An LHA extractor reads our stream as the data of an -lh1- member (a level-0 header).
TEST(LzhOracleTest, LhasaExtractsOurStream) {
    const TTempDir dir;
    for (const TSample& sample : Samples()) {
        WriteFileBytes(dir / "input", sample.Bytes);
        WriteFileBytes(dir / "stream", skinpack::LzhEncode(sample.Bytes));
        const auto wrap = RunCommand(std::string(Python) + " " OMBRIX_SOURCE_DIR "/skin/tests/oracle/wrap_lh1.py " +
                                     dir / "input" + " " + dir / "stream" + " " + dir / "member.lzh");
        ASSERT_EQ(wrap.ExitCode, 0) << wrap.Output;
        const auto test = RunCommand("lha t " + dir / "member.lzh");
        ASSERT_EQ(test.ExitCode, 0) << "lhasa is missing or refuses the member: " << test.Output;
        const auto print = RunCommand("lha pq " + dir / "member.lzh" + " > " + dir / "output");
        ASSERT_EQ(print.ExitCode, 0) << print.Output;
        EXPECT_EQ(ReadFileBytes(dir / "output"), sample.Bytes) << sample.Name;
    }
}

// An LHA library's -lh1- encoder (which chooses its matches its own way) makes streams that our
// decoder reads back.
TEST(LzhOracleTest, WeReadAnArchiversStream) {
    const TTempDir dir;
    const auto samples = Samples();
    std::string files;
    auto numbered = [&](const char* name, size_t i) { return dir / (std::string(name) += std::to_string(i)); };
    for (size_t i = 0; i < samples.size(); ++i) {
        WriteFileBytes(numbered("input", i), samples[i].Bytes);
        (files += ' ') += numbered("input", i);
        (files += ' ') += numbered("stream", i);
    }
    const auto made =
        RunCommand("java -cp /usr/share/java/jlha.jar " OMBRIX_SOURCE_DIR "/skin/tests/oracle/MakeLh1.java" + files);
    ASSERT_EQ(made.ExitCode, 0) << "java or libjlha-java is missing: " << made.Output;
    for (size_t i = 0; i < samples.size(); ++i) {
        const auto stream = ReadFileBytes(numbered("stream", i));
        EXPECT_EQ(TLZH::Decode(stream, samples[i].Bytes.size()), samples[i].Bytes) << samples[i].Name;
    }
}

}  // namespace
}  // namespace skin
