#include "workbook/ooxml/xml/simple_dom.h"

#include <new>

#include "base/exception.h"
#include "base/memory_stream.h"
#include "base/text_encoding.h"
#include "workbook/ooxml/xml/xml_decode.h"
#include "workbook/ooxml/xml/xml_values.h"
#include "workbook/ooxml/xml/xml_writer.h"

namespace xls {

void TXpgDOMAttributes::Add(std::u16string_view name, std::u16string_view value) {
    Items_.push_back({std::u16string(name), std::u16string(value)});
}

void TXpgDOMAttributes::AddInt(std::u16string_view name, int64_t value) { Add(name, XmlIntToStr(value)); }

const TXpgDOMAttribute& TXpgDOMAttributes::Items(int index) const {
    if (index < 0 || index >= Count())
        throw base::Exception("List index out of bounds (" + std::to_string(index) + ")");
    return Items_[static_cast<size_t>(index)];
}

TXpgDOMAttribute* TXpgDOMAttributes::Find(std::u16string_view name) {
    for (TXpgDOMAttribute& item : Items_)
        if (item.Name == name) return &item;
    return nullptr;
}

const TXpgDOMAttribute* TXpgDOMAttributes::Find(std::u16string_view name) const {
    return const_cast<TXpgDOMAttributes*>(this)->Find(name);
}

std::u16string TXpgDOMAttributes::GetValue(std::u16string_view name) const {
    const TXpgDOMAttribute* item = Find(name);
    return item ? item->Value : std::u16string();
}

int32_t TXpgDOMAttributes::GetIntValue(std::u16string_view name, int32_t defaultValue) const {
    const TXpgDOMAttribute* item = Find(name);
    return item ? XmlStrToIntDef(item->Value, 0) : defaultValue;
}

void TXpgDOMAttributes::SetIntValue(std::u16string_view name, int64_t value) {
    if (TXpgDOMAttribute* item = Find(name))
        item->Value = XmlIntToStr(value);
    else
        AddInt(name, value);
}

std::unique_ptr<TXpgDOMNode> TXpgDOMNode::CreateNode(TXpgDOMNode*) { return std::make_unique<TXpgDOMNode>(); }

std::vector<std::unique_ptr<TXpgDOMNode>>& TXpgDOMNode::Kids() const {
    if (Store_ == nullptr) return Children_;
    const TXpgDOMStore& store = *Store_;
    Store_ = nullptr;
    auto* self = const_cast<TXpgDOMNode*>(this);
    TXpgDOMStore::TContent content;
    for (uint32_t child = store.FirstChild(Stored_); child != TXpgDOMStore::None;
         child = store.NextSibling(child, Stored_)) {
        std::unique_ptr<TXpgDOMNode> node = self->CreateNode(self);
        node->Load(store, child, content);
        Children_.push_back(std::move(node));
    }
    return Children_;
}

void TXpgDOMNode::Load(const TXpgDOMStore& store, uint32_t index, TXpgDOMStore::TContent& content) {
    DecodeXmlName(store.Name(index), Name_);
    store.Read(index, content);
    Text_ = content.Text;
    Tail_ = content.Tail;
    Attributes_.Clear();
    std::u16string name;
    for (size_t i = 0; i < content.AttributeCount; ++i) {
        DecodeXmlName(store.NameOf(content.Attributes[i].Name), name);
        Attributes_.Add(name, content.Attributes[i].Value);
    }
    Children_.clear();
    Store_ = store.FirstChild(index) == TXpgDOMStore::None ? nullptr : &store;
    Stored_ = index;
}

void TXpgDOMNode::MakeAll() {
    for (const auto& child : Kids()) child->MakeAll();
}

void TXpgDOMNode::ClearChildren() {
    Children_.clear();
    Store_ = nullptr;
}

TXpgDOMNode& TXpgDOMNode::AddChild(std::u16string_view name) {
    std::unique_ptr<TXpgDOMNode> node = CreateNode(this);
    node->SetName(name);
    return AddNode(std::move(node));
}

TXpgDOMNode& TXpgDOMNode::AddNode(std::unique_ptr<TXpgDOMNode> node) {
    Kids().push_back(std::move(node));
    return *Children_.back();
}

TXpgDOMNode& TXpgDOMNode::Children(int index) const {
    if (index < 0 || index >= ChildCount())
        throw base::Exception("List index out of bounds (" + std::to_string(index) + ")");
    return *Children_[static_cast<size_t>(index)];
}

std::unique_ptr<TXpgDOMNode> TXpgDOMNode::ExtractChild(int index) {
    Children(index);
    std::unique_ptr<TXpgDOMNode> node = std::move(Children_[static_cast<size_t>(index)]);
    Children_.erase(Children_.begin() + index);
    // Out of the tree the node must not depend on the tree's store.
    node->MakeAll();
    return node;
}

TXpgDOMNode* TXpgDOMNode::FindNode(std::u16string_view path, bool raiseIfMissing) {
    TXpgDOMNode* node = this;
    std::u16string_view rest = path;
    for (;;) {
        const size_t slash = rest.find(u'/');
        const std::u16string_view segment = rest.substr(0, slash);
        TXpgDOMNode* found = nullptr;
        for (const auto& child : node->Kids()) {
            if (child->Name_ == segment) {
                found = child.get();
                break;
            }
        }
        if (!found) {
            if (raiseIfMissing)
                throw base::Exception("XML error: Can not find expected node \"" + base::Utf16ToUtf8(rest) + "\"");
            return nullptr;
        }
        if (slash == std::u16string_view::npos) return found;
        node = found;
        rest = rest.substr(slash + 1);
    }
}

std::unique_ptr<TXpgDOMNode> TXpgDOMNode::Clone() {
    std::unique_ptr<TXpgDOMNode> copy = CreateNode(nullptr);
    copy->Name_ = Name_;
    copy->Text_ = Text_;
    copy->Tail_ = Tail_;
    copy->Attributes_.Assign(Attributes_);
    for (const auto& child : Kids()) copy->AddNode(child->Clone());
    return copy;
}

TXpgDOMNode& TXpgSimpleDOM::Root() {
    if (!Root_) {
        Root_ = CreateNode();
        Root_->SetName(u"__ROOT__");
    }
    return *Root_;
}

std::unique_ptr<TXpgDOMNode> TXpgSimpleDOM::CreateNode() { return std::make_unique<TXpgDOMNode>(); }

void TXpgSimpleDOM::Clear() {
    TXpgReadXML::Clear();
    Root().ClearChildren();
    Root().SetText(u"");
    Store_.reset();
}

void TXpgSimpleDOM::Load(base::TStream& stream, bool tolerant) {
    Clear();
    Store_ = std::make_unique<TXpgDOMStore>();
    // Whatever was built stays, also when the parse fails: the store closes what is open.
    try {
        if (tolerant)
            TXpgReadXML::LoadFromStreamTolerant(stream);
        else
            TXpgReadXML::LoadFromStream(stream);
    } catch (...) {
        try {
            FinishLoad();
        } catch (...) {
            // Not even what was read can be kept: the tree is left empty.
            Clear();
        }
        throw;
    }
    FinishLoad();
}

void TXpgSimpleDOM::FinishLoad() {
    try {
        Store_->Finish();
        TXpgDOMStore::TContent content;
        Root().Load(*Store_, 0, content);
        Root().SetName(u"__ROOT__");
    } catch (const std::bad_alloc&) {
        throw base::Exception("Not enough memory to read the XML");
    }
}

void TXpgSimpleDOM::LoadFromStream(base::TStream& stream) { Load(stream, false); }

void TXpgSimpleDOM::LoadFromStreamTolerant(base::TStream& stream) { Load(stream, true); }

void TXpgSimpleDOM::LoadFromString(std::u16string_view text) {
    const std::string utf8 = base::Utf16ToUtf8(text);
    base::TMemoryStream stream = base::TMemoryStream::View(utf8.data(), static_cast<int64_t>(utf8.size()));
    LoadFromStream(stream);
}

void TXpgSimpleDOM::BeginTag() {
    Store_->Open(RawQName(), Text());
    const TXpgXMLAttributeList& attributes = Attributes();
    for (int i = 0; i < attributes.Count(); ++i) Store_->AddAttribute(attributes.GetRawName(i), attributes.GetValue(i));
}

void TXpgSimpleDOM::EndTag() { Store_->Close(Text()); }

void TXpgSimpleDOM::KeepTextAfter() {
    if (HasText()) Store_->AppendText(Text());
}

void TXpgSimpleDOM::Comment() { KeepTextAfter(); }

void TXpgSimpleDOM::ProcessingInstruction() {
    TXpgReadXML::ProcessingInstruction();
    KeepTextAfter();
}

void TXpgSimpleDOM::WriteNode(TXpgWriteXML& writer, const TXpgDOMNode& node, const std::vector<std::string>& names) {
    const TXpgDOMAttributes& attributes = node.Attributes();
    for (int i = 0; i < attributes.Count(); ++i)
        writer.AddAttribute(base::Utf16ToUtf8(attributes.Items(i).Name), attributes.Items(i).Value);
    const std::string name = base::Utf16ToUtf8(node.Name());
    if (node.Store_ == nullptr && node.Children_.empty()) {
        if (node.Text().empty())
            writer.SimpleElement(name);
        else
            writer.TextElement(name, node.Text());
        return;
    }
    writer.BeginElement(name);
    writer.WriteText(node.Text());
    if (node.Store_ != nullptr) {
        const TXpgDOMStore& store = *node.Store_;
        TXpgDOMStore::TContent content;
        for (uint32_t child = store.FirstChild(node.Stored_); child != TXpgDOMStore::None;
             child = store.NextSibling(child, node.Stored_)) {
            WriteStored(writer, child, content, names);
            store.Read(child, content);
            writer.WriteText(content.Tail);
        }
    } else {
        for (const auto& child : node.Children_) {
            WriteNode(writer, *child, names);
            writer.WriteText(child->Tail());
        }
    }
    writer.EndElement();
}

void TXpgSimpleDOM::WriteStored(TXpgWriteXML& writer, uint32_t index, TXpgDOMStore::TContent& content,
                                const std::vector<std::string>& names) {
    const TXpgDOMStore& store = *Store_;
    store.Read(index, content);
    for (size_t i = 0; i < content.AttributeCount; ++i)
        writer.AddAttribute(names[content.Attributes[i].Name], std::u16string_view(content.Attributes[i].Value));
    const std::string& name = names[store.Node(index).Name];
    if (store.FirstChild(index) == TXpgDOMStore::None) {
        if (content.Text.empty())
            writer.SimpleElement(name);
        else
            writer.TextElement(name, content.Text);
        return;
    }
    writer.BeginElement(name);
    writer.WriteText(content.Text);
    for (uint32_t child = store.FirstChild(index); child != TXpgDOMStore::None;
         child = store.NextSibling(child, index)) {
        WriteStored(writer, child, content, names);
        // The child's own record again, for the text after it.
        store.Read(child, content);
        writer.WriteText(content.Tail);
    }
    writer.EndElement();
}

void TXpgSimpleDOM::SaveToStream(base::TStream& stream) {
    TXpgWriteXML writer;
    writer.BeginDocument(stream);
    writer.SetLineBreaks(false);
    // Stored names are written as a made node would write them (its name went through UTF-16).
    std::vector<std::string> names;
    if (Store_) {
        names.reserve(Store_->NameCount());
        std::u16string wide;
        for (uint32_t id = 0; id < Store_->NameCount(); ++id) {
            DecodeXmlName(Store_->NameOf(id), wide);
            names.push_back(base::Utf16ToUtf8(wide));
        }
    }
    if (!IsEmpty()) WriteNode(writer, Root().Children(0), names);
    writer.Flush();
}

}  // namespace xls
