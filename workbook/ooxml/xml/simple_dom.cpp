#include "workbook/ooxml/xml/simple_dom.h"

#include "base/exception.h"
#include "base/memory_stream.h"
#include "base/text_encoding.h"
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

TXpgDOMNode& TXpgDOMNode::AddChild(std::u16string_view name) {
    std::unique_ptr<TXpgDOMNode> node = CreateNode(this);
    node->SetName(name);
    return AddNode(std::move(node));
}

TXpgDOMNode& TXpgDOMNode::AddNode(std::unique_ptr<TXpgDOMNode> node) {
    Children_.push_back(std::move(node));
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
    return node;
}

TXpgDOMNode* TXpgDOMNode::FindNode(std::u16string_view path, bool raiseIfMissing) {
    TXpgDOMNode* node = this;
    std::u16string_view rest = path;
    for (;;) {
        const size_t slash = rest.find(u'/');
        const std::u16string_view segment = rest.substr(0, slash);
        TXpgDOMNode* found = nullptr;
        for (const auto& child : node->Children_) {
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
    for (const auto& child : Children_) copy->AddNode(child->Clone());
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
    Stack_.clear();
    Root().ClearChildren();
    Root().SetText(u"");
}

void TXpgSimpleDOM::Load(base::TStream& stream, bool tolerant) {
    Clear();
    Stack_.push_back(&Root());
    try {
        if (tolerant)
            TXpgReadXML::LoadFromStreamTolerant(stream);
        else
            TXpgReadXML::LoadFromStream(stream);
    } catch (...) {
        Stack_.clear();
        throw;
    }
    Stack_.clear();
}

void TXpgSimpleDOM::LoadFromStream(base::TStream& stream) { Load(stream, false); }

void TXpgSimpleDOM::LoadFromStreamTolerant(base::TStream& stream) { Load(stream, true); }

void TXpgSimpleDOM::LoadFromString(std::u16string_view text) {
    const std::string utf8 = base::Utf16ToUtf8(text);
    base::TMemoryStream stream = base::TMemoryStream::View(utf8.data(), static_cast<int64_t>(utf8.size()));
    LoadFromStream(stream);
}

void TXpgSimpleDOM::BeginTag() {
    TXpgDOMNode& node = Stack_.back()->AddChild(QName());
    node.SetText(Text());
    const TXpgXMLAttributeList& attributes = Attributes();
    for (int i = 0; i < attributes.Count(); ++i) node.AddAttribute(attributes.GetName(i), attributes.GetValue(i));
    Stack_.push_back(&node);
}

void TXpgSimpleDOM::EndTag() {
    // The reader matches end tags to start tags, so the root stays at the bottom.
    if (Stack_.size() < 2) return;
    TXpgDOMNode& node = *Stack_.back();
    Stack_.pop_back();
    if (HasText()) node.SetTail(Text());
}

void TXpgSimpleDOM::KeepTextAfter() {
    if (!HasText() || Stack_.empty()) return;
    TXpgDOMNode& parent = *Stack_.back();
    if (parent.ChildCount() > 0) {
        TXpgDOMNode& last = parent.Children(parent.ChildCount() - 1);
        last.SetTail(last.Tail() + Text());
    } else {
        parent.SetText(parent.Text() + Text());
    }
}

void TXpgSimpleDOM::Comment() { KeepTextAfter(); }

void TXpgSimpleDOM::ProcessingInstruction() {
    TXpgReadXML::ProcessingInstruction();
    KeepTextAfter();
}

namespace {

void WriteNode(TXpgWriteXML& writer, const TXpgDOMNode& node) {
    const TXpgDOMAttributes& attributes = node.Attributes();
    for (int i = 0; i < attributes.Count(); ++i)
        writer.AddAttribute(base::Utf16ToUtf8(attributes.Items(i).Name), attributes.Items(i).Value);
    const std::string name = base::Utf16ToUtf8(node.Name());
    if (node.ChildCount() == 0) {
        if (node.Text().empty())
            writer.SimpleElement(name);
        else
            writer.TextElement(name, node.Text());
        return;
    }
    writer.BeginElement(name);
    writer.WriteText(node.Text());
    for (int i = 0; i < node.ChildCount(); ++i) {
        WriteNode(writer, node.Children(i));
        writer.WriteText(node.Children(i).Tail());
    }
    writer.EndElement();
}

}  // namespace

void TXpgSimpleDOM::SaveToStream(base::TStream& stream) {
    TXpgWriteXML writer;
    writer.BeginDocument(stream);
    writer.SetLineBreaks(false);
    if (!IsEmpty()) WriteNode(writer, Root().Children(0));
    writer.Flush();
}

}  // namespace xls
