#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

namespace xls {

// Shared, use-counted style objects and the lists that keep their positions.

// An object that knows its position in the list that holds it.
class TIndexObject {
public:
    TIndexObject() = default;
    virtual ~TIndexObject() = default;
    TIndexObject(const TIndexObject&) = delete;
    TIndexObject& operator=(const TIndexObject&) = delete;

    int32_t Index() const { return Index_; }
    void SetIndex(int32_t value) { Index_ = value; }

    // An owned part of the given class, or nullptr; the base has none (a worksheet answers
    // with its parts).
    virtual void* QueryClass(const std::type_info& classRef);
    template <class T>
    T* Query() {
        return static_cast<T*>(QueryClass(typeid(T)));
    }

private:
    int32_t Index_ = 0;
};

enum TListNotification : uint8_t { lnAdded, lnExtracted, lnDeleted };

// An owning list of TIndexObjects that keeps every object's Index equal to its position:
// an added object gets Count - 1, and after an insertion, deletion or extraction every object
// is renumbered. Indexes outside 0..Count-1 raise EListError.
class TIndexObjectList {
public:
    TIndexObjectList() = default;
    virtual ~TIndexObjectList();
    TIndexObjectList(const TIndexObjectList&) = delete;
    TIndexObjectList& operator=(const TIndexObjectList&) = delete;

    int Count() const { return static_cast<int>(Items_.size()); }
    // Inline: cell stores look a format up for every cell they take.
    TIndexObject* GetItems(int index) const {
        if (index < 0 || index >= Count()) IndexOutOfBounds(index);
        return Items_[static_cast<size_t>(index)].get();
    }
    template <class T>
    T* ItemsAs(int index) const {
        return static_cast<T*>(GetItems(index));
    }
    int IndexOf(const TIndexObject* object) const;

    // Appends and returns the object's index.
    int Add(std::unique_ptr<TIndexObject> object);
    // Inserts at index (0..Count). The original's lists renumbered only on deletion, so an
    // insertion left every later Index one short; here it renumbers like a deletion.
    void Insert(int index, std::unique_ptr<TIndexObject> object);
    // Frees the object at index.
    void Delete(int index);
    // Takes the object out without freeing it.
    std::unique_ptr<TIndexObject> Extract(int index);
    // Frees every object.
    void Clear();
    // Sets every object's Index to its position.
    void Renumber();

protected:
    explicit TIndexObjectList(bool allowNil) : AllowNil_(allowNil) {}
    // Called after every change of the list, once positions are current; the base does nothing.
    virtual void Notify(TIndexObject* object, TListNotification action);
    // Raises when the object may not be in this list.
    virtual void CheckItem(const TIndexObject* object) const;
    void CheckIndex(int index) const;
    std::vector<std::unique_ptr<TIndexObject>> Items_;

private:
    [[noreturn]] static void IndexOutOfBounds(int index);
    void RenumberFrom(size_t first);
    bool AllowNil_ = false;
};

// The same list with empty (nil) slots allowed: renumbering skips them.
class TXLSIndexObjectList : public TIndexObjectList {
public:
    TXLSIndexObjectList() : TIndexObjectList(true) {}

    // Puts object into the slot (freeing what was there); its Index becomes the slot.
    void SetItems(int index, std::unique_ptr<TIndexObject> object);
    // Frees the object of the slot and leaves the slot empty.
    void FreeSlot(int index);
};

class TXLSStyleObjectList;

// A shared style object: counted by use, with a cached hash, a built-in flag and its list.
// Concrete classes supply CalcHash and Equal; a setter that changes a hashed field calls
// InvalidateHash. Release never frees: the style sheet removes objects out of use when it
// compacts.
class TXLSStyleObject : public TIndexObject {
public:
    explicit TXLSStyleObject(TXLSStyleObjectList* owner = nullptr) : Owner_(owner) {}

    // One more use; returns the object. Inline: taken for every cell a store takes.
    TXLSStyleObject* AddRef() {
        if (UseCount_ == INT32_MAX) UseCountOverflow();
        ++UseCount_;
        return this;
    }
    // count (>= 0) more uses at once: a run of cells with one format.
    void AddRefs(int32_t count) {
        if (UseCount_ > INT32_MAX - count) UseCountOverflow();
        UseCount_ += count;
    }
    // One use less (the count may go below zero when a caller releases more than it took, as
    // in the original; the style sheet treats such objects as out of use).
    void Release();
    int32_t UseCount() const { return UseCount_; }
    void SetUseCount(int32_t value) { UseCount_ = value; }

    // The cached hash, computed by CalcHash when it is not valid.
    int32_t GetHash();
    bool HashValid() const { return HashValid_; }
    void InvalidateHash() { HashValid_ = false; }

    bool BuiltIn() const { return BuiltIn_ != 0; }
    void SetBuiltIn(bool value) { BuiltIn_ = value ? 1 : 0; }
    TXLSStyleObjectList* Owner() const { return Owner_; }
    void SetOwner(TXLSStyleObjectList* owner) { Owner_ = owner; }

    virtual bool Equal(const TXLSStyleObject& other) const = 0;
    // A line of text for debugging dumps; the base gives an empty text.
    virtual void DebugText(int index, std::u16string& text) const;

protected:
    virtual int32_t CalcHash() const = 0;

private:
    [[noreturn]] static void UseCountOverflow();
    int32_t UseCount_ = 0;
    uint8_t HashValid_ = 0;
    int32_t Hash_ = 0;
    uint8_t BuiltIn_ = 0;
    TXLSStyleObjectList* Owner_ = nullptr;
};

// An array of bucket chains keyed by the objects' hashes. Created empty with the list, emptied
// and freed with it; nothing in the system enters objects into it (lookups are the lists' linear
// Find), but it works for a list that wants it.
class TXLSStyleObjectHash {
public:
    explicit TXLSStyleObjectHash(int bucketCount);
    int BucketCount() const { return static_cast<int>(Buckets_.size()); }
    void Add(TXLSStyleObject* object);
    // The first object of the probe's bucket that is Equal to it, or nullptr.
    TXLSStyleObject* Find(TXLSStyleObject& probe) const;
    // Takes the object out of whatever bucket holds it.
    void Remove(const TXLSStyleObject* object);
    void Clear();

private:
    size_t Bucket(int32_t hash) const { return static_cast<uint32_t>(hash) % Buckets_.size(); }
    std::vector<std::vector<TXLSStyleObject*>> Buckets_;
    // Entries held: an empty hash (the usual case) answers Remove without visiting its buckets.
    size_t Count_ = 0;
};

// An owning list of style objects (nil slots allowed) with its hash and its built-in items.
class TXLSStyleObjectList : public TXLSIndexObjectList {
public:
    explicit TXLSStyleObjectList(int bucketCount);
    ~TXLSStyleObjectList() override;

    TXLSStyleObject* GetItems(int index) const {
        return static_cast<TXLSStyleObject*>(TIndexObjectList::GetItems(index));
    }
    // Number of leading items whose BuiltIn flag is set (stops at the first without it).
    int GetBuiltInCount() const;
    // The first non-empty item Equal to probe (a linear search in list order), or nullptr.
    // A differing hash does not prove difference for every style class (colours compare their
    // tints with a tolerance), so the search asks Equal.
    TXLSStyleObject* FindEqual(const TXLSStyleObject& probe) const;

    // Each concrete list adds its built-in items with BuiltIn set.
    virtual void AddDefaults() = 0;

    TXLSStyleObjectHash& Hash() { return Hash_; }
    // A byte that every change of the list resets to 0; its owner sets it.
    uint8_t Clean() const { return Clean_; }
    void SetClean(uint8_t value) { Clean_ = value; }

protected:
    void Notify(TIndexObject* object, TListNotification action) override;
    void CheckItem(const TIndexObject* object) const override;

private:
    TXLSStyleObjectHash Hash_;
    uint8_t Clean_ = 0;
};

}  // namespace xls
