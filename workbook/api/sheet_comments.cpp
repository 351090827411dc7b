#include "workbook/api/sheet_comments.h"

#include "workbook/model/exceptions.h"
#include "workbook/model/style_sheet.h"

namespace xls {

void TXLSComment::SetText(std::u16string_view text) {
    Note_.ClearRuns();
    Note_.PhoneticRuns().clear();
    Note_.Text = text;
}

void TXLSComment::SetAuthor(std::u16string_view name) {
    TXc12Authors& authors = Owner_.Notes().Authors();
    TXc12Author* author = authors.Find(name);
    Note_.SetAuthor(author ? author : authors.Add(name));
}

TXLSComments::TXLSComments(TXc12Comments& notes) : Notes_(notes) {
    for (int i = 0; i < notes.Count(); ++i) Items_.push_back(std::make_unique<TXLSComment>(*this, *notes.GetItems(i)));
}

TXLSComment* TXLSComments::GetItems(int index) const {
    if (index < 0 || index >= GetCount()) throw EListError::IndexOutOfBounds(index);
    return Items_[static_cast<size_t>(index)].get();
}

int TXLSComments::Find(int col, int row) const {
    for (int i = 0; i < GetCount(); ++i)
        if (Items_[static_cast<size_t>(i)]->GetCol() == col && Items_[static_cast<size_t>(i)]->GetRow() == row)
            return i;
    return -1;
}

void TXLSComments::Delete(int index) {
    GetItems(index);
    Items_.erase(Items_.begin() + index);
    Notes_.Delete(index);
}

void TXLSComments::DeleteArea(int col1, int row1, int col2, int row2) {
    int i = 0;
    while (i < GetCount()) {
        const TXLSComment& item = *Items_[static_cast<size_t>(i)];
        if (item.GetCol() >= col1 && item.GetCol() <= col2 && item.GetRow() >= row1 && item.GetRow() <= row2)
            Delete(i);
        else
            ++i;
    }
}

void TXLSComments::Clear() {
    Items_.clear();
    Notes_.Clear();
}

TXLSComment* TXLSComments::Add(int col, int row, std::u16string_view text) {
    if (const int old = Find(col, row); old >= 0) Delete(old);
    TXc12Comment* note = Notes_.Add();
    Items_.push_back(std::make_unique<TXLSComment>(*this, *note));
    TXLSComment* item = Items_.back().get();
    note->CreateVmlShape();
    note->SetCol(col);
    note->SetRow(row);
    item->SetAuthor(AuthorName);
    TXc12Fonts& fonts = Notes_.StyleSheet().Fonts();
    auto run = [&](int firstChar, bool bold) {
        TXc12FontRun& added = note->AddFontRun();
        added.FirstChar = firstChar;
        added.Font = fonts.AddCommentFont(bold);
        added.Font->AddRef();
    };
    if (AuthorName.empty()) {
        note->Text = text;
        run(0, false);
    } else {
        note->Text = AuthorName + u":\r" + std::u16string(text);
        run(0, true);
        run(static_cast<int>(AuthorName.size()) + 1, false);
    }
    return item;
}

}  // namespace xls
