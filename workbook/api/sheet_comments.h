#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "workbook/model/comments.h"

namespace xls {

class TXLSComments;

// A note of a sheet as the interface hands it out.
class TXLSComment {
public:
    TXLSComment(TXLSComments& owner, TXc12Comment& note) : Owner_(owner), Note_(note) {}
    int GetCol() const { return Note_.GetCol(); }
    int GetRow() const { return Note_.GetRow(); }
    void SetCol(int value) { Note_.SetCol(value); }
    void SetRow(int value) { Note_.SetRow(value); }
    // Drops the font and phonetic runs and stores text.
    void SetText(std::u16string_view text);
    // The sheet's author of that name (case ignored), added when missing, becomes the author.
    void SetAuthor(std::u16string_view name);
    TXc12Comment& Note() const { return Note_; }

private:
    TXLSComments& Owner_;
    TXc12Comment& Note_;
};

// The notes of a sheet: item i wraps item i of the sheet's note list.
class TXLSComments {
public:
    explicit TXLSComments(TXc12Comments& notes);
    TXLSComments(const TXLSComments&) = delete;
    TXLSComments& operator=(const TXLSComments&) = delete;

    // The note at (col, row) with text, replacing a note already there.
    TXLSComment* Add(int col, int row, std::u16string_view text);
    // Index of the first note at the cell; -1 when none.
    int Find(int col, int row) const;
    void Delete(int index);
    // Deletes every note whose cell lies in the rectangle.
    void DeleteArea(int col1, int row1, int col2, int row2);
    void Clear();
    int GetCount() const { return static_cast<int>(Items_.size()); }
    TXLSComment* GetItems(int index) const;
    TXc12Comments& Notes() const { return Notes_; }
    // The author that Add writes in front of each note (empty: none).
    std::u16string AuthorName;

private:
    TXc12Comments& Notes_;
    std::vector<std::unique_ptr<TXLSComment>> Items_;
};

}  // namespace xls
