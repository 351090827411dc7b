// The skin component: its stored properties, the skin stream, the load chain and what it asks
// of the skin manager.
#include <gtest/gtest.h>

#include <QObject>
#include <algorithm>
#include <set>

#include "base/exception.h"
#include "base/memory_stream.h"
#include "skin/skin_data.h"
#include "skin/skin_manager_link.h"
#include "skin/skin_reader.h"
#include "skin/tests/skin_test_support.h"

namespace skin {
namespace {

using namespace skin::testing;

struct TCall {
    int Command;
    int Interval;
    bool operator==(const TCall&) const = default;
};

// Records what the component asks of the manager.
class TFakeManager : public TSkinManagerLink {
public:
    void AddSkinData(TSkinData& data) override { Registered.push_back(&data); }
    void RemoveSkinData(TSkinData& data) override { std::erase(Registered, &data); }
    void InstallHook() override { ++Hooks; }
    void SetCommandData(TSkinData* data) override { CommandData = data; }
    void PostCommand(int command, int interval) override { Commands.push_back({command, interval}); }
    int Started() const override { return StartedCount; }
    void SetStarted(int value) override { StartedCount = value; }
    void SetActive(bool value) override { Active = value; }
    void SkinOwnerForm(TSkinData&) override { ++OwnerSkinned; }
    void ReloadSkinners() override { ++Reloads; }

    std::vector<TSkinData*> Registered;
    std::vector<TCall> Commands;
    TSkinData* CommandData = nullptr;
    int Hooks = 0, StartedCount = 0, OwnerSkinned = 0, Reloads = 0;
    bool Active = false;
};

class SkinDataTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetSkinManagerFactory([this] {
            auto manager = std::make_unique<TFakeManager>();
            Manager = manager.get();
            return manager;
        });
    }
    void TearDown() override {
        FreeSkinManager();
        SetSkinManagerFactory(nullptr);
    }

    static std::vector<uint8_t> GoodPackage() {
        return Package({{"top.bmp", BmpBytes(30, 20)}, {"skin.ini", TextBytes("[Personality]\r\nTop=top.bmp\r\n")}});
    }
    // The form's streaming: stored properties, the skin stream, then Loaded.
    static void Stream(TSkinData& data, const std::vector<uint8_t>& package, bool active = true) {
        data.SetActive(active);
        base::TMemoryStream stream;
        TSkinData writer;
        writer.SetSkinStreamBytes(package);
        writer.WriteSkinStream(stream);
        stream.SetPosition(0);
        data.ReadSkinStream(stream);
        data.Loaded();
    }

    TFakeManager* Manager = nullptr;
};

TEST_F(SkinDataTest, ConstructionDefaults) {
    TSkinData data;
    EXPECT_FALSE(data.Active());
    EXPECT_EQ(data.DisableTag(), 99);
    EXPECT_TRUE(data.Loading());
    EXPECT_EQ(data.SkinFormtype(), TSkinFormType::sfMainform);
    EXPECT_TRUE(data.MenuUpdate());
    EXPECT_FALSE(data.MenuMerge());
    EXPECT_EQ(data.Options(),
              (TSkinOptions{TSkinOption::xoPreview, TSkinOption::xoToolbarBK, TSkinOption::xoCaptionButtonHint}));
    int kinds = 0;
    for (int k = 0; k <= static_cast<int>(TSkinControlType::xcFastReport); ++k)
        kinds += data.SkinControls().Has(static_cast<TSkinControlType>(k));
    EXPECT_EQ(kinds, 20);
    EXPECT_FALSE(data.SkinControls().Has(TSkinControlType::xcMenuItem));
    EXPECT_FALSE(data.SkinControls().Has(TSkinControlType::xcFastReport));
    EXPECT_EQ(data.Buttons->Name, "Buttons");
    EXPECT_EQ(data.Borders[3]->Name, "Bottom");
    EXPECT_EQ(data.Title->Name, "Title");

    const auto& lines = data.Skin3rd();
    EXPECT_EQ(lines.size(), 118u);
    EXPECT_EQ(std::set<std::string>(lines.begin(), lines.end()).size(), 115u);
    for (const char* twice : {"TDBCheckboxEh=Checkbox", "TLMDFontSizeCombobox=combobox", "TWWDBCombobox=Combobox"})
        EXPECT_EQ(std::count(lines.begin(), lines.end(), twice), 2) << twice;

    data.SetVersion("9");
    data.SetSkinStore("(Good)");
    EXPECT_EQ(data.Version(), "1.4.03.29");
    EXPECT_EQ(data.SkinStore(), "(none)");
}

TEST_F(SkinDataTest, StreamedSkinIsAppliedAndActivated) {
    TSkinData data;
    Stream(data, GoodPackage());
    EXPECT_FALSE(data.Loading());
    EXPECT_TRUE(data.Active());
    ASSERT_NE(Manager, nullptr);
    EXPECT_EQ(Manager->Registered, std::vector<TSkinData*>{&data});
    EXPECT_EQ(Manager->Hooks, 1);
    EXPECT_EQ(Manager->Commands, (std::vector<TCall>{{1, 250}}));
    EXPECT_EQ(Manager->CommandData, &data);
    // With the main menu skinned, menu items are never skinned on their own.
    EXPECT_FALSE(data.SkinControls().Has(TSkinControlType::xcMenuItem));
    EXPECT_TRUE(data.SkinControls().Has(TSkinControlType::xcSystemMenu));
}

TEST_F(SkinDataTest, WithoutMainMenuTheSystemMenuIsNotSkinned) {
    TSkinData data;
    TSkinControlTypes kinds = data.SkinControls();
    kinds.Exclude(TSkinControlType::xcMainMenu);
    kinds.Include(TSkinControlType::xcMenuItem);
    data.SetSkinControls(kinds);
    Stream(data, GoodPackage());
    EXPECT_TRUE(data.SkinControls().Has(TSkinControlType::xcMenuItem));
    EXPECT_FALSE(data.SkinControls().Has(TSkinControlType::xcSystemMenu));
}

// A damaged package or an unknown version leaves the program running unskinned: no exception
// leaves the form's loading, nothing is activated and the reason is kept.
TEST_F(SkinDataTest, FailedLoadContinuesUnskinned) {
    auto unknownTag = Package({{"a.ini", TextBytes("")}});
    std::vector<uint8_t> container = TSkinReader::Unpack(unknownTag);
    container[0] = 1;
    struct TCase {
        const char* Name;
        std::vector<uint8_t> Package;
        std::string Error;
    };
    const auto good = GoodPackage();
    const TCase cases[] = {
        {"unknown tag", skinpack::PackContainer(container), OlderSkinFileText},
        {"cut short", std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(good.size() / 2)),
         "LZH : The compressed data ends early"},
        {"garbage", {0x10, 0, 0, 0, 'g', 'a', 'r', 'b'}, "LZH : The compressed data ends early"},
    };
    for (const TCase& tc : cases) {
        TSkinData data;
        EXPECT_NO_THROW(Stream(data, tc.Package)) << tc.Name;
        EXPECT_TRUE(data.Loading()) << tc.Name;
        EXPECT_FALSE(data.Active()) << tc.Name;
        EXPECT_EQ(data.LoadError(), tc.Error) << tc.Name;
        EXPECT_TRUE(Manager->Commands.empty()) << tc.Name;
    }
}

TEST_F(SkinDataTest, SkinStreamSizes) {
    TSkinData empty;
    base::TMemoryStream stream;
    empty.WriteSkinStream(stream);
    EXPECT_EQ(stream.Size(), 4);
    stream.SetPosition(0);
    TSkinData data;
    data.ReadSkinStream(stream);
    EXPECT_TRUE(data.SkinStream().empty());
    EXPECT_TRUE(data.Loading());

    // A count larger than what follows is refused before anything is allocated.
    base::TMemoryStream truncated;
    const uint8_t bytes[] = {0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3};
    truncated.WriteBuffer(bytes, sizeof bytes);
    truncated.SetPosition(0);
    EXPECT_NO_THROW(data.ReadSkinStream(truncated));
    EXPECT_TRUE(data.SkinStream().empty());
    EXPECT_EQ(data.LoadError(), TSkinData::StoredPackageTruncatedText);
    EXPECT_EQ(truncated.Position(), truncated.Size());

    base::TMemoryStream negative;
    const uint8_t minus[] = {0xFB, 0xFF, 0xFF, 0xFF};
    negative.WriteBuffer(minus, sizeof minus);
    negative.SetPosition(0);
    data.ReadSkinStream(negative);
    EXPECT_TRUE(data.SkinStream().empty());
}

TEST_F(SkinDataTest, RunTimeActivation) {
    TSkinData data;
    Stream(data, GoodPackage());
    Manager->Commands.clear();
    data.SetActive(false);
    data.SetActive(false);
    data.SetActive(true);
    EXPECT_EQ(Manager->Commands, (std::vector<TCall>{{2, 250}, {1, 250}}));
    EXPECT_EQ(Manager->StartedCount, 1);
}

TEST_F(SkinDataTest, OnlyThisFormWithoutSkinPostsNothingOnActivation) {
    TSkinData data;
    data.SetSkinFormtype(TSkinFormType::sfOnlyThisForm);
    data.Loaded();
    EXPECT_TRUE(Manager->Active);
    EXPECT_EQ(Manager->StartedCount, 1);
    data.SetActive(true);
    EXPECT_EQ(Manager->CommandData, &data);
    EXPECT_TRUE(Manager->Commands.empty());
    data.SetActive(false);
    EXPECT_EQ(Manager->Commands, (std::vector<TCall>{{2, 250}}));
}

TEST_F(SkinDataTest, SkinFileLoadsAtRunTime) {
    TSkinData data;
    data.Loaded();
    const TTempDir dir;
    WriteFileBytes(dir / "a.skin", GoodPackage());
    Manager->StartedCount = 1;
    data.SetSkinFile(dir / "a.skin");
    EXPECT_FALSE(data.Loading());
    EXPECT_EQ(Manager->Reloads, 1);
    EXPECT_EQ(Manager->Commands, (std::vector<TCall>{{3, 250}}));
    data.SetSkinFile(dir / "missing.skin");
    EXPECT_TRUE(data.Loading());
    EXPECT_EQ(data.SkinFile(), dir / "missing.skin");
}

TEST_F(SkinDataTest, FormSkinDecision) {
    TSkinData data;
    bool doSkin = true;
    data.DoFormSkin("SysMonthCal32", doSkin);
    EXPECT_FALSE(doSkin);
    doSkin = true;
    data.DoFormSkin("TfrPreview", doSkin);
    EXPECT_TRUE(doSkin);
    TSkinControlTypes kinds = data.SkinControls();
    kinds.Include(TSkinControlType::xcFastReport);
    data.SetSkinControls(kinds);
    data.DoFormSkin("TfrPreview", doSkin);
    EXPECT_FALSE(doSkin);
    data.OnFormSkin = [](TSkinData&, const std::string& name, bool& skin) { skin = name == "SysMonthCal32"; };
    doSkin = true;
    data.DoFormSkin("SysMonthCal32", doSkin);
    EXPECT_TRUE(doSkin);
    int changed = 0;
    data.OnSkinChanged = [&](TSkinData& sender) { changed += &sender == &data; };
    data.DoSkinChanged();
    EXPECT_EQ(changed, 1);
}

TEST_F(SkinDataTest, FrameColourWithAZeroFrameCount) {
    TSkinData data;
    data.SetSkinStreamBytes(Package({{"top.bmp", BmpBytes(30, 20, qRgb(5, 6, 7))},
                                     {"skin.ini", TextBytes("[Personality]\r\nTop=top.bmp\r\nTopFrame=0\r\n")}}));
    ASSERT_TRUE(data.LoadSkin());
    EXPECT_EQ(data.FrameColour(), RGB(5, 6, 7));
}

TEST_F(SkinDataTest, DestructionUnregisters) {
    {
        TSkinData data;
        data.Loaded();
        EXPECT_EQ(Manager->Registered.size(), 1u);
    }
    EXPECT_TRUE(Manager->Registered.empty());
}

}  // namespace
}  // namespace skin
