#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
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
    // The ordinal of an enumeration text into field; a text outside the type is reported and
    // leaves the field as it was (its default), never another value's ordinal.
    void ReadEnum(std::span<const std::u16string_view> texts, uint8_t& field, std::u16string_view name,
                  std::u16string_view value) const;
};

// Takes a child that carries only text (already copied by its parent): its attributes
// (xml:space) and anything inside it are dropped without touching the parent.
class TXPGTextSink : public TXPGBase {
public:
    TXPGTextSink() : TXPGBase(nullptr) {}
};

// The text of a child that carries one, when its class keeps text.
template <class T>
void XpgSetChildText(T& child, const TXPGReader& reader);

// A single child, written when assigned: its attributes, then a start tag with its children
// or a leaf.
template <class T>
void XpgWriteChild(xls::TXpgWriteXML& writer, T& child, std::string_view name) {
    if (!child.Assigned()) return;
    if constexpr (requires { child.Text; }) {
        if (child.Flags & XpgText) writer.Text = child.Text;
    }
    child.WriteAttributes(writer);
    if (child.Flags & XpgChildren) {
        writer.BeginElement(name);
        child.WriteElements(writer);
        writer.EndElement();
    } else {
        writer.SimpleElement(name);
    }
}

// A list item, a streamed item or the root asked for: always written, its attributes when
// assigned, then a start tag with its children or a leaf.
template <class T>
void XpgWriteItem(xls::TXpgWriteXML& writer, T& item, std::string_view name) {
    if constexpr (requires { item.Text; }) {
        if (item.Flags & XpgText) writer.Text = item.Text;
    }
    if (item.Flags & XpgAttributes) item.WriteAttributes(writer);
    if (item.Flags & XpgChildren) {
        writer.BeginElement(name);
        item.WriteElements(writer);
        writer.EndElement();
    } else {
        writer.SimpleElement(name);
    }
}

// A text-only child; with keepEmpty an empty text is an empty element, with preserve a text
// that starts or ends with a blank, CR or LF gets xml:space="preserve".
void XpgWriteTextChild(xls::TXpgWriteXML& writer, std::string_view name, std::u16string_view text, bool keepEmpty,
                       bool preserve);

// The attributes of a document element as read (decoded), written back escaped, with the
// declarations the written elements need.
class TXPGRootAttributes {
public:
    void Add(std::string_view name, std::u16string_view value);
    void Clear() { Items_.clear(); }
    int Count() const { return static_cast<int>(Items_.size()); }
    const std::pair<std::string, std::u16string>& Item(int index) const {
        return Items_.at(static_cast<size_t>(index));
    }
    // Writes every attribute; with a main namespace, "xmlns" is made that namespace and each
    // required prefix is declared with its namespace, added where the list lacks it.
    void Write(xls::TXpgWriteXML& writer, std::string_view mainNamespace,
               std::span<const std::pair<std::string_view, std::string_view>> prefixes) const;

private:
    std::vector<std::pair<std::string, std::u16string>> Items_;
};

template <class T>
void XpgWriteItem(xls::TXpgWriteXML& writer, T& item, std::string_view name);

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

    // Every item is written, so each counts even when nothing in it is assigned.
    int CheckAssigned() {
        int sum = Count();
        for (auto& item : Items_) sum += item->CheckAssigned();
        AnyAssigned = sum > 0;
        return sum;
    }
    // Every item is written, an item with nothing assigned as an empty element.
    void Write(xls::TXpgWriteXML& writer, std::string_view name) {
        for (auto& item : Items_) XpgWriteItem(writer, *item, name);
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

// What a unit knows of namespaces: its main namespaces (the first is written; the others,
// such as the strict one, are read alike) and the prefixes its attribute names carry with
// the namespace each stands for.
struct TXPGNamespaces {
    std::vector<std::string> Main;
    std::vector<std::pair<std::string_view, std::string_view>> Prefixes;
};

// Drives the object tree from the XML reader's callbacks. Elements and attributes are
// recognised by namespace and local name: an element of a main namespace (or of none) by its
// local name whatever its prefix, another by its qualified name (so it is unknown); an
// attribute under any prefix bound to a known namespace by that namespace's own prefix.
class TXPGReader : public xls::TXpgReadXML {
public:
    TXPGReader(xls::TXpgPErrors& errors, TXPGBase& root, const TXPGNamespaces& namespaces);

    void BeginTag() override;
    void EndTag() override;

    // The current element's name hash and name (the local name for the main namespace).
    int32_t ElementHash() const;
    std::string_view ElementName() const;
    // True when the current element is in a main namespace or in none.
    bool InMainNamespace() const { return InMain_; }
    // The object that swallows a text-only child.
    TXPGBase* TextSink() { return &Sink_; }

    TXPGBase* Current;
    xls::TXpgPErrors& Errors;

private:
    struct TBinding {
        int Depth;
        std::string Prefix;
        std::string Uri;
    };
    const std::string* Resolve(std::string_view prefix) const;
    bool IsMain(const std::string* uri) const;
    void Bind();
    bool IsDeclaration(std::string_view name) const;
    // The prefix an attribute prefix is read as, when not itself.
    std::optional<std::string> Renamed(std::string_view prefix) const;
    // The attributes with each known namespace under its own prefix.
    const xls::TXpgXMLAttributeList& Normalized();

    const TXPGNamespaces& Namespaces_;
    std::vector<TXPGBase*> Stack_;
    std::vector<TBinding> Bindings_;
    bool InMain_ = true;
    std::string Foreign_;
    TXPGTextSink Sink_;
    xls::TXpgXMLAttributeList Renamed_;
    // Depth at which a skipped subtree started, 0 while nothing is skipped.
    int SkipDepth_ = 0;
    // Depths of the open mc:AlternateContent elements.
    std::vector<int> AlternateDepths_;
};

template <class T>
void XpgSetChildText(T& child, const TXPGReader& reader) {
    if constexpr (requires { child.Text; }) {
        if (reader.HasText()) child.Text = reader.Text();
    } else {
        (void)child, (void)reader;
    }
}

// The position of an enumeration text in its type's write table: an exact match first, else
// one in another case; -1 when the type has no such value.
int XpgEnumOrdinal(std::span<const std::u16string_view> texts, std::u16string_view text);

// A hexadecimal attribute value ("CC1A"); 0 when it is not one or has more than 8 digits.
uint32_t XpgHexToUInt(std::u16string_view text);

}  // namespace xpg
