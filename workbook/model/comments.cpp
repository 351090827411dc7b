#include "workbook/model/comments.h"

#include <atomic>
#include <charconv>
#include <cstdio>

#include "base/text_encoding.h"
#include "workbook/model/exceptions.h"
#include "workbook/model/utils.h"

namespace xls {

namespace {

// One counter for the whole run, so that shape ids are unique across sheets and workbooks.
std::atomic<int> VmlShapeCounter{0};

int ToIntDef(std::u16string_view text) {
    const std::string bytes = base::Utf16ToUtf8(TrimText(text));
    int value = 0;
    const auto [end, error] = std::from_chars(bytes.data(), bytes.data() + bytes.size(), value);
    return error == std::errc() && end == bytes.data() + bytes.size() ? value : 0;
}

std::u16string IntText(int value) { return base::Utf8ToUtf16(std::to_string(value)); }

// Moves the columns (items 0 and 4) and rows (2 and 6) of an eight-item anchor text.
void ShiftAnchor(TXc12XmlNode& anchor, int dCol, int dRow) {
    std::vector<std::u16string_view> items;
    const std::u16string text(anchor.GetText());
    std::u16string_view rest = text;
    while (true) {
        const size_t comma = rest.find(u',');
        items.push_back(TrimText(rest.substr(0, comma)));
        if (comma == std::u16string_view::npos) break;
        rest.remove_prefix(comma + 1);
    }
    if (items.size() != 8) return;
    std::u16string joined;
    for (size_t i = 0; i < items.size(); ++i) {
        int value = ToIntDef(items[i]);
        if (i == 0 || i == 4) value += dCol;
        if (i == 2 || i == 6) value += dRow;
        if (i > 0) joined += u',';
        joined += IntText(value);
    }
    anchor.SetText(joined);
}

}  // namespace

bool TXc12Author::Equal(const TXLSStyleObject& other) const {
    const auto* author = dynamic_cast<const TXc12Author*>(&other);
    return author != nullptr && WideUpperCaseStr(Name_) == WideUpperCaseStr(author->Name_);
}

TXc12Author* TXc12Authors::Add(std::u16string_view name) {
    auto author = std::make_unique<TXc12Author>(this);
    author->SetName(name);
    TXc12Author* result = author.get();
    TXLSIndexObjectList::Add(std::move(author));
    return result;
}

TXc12Author* TXc12Authors::Find(std::u16string_view name) const {
    const std::u16string upper = WideUpperCaseStr(name);
    for (int i = 0; i < Count(); ++i) {
        TXc12Author* author = GetItems(i);
        if (author != nullptr && WideUpperCaseStr(author->GetName()) == upper) return author;
    }
    return nullptr;
}

TXc12Comment::~TXc12Comment() { ClearRuns(); }

void TXc12Comment::SetCol(int32_t value) {
    Col_ = value;
    if (FirstCol_ < 0) FirstCol_ = value;
}

void TXc12Comment::SetRow(int32_t value) {
    Row_ = value;
    if (FirstRow_ < 0) FirstRow_ = value;
}

TXc12FontRun& TXc12Comment::AddFontRun() {
    FontRuns_.emplace_back();
    return FontRuns_.back();
}

void TXc12Comment::ClearRuns() {
    Owner_.StyleSheet().XFEditor().ReleaseFontRuns(FontRuns_.data(), static_cast<int>(FontRuns_.size()));
    FontRuns_.clear();
    PhoneticRuns_.clear();
}

int NextVmlShapeNumber() { return ++VmlShapeCounter; }

std::string VmlNoteShapeText(int shapeNumber) {
    return "<v:shape id=\"vodka_" + std::to_string(shapeNumber) +
           "\" type=\"#_x0000_t202\" style=\"position:absolute;width:120pt;height:59.25pt;visibility:hidden\""
           " fillcolor=\"#ffffe1\" o:insetmode=\"auto\">"
           "  <v:fill color2=\"#ffffe1\"/>"
           "  <v:shadow on=\"t\" color=\"black\" obscured=\"t\"/>"
           "  <v:path o:connecttype=\"none\"/>"
           "  <v:textbox style=\"mso-direction-alt:auto\">"
           "    <div style=\"text-align:left\"></div>"
           "  </v:textbox>"
           "  <x:ClientData ObjectType=\"Note\">"
           "    <x:MoveWithCells/>"
           "    <x:SizeWithCells/>"
           "    <x:AutoFill>False</x:AutoFill>"
           "    <x:Row>1</x:Row>"
           "    <x:Column>1</x:Column>"
           "  </x:ClientData>"
           "</v:shape>";
}

void TXc12Comment::CreateVmlShape() {
    Shape_.reset();
    const int number = NextVmlShapeNumber();
    TXc12OoxmlServices* services = Owner_.Services();
    if (services == nullptr) return;
    std::unique_ptr<TXc12XmlDocument> document = services->CreateDocument();
    document->LoadFromString(base::Utf8ToUtf16(VmlNoteShapeText(number)));
    if (document->Root().ChildCount() > 0) Shape_ = document->Root().ExtractChild(0);
}

void TXc12Comment::UpdateVmlShape() {
    if (!Shape_) return;
    TXc12XmlNode* data = Shape_->FindChild(u"x:ClientData");
    if (data == nullptr) return;
    if (TXc12XmlNode* column = data->FindChild(u"x:Column")) column->SetText(IntText(Col_));
    if (TXc12XmlNode* row = data->FindChild(u"x:Row")) row->SetText(IntText(Row_));
    const int dCol = FirstCol_ < 0 ? 0 : Col_ - FirstCol_;
    const int dRow = FirstRow_ < 0 ? 0 : Row_ - FirstRow_;
    if (dCol == 0 && dRow == 0) return;
    if (TXc12XmlNode* anchor = data->FindChild(u"x:Anchor")) ShiftAnchor(*anchor, dCol, dRow);
}

TXc12Comment* TXc12Comments::GetItems(int index) const {
    if (index < 0 || index >= Count()) throw EListError::IndexOutOfBounds(index);
    return Items_[static_cast<size_t>(index)].get();
}

TXc12Comment* TXc12Comments::Add() {
    Items_.push_back(std::make_unique<TXc12Comment>(*this));
    return Items_.back().get();
}

TXc12Comment* TXc12Comments::Find(int col, int row) const {
    for (const std::unique_ptr<TXc12Comment>& item : Items_) {
        if (item->GetCol() == col && item->GetRow() == row) return item.get();
    }
    return nullptr;
}

void TXc12Comments::Delete(int index) {
    GetItems(index);
    Items_.erase(Items_.begin() + index);
}

void TXc12Comments::Clear() {
    Items_.clear();
    Authors_.Clear();
}

}  // namespace xls
