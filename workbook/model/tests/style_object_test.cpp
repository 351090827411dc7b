#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "workbook/model/exceptions.h"
#include "workbook/model/style_object.h"
#include "workbook/model/utils.h"

namespace xls {
namespace {

// A minimal style class: a name, hashed with the CRC like the style sheet's texts.
class TTestStyle : public TXLSStyleObject {
public:
    explicit TTestStyle(std::u16string name, TXLSStyleObjectList* owner = nullptr)
        : TXLSStyleObject(owner), Name_(std::move(name)) {}
    const std::u16string& Name() const { return Name_; }
    void SetName(std::u16string name) {
        if (name == Name_) return;
        Name_ = std::move(name);
        InvalidateHash();
    }
    bool Equal(const TXLSStyleObject& other) const override {
        const auto* o = dynamic_cast<const TTestStyle*>(&other);
        return o && o->Name_ == Name_;
    }
    int CalcCount = 0;

protected:
    int32_t CalcHash() const override {
        ++const_cast<TTestStyle*>(this)->CalcCount;
        return StrCRC32(Name_);
    }

private:
    std::u16string Name_;
};

class TTestStyles : public TXLSStyleObjectList {
public:
    TTestStyles() : TXLSStyleObjectList(256) {}
    void AddDefaults() override {
        auto normal = std::make_unique<TTestStyle>(u"Normal");
        normal->SetBuiltIn(true);
        Add(std::move(normal));
    }
    TTestStyle* Items(int index) const { return static_cast<TTestStyle*>(GetItems(index)); }
    TTestStyle* AddNamed(std::u16string name) {
        auto style = std::make_unique<TTestStyle>(std::move(name));
        TTestStyle* added = style.get();
        Add(std::move(style));
        return added;
    }
};

class TPart : public TIndexObject {};
class TSheet : public TIndexObject {
public:
    void* QueryClass(const std::type_info& classRef) override {
        if (classRef == typeid(TPart)) return &Part;
        return TIndexObject::QueryClass(classRef);
    }
    TPart Part;
};

TEST(IndexObject, QueryClass) {
    TSheet sheet;
    EXPECT_EQ(sheet.Query<TPart>(), &sheet.Part);
    EXPECT_EQ(sheet.Query<TSheet>(), nullptr);
    TPart plain;
    EXPECT_EQ(plain.Query<TPart>(), nullptr);
}

TEST(IndexObjectList, PositionsFollowTheList) {
    TIndexObjectList list;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(list.Add(std::make_unique<TPart>()), i);
    TIndexObject* second = list.GetItems(1);
    TIndexObject* third = list.GetItems(2);
    EXPECT_EQ(second->Index(), 1);
    // Deleting the first of three renumbers the others to 0 and 1.
    list.Delete(0);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(second->Index(), 0);
    EXPECT_EQ(third->Index(), 1);
    // Extracting renumbers as well, and hands the object over.
    std::unique_ptr<TIndexObject> taken = list.Extract(0);
    EXPECT_EQ(taken.get(), second);
    EXPECT_EQ(third->Index(), 0);
    // Inserting keeps every Index equal to its position.
    auto inserted = std::make_unique<TPart>();
    TIndexObject* insertedPtr = inserted.get();
    list.Insert(0, std::move(inserted));
    EXPECT_EQ(insertedPtr->Index(), 0);
    EXPECT_EQ(third->Index(), 1);
    EXPECT_EQ(list.IndexOf(third), 1);
    EXPECT_EQ(list.IndexOf(second), -1);
    EXPECT_THROW(list.GetItems(2), EListError);
    EXPECT_THROW(list.Delete(-1), EListError);
    EXPECT_THROW(list.Insert(5, std::make_unique<TPart>()), EListError);
    EXPECT_THROW(list.Add(nullptr), EXLSError);  // no empty slots in this list
    third->SetIndex(99);
    list.Renumber();
    EXPECT_EQ(third->Index(), 1);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST(IndexObjectList, XLSListSkipsEmptySlots) {
    TXLSIndexObjectList list;
    for (int i = 0; i < 4; ++i) list.Add(std::make_unique<TPart>());
    TIndexObject* last = list.GetItems(3);
    list.FreeSlot(1);
    EXPECT_EQ(list.GetItems(1), nullptr);
    EXPECT_EQ(list.Count(), 4);
    list.Delete(0);  // renumbering passes the empty slot
    EXPECT_EQ(list.GetItems(0), nullptr);
    EXPECT_EQ(last->Index(), 2);
    auto reused = std::make_unique<TPart>();
    TIndexObject* reusedPtr = reused.get();
    list.SetItems(0, std::move(reused));
    EXPECT_EQ(reusedPtr->Index(), 0);
    EXPECT_EQ(list.Add(nullptr), 3);
    EXPECT_THROW(list.SetItems(4, nullptr), EListError);
}

TEST(StyleObject, UseCountsAndHash) {
    TTestStyle style(u"Bold");
    EXPECT_EQ(style.UseCount(), 0);
    EXPECT_FALSE(style.HashValid());
    EXPECT_EQ(style.Owner(), nullptr);
    EXPECT_EQ(style.AddRef(), &style);
    style.AddRef();
    EXPECT_EQ(style.UseCount(), 2);
    style.Release();
    EXPECT_EQ(style.UseCount(), 1);

    // Computed once, cached until a setter clears the flag.
    const int32_t hash = style.GetHash();
    EXPECT_TRUE(style.HashValid());
    EXPECT_EQ(style.GetHash(), hash);
    EXPECT_EQ(style.CalcCount, 1);
    EXPECT_EQ(hash, StrCRC32(u"Bold"));
    style.SetName(u"Bold");  // no change, the hash stays valid
    EXPECT_TRUE(style.HashValid());
    style.SetName(u"Italic");
    EXPECT_FALSE(style.HashValid());
    EXPECT_EQ(style.GetHash(), StrCRC32(u"Italic"));
    EXPECT_EQ(style.CalcCount, 2);

    std::u16string text = u"something";
    style.DebugText(0, text);
    EXPECT_TRUE(text.empty());
}

TEST(StyleObjectList, BuiltInsFindAndOwner) {
    TTestStyles list;
    EXPECT_EQ(list.Hash().BucketCount(), 256);
    list.AddDefaults();
    TTestStyle* bold = list.AddNamed(u"Bold");
    EXPECT_EQ(bold->Owner(), &list);
    EXPECT_EQ(bold->Index(), 1);
    EXPECT_EQ(list.GetBuiltInCount(), 1);

    // The sharing protocol: a temporary outside any list, find an equal one, use it.
    TTestStyle probe(u"Bold");
    EXPECT_EQ(probe.Owner(), nullptr);
    TXLSStyleObject* found = list.FindEqual(probe);
    ASSERT_EQ(found, bold);
    found->AddRef();
    EXPECT_EQ(bold->UseCount(), 1);
    TTestStyle missing(u"Italic");
    EXPECT_EQ(list.FindEqual(missing), nullptr);

    // Releasing to a use count of 0 leaves the object in its list.
    bold->Release();
    EXPECT_EQ(bold->UseCount(), 0);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Items(1), bold);

    // Deleting the first of three renumbers the others.
    TTestStyle* italic = list.AddNamed(u"Italic");
    list.Delete(0);
    EXPECT_EQ(bold->Index(), 0);
    EXPECT_EQ(italic->Index(), 1);
    EXPECT_EQ(list.GetBuiltInCount(), 0);

    // Only style objects go into a style list.
    EXPECT_THROW(list.Add(std::make_unique<TPart>()), EXLSError);
    // An extracted object has no owner any more.
    std::unique_ptr<TIndexObject> extracted = list.Extract(1);
    EXPECT_EQ(static_cast<TTestStyle*>(extracted.get())->Owner(), nullptr);
}

TEST(StyleObjectList, BuiltInCountStopsAtTheFirstOrdinaryItem) {
    TTestStyles list;
    list.AddNamed(u"Ordinary");
    TTestStyle* later = list.AddNamed(u"Later");
    later->SetBuiltIn(true);
    EXPECT_EQ(list.GetBuiltInCount(), 0);
    TTestStyles two;
    two.AddDefaults();
    two.AddDefaults();
    two.AddNamed(u"x");
    two.Items(2)->SetBuiltIn(false);
    EXPECT_EQ(two.GetBuiltInCount(), 2);
    TTestStyles holes;
    holes.AddDefaults();
    holes.FreeSlot(0);
    EXPECT_EQ(holes.GetBuiltInCount(), 0);
    EXPECT_EQ(holes.FindEqual(TTestStyle(u"Normal")), nullptr);  // empty slots are skipped
}

TEST(StyleObjectList, ChangesResetTheCleanByte) {
    TTestStyles list;
    list.SetClean(1);
    list.AddNamed(u"a");
    EXPECT_EQ(list.Clean(), 0);
    list.SetClean(1);
    list.Delete(0);
    EXPECT_EQ(list.Clean(), 0);
}

TEST(StyleObjectHash, BucketsFindEqualObjects) {
    TTestStyles list;
    TTestStyle* a = list.AddNamed(u"a");
    TTestStyle* b = list.AddNamed(u"b");
    list.Hash().Add(a);
    list.Hash().Add(b);
    TTestStyle probe(u"b");
    EXPECT_EQ(list.Hash().Find(probe), b);
    // A deleted object leaves the hash with the list.
    list.Delete(1);
    EXPECT_EQ(list.Hash().Find(probe), nullptr);
    TTestStyle probeA(u"a");
    EXPECT_EQ(list.Hash().Find(probeA), a);
    list.Hash().Clear();
    EXPECT_EQ(list.Hash().Find(probeA), nullptr);
    EXPECT_THROW(TXLSStyleObjectHash(0), EXLSError);
}

}  // namespace
}  // namespace xls
