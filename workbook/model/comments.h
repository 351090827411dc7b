#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "workbook/model/cell_area.h"
#include "workbook/model/color.h"
#include "workbook/model/ooxml_services.h"
#include "workbook/model/style_object.h"
#include "workbook/model/style_sheet.h"

namespace xls {

// The notes of a sheet with their authors and their legacy VML shapes.

class TXc12Author : public TXLSStyleObject {
public:
    using TXLSStyleObject::TXLSStyleObject;
    const std::u16string& GetName() const { return Name_; }
    void SetName(std::u16string_view name) { Name_ = name; }
    // Authors are equal when their names are, ignoring case.
    bool Equal(const TXLSStyleObject& other) const override;

protected:
    int32_t CalcHash() const override { return 0; }

private:
    std::u16string Name_;
};

class TXc12Authors : public TXLSStyleObjectList {
public:
    TXc12Authors() : TXLSStyleObjectList(256) {}
    TXc12Author* GetItems(int index) const { return static_cast<TXc12Author*>(TXLSStyleObjectList::GetItems(index)); }
    // Appended without a duplicate test.
    TXc12Author* Add(std::u16string_view name);
    // The first author with that name ignoring case, nullptr when none.
    TXc12Author* Find(std::u16string_view name) const;
    void AddDefaults() override {}
};

// A phonetic run of a note's text.
struct TXc12PhoneticRun {
    int32_t FirstChar = 0;
    int32_t LastChar = 0;
    std::u16string Text;
};

class TXc12Comments;

class TXc12Comment {
public:
    explicit TXc12Comment(TXc12Comments& owner) : Owner_(owner) {}
    ~TXc12Comment();
    TXc12Comment(const TXc12Comment&) = delete;
    TXc12Comment& operator=(const TXc12Comment&) = delete;

    // The first value ever stored also becomes the first column or row.
    void SetCol(int32_t value);
    void SetRow(int32_t value);
    int32_t GetCol() const { return Col_; }
    int32_t GetRow() const { return Row_; }
    int32_t FirstCol() const { return FirstCol_; }
    int32_t FirstRow() const { return FirstRow_; }
    TXLSCellArea GetArea() const { return CellToCellArea(Col_, Row_); }

    void SetAuthor(TXc12Author* author) { Author_ = author, AuthorId_ = -1; }
    TXc12Author* GetAuthor() const { return Author_; }
    // The raw authorId while a comments part is read.
    void SetAuthorIndex(int32_t value) { Author_ = nullptr, AuthorId_ = value; }
    int32_t ReadAuthorId() const { return AuthorId_; }

    // A new last run; its font is the caller's to set (with a use taken).
    TXc12FontRun& AddFontRun();
    const std::vector<TXc12FontRun>& FontRuns() const { return FontRuns_; }
    std::vector<TXc12PhoneticRun>& PhoneticRuns() { return PhoneticRuns_; }
    // Gives back the fonts' uses and empties both run lists.
    void ClearRuns();

    // Makes the shape from the note template with the next program-wide shape number.
    void CreateVmlShape();
    // Brings x:Column, x:Row and x:Anchor of the shape up to the note's cell.
    void UpdateVmlShape();
    TXc12XmlNode* Shape() const { return Shape_.get(); }
    void SetShape(std::unique_ptr<TXc12XmlNode> shape) { Shape_ = std::move(shape); }

    std::u16string Text;
    std::u16string guid;
    // The authorId the .xlsx writer assigns.
    int32_t AuthorIndex = 0;
    // The note box as a file gave it: fill colour and the anchor (column, offset, row, offset
    // of the top-left and the bottom-right corner).
    TXc12Color FillColor;
    std::array<int32_t, 8> Anchor{};

private:
    TXc12Comments& Owner_;
    int32_t Col_ = 0;
    int32_t Row_ = 0;
    int32_t FirstCol_ = -1;
    int32_t FirstRow_ = -1;
    std::vector<TXc12FontRun> FontRuns_;
    std::vector<TXc12PhoneticRun> PhoneticRuns_;
    TXc12Author* Author_ = nullptr;
    int32_t AuthorId_ = -1;
    std::unique_ptr<TXc12XmlNode> Shape_;
};

class TXc12Comments {
public:
    TXc12Comments(TXc12DataStyleSheet& styleSheet, TXc12OoxmlServices* services)
        : StyleSheet_(styleSheet), Services_(services) {}
    TXc12Comments(const TXc12Comments&) = delete;
    TXc12Comments& operator=(const TXc12Comments&) = delete;

    int Count() const { return static_cast<int>(Items_.size()); }
    TXc12Comment* GetItems(int index) const;
    TXc12Comment* Add();
    // The first note at the cell, nullptr when none.
    TXc12Comment* Find(int col, int row) const;
    void Delete(int index);
    // Notes and authors.
    void Clear();

    TXc12Authors& Authors() { return Authors_; }
    TXc12DataStyleSheet& StyleSheet() const { return StyleSheet_; }
    TXc12OoxmlServices* Services() const { return Services_; }

private:
    TXc12DataStyleSheet& StyleSheet_;
    TXc12OoxmlServices* Services_;
    TXc12Authors Authors_;
    std::vector<std::unique_ptr<TXc12Comment>> Items_;
};

// The note shape template with the shape number filled in (8-bit text).
std::string VmlNoteShapeText(int shapeNumber);
// The program-wide number the next note shape gets (it only grows during a run).
int NextVmlShapeNumber();

}  // namespace xls
