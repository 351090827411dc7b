#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/stream.h"
#include "workbook/model/drawing_document.h"

namespace xls {

class TXc12Manager;
class TXLSColumns;
class TXLSRows;
class TXLSDrawing;

// Where a shape lies: first and last column and row (0-based) with the offsets inside those
// cells as fractions of the column's width and the row's height, as binary-workbook anchors
// report them.
struct TXLSDrawingAnchor {
    int Col1 = 0;
    double Col1Offset = 0;
    int Row1 = 0;
    double Row1Offset = 0;
    int Col2 = 0;
    double Col2Offset = 0;
    int Row2 = 0;
    double Row2Offset = 0;
};

// A picture added through the interface as the binary document takes it: the file it came from
// and where it lies.
struct TXLSPictureSource {
    std::string FileName;
    TXLSDrawingAnchor Anchor;
};

class TXLSDrawingObject {
public:
    explicit TXLSDrawingObject(TXLSDrawing& owner) : Owner_(owner) {}
    virtual ~TXLSDrawingObject() = default;
    TXLSDrawing& Owner() const { return Owner_; }

private:
    TXLSDrawing& Owner_;
};

// An object held by a two-cell anchor of the drawing part.
class TXLSDrwTwoPosShape : public TXLSDrawingObject {
public:
    using TXLSDrawingObject::TXLSDrawingObject;
    virtual void SetAnchor(TXc12TwoCellAnchor* anchor) { Anchor_ = anchor; }
    TXc12TwoCellAnchor* Anchor() const { return Anchor_; }

private:
    TXc12TwoCellAnchor* Anchor_ = nullptr;
};

class TXLSDrawingImage : public TXLSDrwTwoPosShape {
public:
    using TXLSDrwTwoPosShape::TXLSDrwTwoPosShape;
};

// The wrapped objects of one kind.
template <class T>
class TXLSDrawingObjects {
public:
    int Count() const { return static_cast<int>(Items_.size()); }
    T* GetItems(int index) const { return Items_.at(static_cast<size_t>(index)).get(); }
    T* Add(TXLSDrawing& owner) {
        Items_.push_back(std::make_unique<T>(owner));
        return Items_.back().get();
    }
    void Clear() { Items_.clear(); }

private:
    std::vector<std::unique_ptr<T>> Items_;
};

// The worksheet interface's view of the sheet's drawing part: wraps the objects found after a
// read and adds pictures.
class TXLSDrawing {
public:
    TXLSDrawing(TXc12Manager& manager, TXc12DrawingDocument* drawing);
    TXLSDrawing(const TXLSDrawing&) = delete;
    TXLSDrawing& operator=(const TXLSDrawing&) = delete;

    void SetColumnsRows(TXLSColumns* columns, TXLSRows* rows) {
        Columns_ = columns;
        Rows_ = rows;
    }
    // Wraps the pictures of the drawing part and gathers the highest shape id.
    void Rescan();
    // Stores the picture data under fileName in the picture store and anchors a picture of it;
    // nullptr (and no anchor) when the store cannot identify the data.
    TXLSDrawingImage* AddImage(std::u16string_view fileName, base::TStream& data, const TXLSDrawingAnchor& anchor);
    // Adds the picture file at anchor as AddImage does and hands it to the picture event, which
    // puts it into the binary document of an Excel 97 workbook too.
    TXLSDrawingImage* AddPicture(const std::string& fileName, const TXLSDrawingAnchor& anchor);
    // Set by the worksheet: forwards a picture added through AddPicture to its workbook.
    std::function<void(const TXLSPictureSource&)> OnPictureAdded;
    void ClearArea() {}
    int HighestShapeId() const { return HighestShapeId_; }
    TXLSDrawingObjects<TXLSDrawingImage>& Images() { return Images_; }

    // An anchor offset (fraction of the cell) in EMU of the column's width or the row's height.
    int32_t ColOffsetEmu(int col, double fraction) const;
    int32_t RowOffsetEmu(int row, double fraction) const;

private:
    void Raise(int id);
    bool IdInUse(int id) const;

    int HighestShapeId_ = 1000;
    TXc12Manager& Manager_;
    TXc12DrawingDocument* Drawing_;
    TXLSColumns* Columns_ = nullptr;
    TXLSRows* Rows_ = nullptr;
    TXLSDrawingObjects<TXLSDrawingImage> Images_;
};

// The workbook interface's clipboard object; it holds no operation.
class TXLSClipboard {
public:
    explicit TXLSClipboard(TXc12Manager& manager) : Manager_(manager) {}
    TXc12Manager& Manager() const { return Manager_; }

private:
    TXc12Manager& Manager_;
};

}  // namespace xls
