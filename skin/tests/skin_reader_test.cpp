// The package container: versions, entry lookup, and damaged packages refused with a clear error.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/byte_reader.h"
#include "base/exception.h"
#include "skin/lzh.h"
#include "skin/skin_reader.h"
#include "skin/tests/skin_test_support.h"
#include "tools/skinpack/lzh_encoder.h"

namespace skin {
namespace {

using namespace skin::testing;

// A container laid out field by field, so that tests can state what our writer never writes.
struct TContainer {
    uint32_t Tag = 70000;
    size_t Skipped = 69;
    std::string Names = "a.bmp\r\nB.ini\r\nc.bmp";
    std::vector<int32_t> Sizes = {3, 4, 2};
    std::string Data = "AAAini!CC";
    int32_t NamesLength = -2;  // -2: the length of Names

    std::vector<uint8_t> Bytes() const {
        std::vector<uint8_t> out;
        base::AppendLE32(out, Tag);
        base::AppendLE32(out,
                         static_cast<uint32_t>(NamesLength == -2 ? static_cast<int32_t>(Names.size()) : NamesLength));
        out.resize(out.size() + 8 + Skipped, 0x5A);
        out.insert(out.end(), Names.begin(), Names.end());
        for (int32_t s : Sizes) base::AppendLE32(out, static_cast<uint32_t>(s));
        out.insert(out.end(), Data.begin(), Data.end());
        return out;
    }
    std::vector<uint8_t> Package() const { return skinpack::PackContainer(Bytes()); }
};

std::string Text(std::span<const uint8_t> bytes) { return std::string(bytes.begin(), bytes.end()); }

TEST(SkinReaderTest, EveryVersionSkipsItsBlock) {
    for (const TSkinPackageVersion& version : SkinPackageVersions) {
        TContainer c;
        c.Tag = version.Tag;
        c.Skipped = version.SkippedBlock;
        TSkinReader reader;
        ASSERT_TRUE(reader.LoadPackage(c.Package())) << version.Tag;
        EXPECT_EQ(reader.Names(), (std::vector<std::string>{"a.bmp", "B.ini", "c.bmp"}));
        EXPECT_EQ(Text(reader.GetEntry("c.bmp")), "CC");
    }
}

TEST(SkinReaderTest, UnknownTagReportsAnOlderFile) {
    TContainer c;
    c.Tag = 10000;
    TSkinReader reader;
    EXPECT_FALSE(reader.LoadPackage(c.Package()));
    EXPECT_EQ(reader.ErrorText(), OlderSkinFileText);
    EXPECT_TRUE(reader.GetEntry("a.bmp").empty());
}

TEST(SkinReaderTest, EntriesAreFoundByNameWithoutCase) {
    TSkinReader reader;
    ASSERT_TRUE(reader.LoadPackage(Package({{"tab.bmp", TextBytes("tab")},
                                            {"MaxButton.bmp", TextBytes("max")},
                                            {"skin.ini", TextBytes("[x]")},
                                            {"other.ini", TextBytes("[y]")}})));
    EXPECT_EQ(Text(reader.GetEntry("tab.bmp")), "tab");
    EXPECT_EQ(Text(reader.GetEntry("TAB.BMP")), "tab");
    // A stored name with capitals is found too (it was lost before).
    EXPECT_EQ(Text(reader.GetEntry("maxbutton.bmp")), "max");
    EXPECT_TRUE(reader.GetEntry("tab").empty());

    std::string name = "unchanged";
    EXPECT_EQ(Text(reader.FindEntry(".ini", name)), "[x]");
    EXPECT_EQ(name, "skin.ini");
    name = "unchanged";
    EXPECT_TRUE(reader.FindEntry(".INI", name).empty());
    EXPECT_EQ(name, "unchanged");
}

TEST(SkinReaderTest, NameListLineBreaks) {
    struct TCase {
        std::string Names;
        std::vector<std::string> Expected;
    };
    const TCase cases[] = {
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb\rc", {"a", "b", "c"}},
        {"a\r\n\r\nb", {"a", "", "b"}},
    };
    for (const TCase& tc : cases) {
        TContainer c;
        c.Names = tc.Names;
        c.Sizes.assign(tc.Expected.size(), 1);
        TSkinReader reader;
        ASSERT_TRUE(reader.LoadPackage(c.Package())) << tc.Names;
        EXPECT_EQ(reader.Names(), tc.Expected);
    }
}

TEST(SkinReaderTest, DamagedPackagesAreRefused) {
    auto withSize = [](int32_t size) {
        std::vector<uint8_t> p;
        base::AppendLE32(p, static_cast<uint32_t>(size));
        const auto stream = skinpack::LzhEncode(TContainer().Bytes());
        p.insert(p.end(), stream.begin(), stream.end());
        return p;
    };
    auto container = [](auto change) {
        TContainer c;
        change(c);
        return c.Package();
    };
    const auto good = TContainer().Package();
    struct TCase {
        const char* Name;
        std::vector<uint8_t> Package;
    };
    const TCase cases[] = {
        {"empty", {}},
        {"size only", withSize(100)},
        {"negative size", withSize(-5)},
        {"smaller than a header", withSize(15)},
        {"two gigabytes", withSize(0x7FFFFFFF)},
        {"more than the stream can hold", withSize(static_cast<int32_t>(good.size() * 49))},
        {"stream cut short", std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(good.size() / 2))},
        {"negative names length", container([](TContainer& c) { c.NamesLength = -1; })},
        {"no names", container([](TContainer& c) { c.NamesLength = 0; })},
        {"names past the end", container([](TContainer& c) { c.NamesLength = 5000; })},
        {"sizes past the end", container([](TContainer& c) { c.Data.clear(), c.Sizes.clear(); })},
        {"negative entry size", container([](TContainer& c) {
             c.Sizes = {3, -4, 2};
         })},
        {"entries past the data", container([](TContainer& c) {
             c.Sizes = {3, 4, 3};
         })},
        {"huge entry size", container([](TContainer& c) {
             c.Sizes = {0x7FFFFFFF, 0x7FFFFFFF, 2};
         })},
        {"1002 entries", container([](TContainer& c) {
             c.Names.clear();
             for (int i = 0; i < 1002; ++i) c.Names += "e\r\n";
             c.Sizes.assign(1002, 0);
             c.Data.clear();
         })},
    };
    for (const TCase& tc : cases) {
        TSkinReader reader;
        try {
            reader.LoadPackage(tc.Package);
            ADD_FAILURE() << tc.Name << " was accepted";
        } catch (const ESkinPackageError&) {
        } catch (const ElzhException&) {
        }
        EXPECT_TRUE(reader.Names().empty()) << tc.Name;
    }
}

TEST(SkinReaderTest, ThousandAndOneEntriesFit) {
    TContainer c;
    c.Names.clear();
    for (int i = 0; i < 1001; ++i) ((c.Names += 'e') += std::to_string(i)) += "\r\n";
    c.Sizes.assign(1001, 0);
    c.Sizes.back() = 9;
    TSkinReader reader;
    ASSERT_TRUE(reader.LoadPackage(c.Package()));
    EXPECT_EQ(Text(reader.GetEntry("e1000")), "AAAini!CC");
}

}  // namespace
}  // namespace skin

namespace skin {
namespace {

using namespace skin::testing;

TEST(SkinPackageWriterTest, RefusesWhatTheReaderCouldNotGiveBack) {
    const std::vector<std::vector<skinpack::TPackageEntry>> refused = {
        {},
        {{"", TextBytes("x")}},
        {{"two\r\nlines.bmp", TextBytes("x")}},
        {{std::string("zero\0byte", 9), TextBytes("x")}},
        std::vector<skinpack::TPackageEntry>(1002, {"e", {}}),
    };
    for (const auto& entries : refused) EXPECT_THROW(skinpack::BuildContainer(entries), base::Exception);
    // What it accepts reads back entry for entry, Chinese names included.
    const std::vector<skinpack::TPackageEntry> entries = {
        {"皮肤.bmp", TextBytes("a")}, {"empty.bmp", {}}, {"skin.ini", TextBytes("[x]")}};
    TSkinReader reader;
    ASSERT_TRUE(reader.LoadPackage(Package(entries)));
    ASSERT_EQ(reader.Names().size(), 3u);
    for (const auto& e : entries) {
        const auto bytes = reader.GetEntry(e.Name);
        EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.end()), e.Data) << e.Name;
    }
}

}  // namespace
}  // namespace skin
