#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/exception.h"

namespace xls {

// Bytes appended in blocks that never move, so that growing never copies what is there and
// never holds it twice. A piece is addressed by 32 bits: block number and offset in it. A
// piece longer than a quarter block gets a block of its own.
class TDOMByteBlocks {
public:
    static constexpr size_t BlockBits = 16;
    static constexpr size_t BlockSize = size_t{1} << BlockBits;

    void Clear() {
        Blocks_.clear();
        Current_ = None;
        Used_ = 0;
        Reserved_ = 0;
    }
    // Copies bytes into one piece and returns its address.
    uint32_t Append(const void* bytes, size_t count) {
        if (count > BlockSize / 4) {
            const uint32_t block = NewBlock(count);
            std::memcpy(Blocks_[block].get(), bytes, count);
            return block << BlockBits;
        }
        if (Current_ == None || Used_ + count > BlockSize) {
            Current_ = NewBlock(BlockSize);
            Used_ = 0;
        }
        const auto address = static_cast<uint32_t>((size_t{Current_} << BlockBits) | Used_);
        if (count > 0) std::memcpy(Blocks_[Current_].get() + Used_, bytes, count);
        Used_ += count;
        return address;
    }
    const char* At(uint32_t address) const { return Blocks_[address >> BlockBits].get() + (address & (BlockSize - 1)); }
    size_t ReservedBytes() const { return Reserved_ + Blocks_.capacity() * sizeof(Blocks_[0]); }

private:
    static constexpr uint32_t None = UINT32_MAX;
    // The last address of the last block would read as "no record".
    static constexpr size_t MaxBlocks = (size_t{1} << (32 - BlockBits)) - 1;

    uint32_t NewBlock(size_t size) {
        if (Blocks_.size() >= MaxBlocks) throw base::Exception("XML document too large for the simple tree");
        Blocks_.push_back(std::make_unique<char[]>(size));
        Reserved_ += size;
        return static_cast<uint32_t>(Blocks_.size() - 1);
    }

    std::vector<std::unique_ptr<char[]>> Blocks_;
    uint32_t Current_ = None;  // the block small pieces go to
    size_t Used_ = 0;
    size_t Reserved_ = 0;
};

// An array of fixed-size records in blocks that never move.
template <typename T>
class TDOMBlockArray {
public:
    static constexpr size_t BlockBits = 12;
    static constexpr size_t BlockLength = size_t{1} << BlockBits;

    void Clear() {
        Blocks_.clear();
        Size_ = 0;
    }
    size_t Size() const { return Size_; }
    T& operator[](size_t index) { return Blocks_[index >> BlockBits][index & (BlockLength - 1)]; }
    const T& operator[](size_t index) const { return Blocks_[index >> BlockBits][index & (BlockLength - 1)]; }
    void PushBack(const T& item) {
        if ((Size_ & (BlockLength - 1)) == 0) Blocks_.push_back(std::make_unique<T[]>(BlockLength));
        (*this)[Size_++] = item;
    }
    size_t ReservedBytes() const {
        return Blocks_.size() * BlockLength * sizeof(T) + Blocks_.capacity() * sizeof(Blocks_[0]);
    }

private:
    std::vector<std::unique_ptr<T[]>> Blocks_;
    size_t Size_ = 0;
};

// Element and attribute names, each kept once: a part repeats a few names millions of times.
class TDOMNameTable {
public:
    void Clear() {
        Bytes_.Clear();
        Names_.Clear();
        Slots_.clear();
    }
    uint32_t Intern(std::string_view name) {
        if (Slots_.empty() || (Names_.Size() + 1) * 2 > Slots_.size()) Grow();
        const size_t mask = Slots_.size() - 1;
        for (size_t at = std::hash<std::string_view>()(name) & mask;; at = (at + 1) & mask) {
            if (Slots_[at] == Empty) {
                if (Names_.Size() >= Empty) throw base::Exception("XML document has too many names");
                const auto id = static_cast<uint32_t>(Names_.Size());
                Names_.PushBack(std::string_view(Bytes_.At(Bytes_.Append(name.data(), name.size())), name.size()));
                Slots_[at] = id;
                return id;
            }
            if (Names_[Slots_[at]] == name) return Slots_[at];
        }
    }
    std::string_view Name(uint32_t id) const { return Names_[id]; }
    size_t Count() const { return Names_.Size(); }
    size_t ReservedBytes() const {
        return Bytes_.ReservedBytes() + Names_.ReservedBytes() + Slots_.capacity() * sizeof(uint32_t);
    }

private:
    static constexpr uint32_t Empty = UINT32_MAX;

    void Grow() {
        std::vector<uint32_t> slots(std::max<size_t>(64, Slots_.size() * 2), Empty);
        const size_t mask = slots.size() - 1;
        for (size_t id = 0; id < Names_.Size(); ++id) {
            size_t at = std::hash<std::string_view>()(Names_[id]) & mask;
            while (slots[at] != Empty) at = (at + 1) & mask;
            slots[at] = static_cast<uint32_t>(id);
        }
        Slots_.swap(slots);
    }

    TDOMByteBlocks Bytes_;
    TDOMBlockArray<std::string_view> Names_;
    std::vector<uint32_t> Slots_;
};

// A parsed tree held compactly: twelve bytes per element in document order, names kept once,
// texts and attributes packed into byte records (UTF-16 units, lengths as 7-bit groups) that
// only elements having them get. An element's children follow it; End is the index after its
// last descendant, which is where its next sibling starts.
class TXpgDOMStore {
public:
    static constexpr uint32_t None = UINT32_MAX;

    struct TNode {
        uint32_t Name;
        uint32_t End;
        uint32_t Data;  // address of the node's record, or None
    };
    struct TAttribute {
        uint32_t Name;  // name id (NameOf)
        std::u16string Value;
    };
    // What a record holds; reading into the same content again reuses its strings.
    struct TContent {
        std::u16string Text;
        std::u16string Tail;
        std::vector<TAttribute> Attributes;
        size_t AttributeCount = 0;
    };

    TXpgDOMStore() { Clear(); }

    // Empties the store and opens the root, node 0.
    void Clear() {
        Nodes_.Clear();
        Names_.Clear();
        Bytes_.Clear();
        Depth_ = 0;
        Open("__ROOT__");
    }

    // Building, in document order. An element opened with its text, then its attributes.
    void Open(std::string_view name, std::u16string_view text = {}) {
        if (Depth_ > 0) Flush(Frame(Depth_ - 1).Last);
        if (Nodes_.Size() >= None) throw base::Exception("XML document has too many elements");
        if (Depth_ == Frames_.size()) Frames_.emplace_back();
        TFrame& frame = Frame(Depth_++);
        frame.Own.Index = static_cast<uint32_t>(Nodes_.Size());
        frame.Own.Text.assign(text);
        frame.Own.Tail.clear();
        frame.Own.Attributes.clear();
        frame.Own.AttributeCount = 0;
        frame.Last.Index = None;
        Nodes_.PushBack({Names_.Intern(name), None, None});
    }
    void AddAttribute(std::string_view name, std::u16string_view value) {
        TPending& own = Frame(Depth_ - 1).Own;
        AppendNumber(own.Attributes, Names_.Intern(name));
        AppendUnits(own.Attributes, value);
        ++own.AttributeCount;
    }
    // Closes the innermost open element; tail is the text after its end tag.
    void Close(std::u16string_view tail) {
        if (Depth_ < 2) return;  // the root stays open until Finish
        TFrame& frame = Frame(Depth_ - 1);
        Flush(frame.Last);
        Nodes_[frame.Own.Index].End = static_cast<uint32_t>(Nodes_.Size());
        TPending& last = Frame(Depth_ - 2).Last;
        std::swap(last, frame.Own);
        last.Tail.assign(tail);
        --Depth_;
    }
    // Text that follows a comment or an instruction: it goes on with the text before it.
    void AppendText(std::u16string_view text) {
        TFrame& frame = Frame(Depth_ - 1);
        if (frame.Last.Index != None)
            frame.Last.Tail += text;
        else
            frame.Own.Text += text;
    }
    // Closes whatever is open (after a failed or stopped parse too) and writes the records.
    void Finish() {
        while (Depth_ > 1) Close({});
        if (Depth_ == 0) return;
        Flush(Frame(0).Last);
        Nodes_[0].End = static_cast<uint32_t>(Nodes_.Size());
        Flush(Frame(0).Own);
        Depth_ = 0;
    }

    // Reading.
    const TNode& Node(uint32_t index) const { return Nodes_[index]; }
    uint32_t FirstChild(uint32_t index) const { return Nodes_[index].End > index + 1 ? index + 1 : None; }
    uint32_t NextSibling(uint32_t child, uint32_t parent) const {
        const uint32_t next = Nodes_[child].End;
        return next < Nodes_[parent].End ? next : None;
    }
    std::string_view Name(uint32_t index) const { return Names_.Name(Nodes_[index].Name); }
    size_t NameCount() const { return Names_.Count(); }
    std::string_view NameOf(uint32_t id) const { return Names_.Name(id); }
    void Read(uint32_t index, TContent& content) const {
        content.Text.clear();
        content.Tail.clear();
        content.AttributeCount = 0;
        const uint32_t data = Nodes_[index].Data;
        if (data == None) return;
        const char* p = Bytes_.At(data);
        const auto flags = static_cast<uint8_t>(*p++);
        if (flags & HasText) ReadUnits(p, content.Text);
        if (flags & HasTail) ReadUnits(p, content.Tail);
        if (flags & HasAttributes) {
            content.AttributeCount = ReadNumber(p);
            if (content.Attributes.size() < content.AttributeCount) content.Attributes.resize(content.AttributeCount);
            for (size_t i = 0; i < content.AttributeCount; ++i) {
                content.Attributes[i].Name = static_cast<uint32_t>(ReadNumber(p));
                ReadUnits(p, content.Attributes[i].Value);
            }
        }
    }
    // Bytes the store holds, building stack excepted.
    size_t ReservedBytes() const { return Nodes_.ReservedBytes() + Names_.ReservedBytes() + Bytes_.ReservedBytes(); }

private:
    static constexpr uint8_t HasText = 1;
    static constexpr uint8_t HasTail = 2;
    static constexpr uint8_t HasAttributes = 4;

    // An element whose record is not written yet: its text and attributes while it is open,
    // its tail too once it is closed (until its next sibling or its parent's end).
    struct TPending {
        uint32_t Index = None;
        std::u16string Text;
        std::u16string Tail;
        std::string Attributes;
        size_t AttributeCount = 0;
    };
    struct TFrame {
        TPending Own;
        TPending Last;  // the last closed child
    };

    TFrame& Frame(size_t depth) { return Frames_[depth]; }

    static void AppendNumber(std::string& out, uint64_t value) {
        while (value >= 0x80) {
            out += static_cast<char>(0x80 | (value & 0x7F));
            value >>= 7;
        }
        out += static_cast<char>(value);
    }
    static void AppendUnits(std::string& out, std::u16string_view units) {
        AppendNumber(out, units.size());
        out.append(reinterpret_cast<const char*>(units.data()), units.size() * sizeof(char16_t));
    }
    static uint64_t ReadNumber(const char*& p) {
        uint64_t value = 0;
        for (int shift = 0;; shift += 7) {
            const auto byte = static_cast<uint8_t>(*p++);
            value |= uint64_t{byte & 0x7Fu} << shift;
            if (byte < 0x80) return value;
        }
    }
    static void ReadUnits(const char*& p, std::u16string& out) {
        const size_t count = ReadNumber(p);
        out.resize(count);
        if (count > 0) std::memcpy(out.data(), p, count * sizeof(char16_t));
        p += count * sizeof(char16_t);
    }

    void Flush(TPending& pending) {
        if (pending.Index == None) return;
        const uint32_t index = pending.Index;
        pending.Index = None;
        if (pending.Text.empty() && pending.Tail.empty() && pending.AttributeCount == 0) return;
        Scratch_.clear();
        const uint8_t flags = (pending.Text.empty() ? 0 : HasText) | (pending.Tail.empty() ? 0 : HasTail) |
                              (pending.AttributeCount == 0 ? 0 : HasAttributes);
        Scratch_ += static_cast<char>(flags);
        if (flags & HasText) AppendUnits(Scratch_, pending.Text);
        if (flags & HasTail) AppendUnits(Scratch_, pending.Tail);
        if (flags & HasAttributes) {
            AppendNumber(Scratch_, pending.AttributeCount);
            Scratch_ += pending.Attributes;
        }
        Nodes_[index].Data = Bytes_.Append(Scratch_.data(), Scratch_.size());
    }

    TDOMBlockArray<TNode> Nodes_;
    TDOMNameTable Names_;
    TDOMByteBlocks Bytes_;
    std::vector<TFrame> Frames_;
    size_t Depth_ = 0;
    std::string Scratch_;
};

}  // namespace xls
