#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/stream.h"
#include "workbook/ooxml/xml/dom_store.h"
#include "workbook/ooxml/xml/xml_reader.h"
#include "workbook/ooxml/xml/xml_writer.h"

namespace xls {

struct TXpgDOMAttribute {
    std::u16string Name;
    std::u16string Value;
};

// The attributes of a node in document order; lookups return the first match.
class TXpgDOMAttributes {
public:
    void Add(std::u16string_view name, std::u16string_view value);
    void AddInt(std::u16string_view name, int64_t value);
    void Assign(const TXpgDOMAttributes& source) { Items_ = source.Items_; }
    void Clear() { Items_.clear(); }
    int Count() const { return static_cast<int>(Items_.size()); }
    const TXpgDOMAttribute& Items(int index) const;
    TXpgDOMAttribute* Find(std::u16string_view name);
    const TXpgDOMAttribute* Find(std::u16string_view name) const;
    // The value, or empty when there is no such attribute.
    std::u16string GetValue(std::u16string_view name) const;
    // XmlStrToIntDef of the value with 0 as default when the attribute exists, else Default.
    int32_t GetIntValue(std::u16string_view name, int32_t defaultValue) const;
    // Replaces the value of an existing attribute, else adds one.
    void SetIntValue(std::u16string_view name, int64_t value);

private:
    std::vector<TXpgDOMAttribute> Items_;
};

// A node of the simple tree: qualified name, text, attributes and children. The text is what
// comes between the start tag and the first child (or the end tag); Tail is what comes after
// the node's end tag up to the next sibling or its parent's end tag, so mixed content is kept.
// The children of a node read from a document stay in the tree's compact store until they are
// first asked for; a node taken out of the tree (ExtractChild) has all its descendants made.
class TXpgDOMNode {
public:
    TXpgDOMNode() = default;
    virtual ~TXpgDOMNode() = default;
    TXpgDOMNode(const TXpgDOMNode&) = delete;
    TXpgDOMNode& operator=(const TXpgDOMNode&) = delete;

    // Makes the nodes of this tree; a subclass overrides it to build nodes of its own class.
    virtual std::unique_ptr<TXpgDOMNode> CreateNode(TXpgDOMNode* parent);

    const std::u16string& Name() const { return Name_; }
    void SetName(std::u16string_view name) { Name_ = name; }
    const std::u16string& Text() const { return Text_; }
    void SetText(std::u16string_view text) { Text_ = text; }
    const std::u16string& Tail() const { return Tail_; }
    void SetTail(std::u16string_view text) { Tail_ = text; }
    TXpgDOMAttributes& Attributes() { return Attributes_; }
    const TXpgDOMAttributes& Attributes() const { return Attributes_; }

    TXpgDOMNode& AddChild(std::u16string_view name);
    TXpgDOMNode& AddNode(std::unique_ptr<TXpgDOMNode> node);
    void AddAttribute(std::u16string_view name, std::u16string_view value) { Attributes_.Add(name, value); }
    int ChildCount() const { return static_cast<int>(Kids().size()); }
    TXpgDOMNode& Children(int index) const;
    std::unique_ptr<TXpgDOMNode> ExtractChild(int index);
    // Path of qualified names separated by "/", matched exactly; the first match at each level.
    // Null when missing, or 'XML error: Can not find expected node "%s"' with raiseIfMissing.
    TXpgDOMNode* FindNode(std::u16string_view path, bool raiseIfMissing);
    std::unique_ptr<TXpgDOMNode> Clone();
    void ClearChildren();

private:
    friend class TXpgSimpleDOM;

    // The children, made from the store on first use.
    std::vector<std::unique_ptr<TXpgDOMNode>>& Kids() const;
    // Takes name, text, tail and attributes of a stored element; its children stay stored.
    void Load(const TXpgDOMStore& store, uint32_t index, TXpgDOMStore::TContent& content);
    void MakeAll();

    std::u16string Name_;
    std::u16string Text_;
    std::u16string Tail_;
    TXpgDOMAttributes Attributes_;
    mutable std::vector<std::unique_ptr<TXpgDOMNode>> Children_;
    // Set while the children are still in the store (element Stored_ of it).
    mutable const TXpgDOMStore* Store_ = nullptr;
    uint32_t Stored_ = 0;
};

// A small tree for parts kept without a binding (core properties, VML drawings, pivot parts).
// Loading and saving keeps the document element's content exactly: texts, whitespace between
// elements and mixed content; comments and processing instructions are dropped, and what
// the XML reader normalises (line ends, blanks in attribute values) is written back in its
// normalised form.
class TXpgSimpleDOM : public TXpgReadXML {
public:
    // The factory of the root node.
    virtual std::unique_ptr<TXpgDOMNode> CreateNode();

    // Made by CreateNode on first use.
    TXpgDOMNode& Root();
    void Clear() override;
    void LoadFromStream(base::TStream& stream) override;
    void LoadFromStreamTolerant(base::TStream& stream) override;
    void LoadFromString(std::u16string_view text);
    bool IsEmpty() const { return !Root_ || Root_->ChildCount() == 0; }
    // The XML declaration and the root's first child with everything below it.
    void SaveToStream(base::TStream& stream);
    // Bytes the compact store of the last load holds.
    size_t StoreBytes() const { return Store_ ? Store_->ReservedBytes() : 0; }

    void BeginTag() override;
    void EndTag() override;
    void Comment() override;
    void ProcessingInstruction() override;

private:
    void Load(base::TStream& stream, bool tolerant);
    void FinishLoad();
    void KeepTextAfter();
    void WriteNode(TXpgWriteXML& writer, const TXpgDOMNode& node, const std::vector<std::string>& names);
    // Writes a stored element and what is below it without making nodes of them.
    void WriteStored(TXpgWriteXML& writer, uint32_t index, TXpgDOMStore::TContent& content,
                     const std::vector<std::string>& names);

    // Declared before the root, so that it outlives the nodes that refer to it.
    std::unique_ptr<TXpgDOMStore> Store_;
    std::unique_ptr<TXpgDOMNode> Root_;
};

}  // namespace xls
