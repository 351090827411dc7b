#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/stream.h"
#include "workbook/ooxml/xml/xml_lists.h"
#include "workbook/ooxml/xml/xml_reader.h"
#include "workbook/ooxml/xml/xml_values.h"
#include "workbook/ooxml/xml/xml_writer.h"

// The runtime shared by every generated binding unit. Each unit has its own namespace, its own
// root class and its own enumeration registry; the runtime classes themselves are one copy.
namespace xpg {

class TXPGReader;

// The part document's base: the sink for unknown elements and attributes.
class TXPGDocBase {
public:
    virtual ~TXPGDocBase() = default;
    xls::TXpgPErrors Errors;
};

// Bits of TXPGBase::Flags.
constexpr uint8_t XpgChildren = 1;
constexpr uint8_t XpgAttributes = 2;
constexpr uint8_t XpgText = 4;
constexpr uint8_t XpgRead = 8;

class TXPGBase {
public:
    explicit TXPGBase(TXPGDocBase* document, int elementCount = 0, int attributeCount = 0)
        : Document(document), ElementCount(elementCount), AttributeCount(attributeCount) {}
    virtual ~TXPGBase() = default;
    TXPGBase(const TXPGBase&) = delete;
    TXPGBase& operator=(const TXPGBase&) = delete;

    // Recomputes Flags over the subtree; returns how much of it is to be written.
    virtual int CheckAssigned() { return 1; }
    // The object that takes the child start tag now under the reader; nullptr skips the
    // child's whole subtree.
    virtual TXPGBase* HandleElement(TXPGReader& reader);
    virtual void HandleAttributes(const xls::TXpgXMLAttributeList& attributes) { (void)attributes; }
    // Runs each time a start tag this object handed out has been closed.
    virtual void AfterTag() {}

    bool Assigned() const { return Flags != 0; }
    bool WasRead() const { return (Flags & XpgRead) != 0; }

    TXPGDocBase* Document;
    int32_t ElementCount;
    int32_t AttributeCount;
    uint8_t Flags = 0;

protected:
    void ReportUnknownElement(const TXPGReader& reader) const;
    void ReportUnknownAttribute(std::u16string_view name) const;
};

// An owning list of generated items, all made with the list's document.
template <class T>
class TXPGBaseObjectList {
public:
    explicit TXPGBaseObjectList(TXPGDocBase* document) : Document(document) {}

    int Count() const { return static_cast<int>(Items_.size()); }
    T& GetItems(int index) const { return *Items_.at(static_cast<size_t>(index)); }
    T& Add() {
        Items_.push_back(std::make_unique<T>(Document));
        return *Items_.back();
    }
    void Clear() { Items_.clear(); }

    int CheckAssigned() {
        int sum = 0;
        for (auto& item : Items_) sum += item->CheckAssigned();
        AnyAssigned = sum > 0;
        return sum;
    }
    // Every item is written, an item with nothing assigned as an empty element.
    void Write(xls::TXpgWriteXML& writer, std::string_view name) {
        for (auto& item : Items_) {
            if constexpr (requires { item->Text; }) {
                if (item->Flags & XpgText) writer.Text = item->Text;
            }
            if (item->Flags & XpgAttributes) item->WriteAttributes(writer);
            if (item->Flags & XpgChildren) {
                writer.BeginElement(name);
                item->WriteElements(writer);
                writer.EndElement();
            } else {
                writer.SimpleElement(name);
            }
        }
    }

    TXPGDocBase* Document;
    bool AnyAssigned = false;

private:
    std::vector<std::unique_ptr<T>> Items_;
};

// A unit's enumeration names ("st" + type initials + value) mapped to ordinals, looked up
// without regard to case.
class TXPGEnumRegistry {
public:
    void Register(std::string_view name, uint8_t ordinal);
    // The ordinal, or 0 when the name is not registered.
    uint8_t StrToEnum(std::u16string_view text) const;

private:
    std::unordered_map<std::string, uint8_t> Names_;
};

// Drives the object tree from the XML reader's callbacks.
class TXPGReader : public xls::TXpgReadXML {
public:
    // mainNamespace: the unit's namespace; a prefix bound to it counts as no prefix.
    TXPGReader(xls::TXpgPErrors& errors, TXPGBase& root, std::string mainNamespace);

    void BeginTag() override;
    void EndTag() override;

    // The current element's name hash and name, without the prefix bound to the main namespace.
    int32_t ElementHash() const;
    std::string_view ElementName() const;

    TXPGBase* Current;
    xls::TXpgPErrors& Errors;

private:
    bool IsCompatibilityElement(std::string_view localName) const;

    std::vector<TXPGBase*> Stack_;
    std::string MainNamespace_;
    std::string MainPrefix_;
    bool HasMainPrefix_ = false;
    // Depth at which a skipped subtree started, 0 while nothing is skipped.
    int SkipDepth_ = 0;
    // Depths of the open mc:AlternateContent elements.
    std::vector<int> AlternateDepths_;
};

// A hexadecimal attribute value ("CC1A"); 0 when it is not one or has more than 8 digits.
uint32_t XpgHexToUInt(std::u16string_view text);

}  // namespace xpg
