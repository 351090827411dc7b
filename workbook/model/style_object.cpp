#include "workbook/model/style_object.h"

#include <climits>
#include <vector>

#include "workbook/model/exceptions.h"

namespace xls {

void* TIndexObject::QueryClass(const std::type_info&) { return nullptr; }

// --- TIndexObjectList ---

TIndexObjectList::~TIndexObjectList() = default;

void TIndexObjectList::CheckIndex(int index) const {
    if (index < 0 || index >= Count()) IndexOutOfBounds(index);
}

void TIndexObjectList::CheckItem(const TIndexObject* object) const {
    if (!object && !AllowNil_) throw EXLSError("Nil item in an index object list");
}

void TIndexObjectList::IndexOutOfBounds(int index) { throw EListError::IndexOutOfBounds(index); }

int TIndexObjectList::IndexOf(const TIndexObject* object) const {
    for (size_t i = 0; i < Items_.size(); ++i)
        if (Items_[i].get() == object) return static_cast<int>(i);
    return -1;
}

void TIndexObjectList::RenumberFrom(size_t first) {
    for (size_t i = first; i < Items_.size(); ++i)
        if (Items_[i]) Items_[i]->SetIndex(static_cast<int32_t>(i));
}

void TIndexObjectList::Renumber() { RenumberFrom(0); }

int TIndexObjectList::Add(std::unique_ptr<TIndexObject> object) {
    CheckItem(object.get());
    if (Items_.size() >= static_cast<size_t>(INT32_MAX)) throw EXLSError("Integer overflow");
    TIndexObject* added = object.get();
    Items_.push_back(std::move(object));
    const int index = Count() - 1;
    if (added) added->SetIndex(index);
    Notify(added, lnAdded);
    return index;
}

void TIndexObjectList::Insert(int index, std::unique_ptr<TIndexObject> object) {
    if (index < 0 || index > Count()) throw EListError::IndexOutOfBounds(index);
    CheckItem(object.get());
    if (Items_.size() >= static_cast<size_t>(INT32_MAX)) throw EXLSError("Integer overflow");
    TIndexObject* added = object.get();
    Items_.insert(Items_.begin() + index, std::move(object));
    RenumberFrom(static_cast<size_t>(index));
    Notify(added, lnAdded);
}

void TIndexObjectList::Delete(int index) {
    CheckIndex(index);
    std::unique_ptr<TIndexObject> removed = std::move(Items_[static_cast<size_t>(index)]);
    Items_.erase(Items_.begin() + index);
    Renumber();
    Notify(removed.get(), lnDeleted);
}

std::unique_ptr<TIndexObject> TIndexObjectList::Extract(int index) {
    CheckIndex(index);
    std::unique_ptr<TIndexObject> removed = std::move(Items_[static_cast<size_t>(index)]);
    Items_.erase(Items_.begin() + index);
    Renumber();
    Notify(removed.get(), lnExtracted);
    return removed;
}

void TIndexObjectList::Clear() {
    // Taken out first, so that a Notify (or a destructor) never sees a half-cleared list.
    std::vector<std::unique_ptr<TIndexObject>> items = std::move(Items_);
    Items_.clear();
    for (auto& item : items) Notify(item.get(), lnDeleted);
}

void TIndexObjectList::Notify(TIndexObject*, TListNotification) {}

// --- TXLSIndexObjectList ---

void TXLSIndexObjectList::SetItems(int index, std::unique_ptr<TIndexObject> object) {
    CheckIndex(index);
    CheckItem(object.get());
    TIndexObject* added = object.get();
    std::unique_ptr<TIndexObject> old = std::move(Items_[static_cast<size_t>(index)]);
    Items_[static_cast<size_t>(index)] = std::move(object);
    if (added) added->SetIndex(index);
    if (old) Notify(old.get(), lnDeleted);
    if (added) Notify(added, lnAdded);
}

void TXLSIndexObjectList::FreeSlot(int index) { SetItems(index, nullptr); }

// --- TXLSStyleObject ---

void TXLSStyleObject::UseCountOverflow() { throw EXLSError("Integer overflow"); }

void TXLSStyleObject::Release() {
    if (UseCount_ == INT32_MIN) throw EXLSError("Integer overflow");
    --UseCount_;
}

int32_t TXLSStyleObject::GetHash() {
    if (!HashValid_) {
        Hash_ = CalcHash();
        HashValid_ = 1;
    }
    return Hash_;
}

void TXLSStyleObject::DebugText(int, std::u16string& text) const { text.clear(); }

// --- TXLSStyleObjectHash ---

TXLSStyleObjectHash::TXLSStyleObjectHash(int bucketCount) {
    if (bucketCount < 1 || bucketCount > (1 << 24)) throw EXLSError("Invalid hash bucket count");
    Buckets_.resize(static_cast<size_t>(bucketCount));
}

void TXLSStyleObjectHash::Add(TXLSStyleObject* object) {
    if (!object) throw EXLSError("Nil item in a style object hash");
    Buckets_[Bucket(object->GetHash())].push_back(object);
    ++Count_;
}

TXLSStyleObject* TXLSStyleObjectHash::Find(TXLSStyleObject& probe) const {
    for (TXLSStyleObject* object : Buckets_[Bucket(probe.GetHash())])
        if (object->Equal(probe)) return object;
    return nullptr;
}

void TXLSStyleObjectHash::Remove(const TXLSStyleObject* object) {
    if (Count_ == 0) return;
    for (auto& bucket : Buckets_) Count_ -= std::erase(bucket, object);
}

void TXLSStyleObjectHash::Clear() {
    for (auto& bucket : Buckets_) bucket.clear();
    Count_ = 0;
}

// --- TXLSStyleObjectList ---

TXLSStyleObjectList::TXLSStyleObjectList(int bucketCount) : Hash_(bucketCount) {}

TXLSStyleObjectList::~TXLSStyleObjectList() { Hash_.Clear(); }

void TXLSStyleObjectList::CheckItem(const TIndexObject* object) const {
    TXLSIndexObjectList::CheckItem(object);
    if (object && !dynamic_cast<const TXLSStyleObject*>(object))
        throw EXLSError("Only style objects can be in a style object list");
}

void TXLSStyleObjectList::Notify(TIndexObject* object, TListNotification action) {
    Clean_ = 0;
    if (action == lnAdded && object) static_cast<TXLSStyleObject*>(object)->SetOwner(this);
    if (action == lnExtracted && object) static_cast<TXLSStyleObject*>(object)->SetOwner(nullptr);
    // The hash holds no object the system entered, but a list that uses it must not keep a
    // pointer to an object it no longer holds.
    if (action != lnAdded && object) Hash_.Remove(static_cast<const TXLSStyleObject*>(object));
}

int TXLSStyleObjectList::GetBuiltInCount() const {
    int count = 0;
    for (const auto& item : Items_) {
        if (!item || !static_cast<const TXLSStyleObject*>(item.get())->BuiltIn()) break;
        ++count;
    }
    return count;
}

TXLSStyleObject* TXLSStyleObjectList::FindEqual(const TXLSStyleObject& probe) const {
    for (const auto& item : Items_) {
        auto* object = static_cast<TXLSStyleObject*>(item.get());
        if (object && object->Equal(probe)) return object;
    }
    return nullptr;
}

}  // namespace xls
