#pragma once

#include <cstdint>
#include <string>

#include "workbook/model/class_factory.h"
#include "workbook/model/model_list.h"

namespace xls {

class TXc12GraphicImage;
class TXc12GraphicManager;

// The drawing part of a worksheet, as the model needs it: lists of anchors with the pictures
// they hold. The DrawingML binding puts its own drawing document behind this interface; the
// plain implementation holds the anchors alone.

struct TXc12DrawingPos {
    int32_t Col = 0;
    int32_t ColOff = 0;
    int32_t Row = 0;
    int32_t RowOff = 0;
};

// The picture of an anchor: non-visual properties and the picture store's image (not owned).
struct TXc12DrawingPicture {
    int32_t Id = 0;
    std::u16string Name;
    std::u16string Descr;
    uint8_t NoChangeAspect = 1;
    TXc12GraphicImage* Image = nullptr;
};

class TXc12TwoCellAnchor {
public:
    TXc12DrawingPos From;
    TXc12DrawingPos To;
    bool HasPicture = false;
    TXc12DrawingPicture Picture;
};

class TXc12OneCellAnchor {
public:
    TXc12DrawingPos From;
    int64_t ExtCx = 0;
    int64_t ExtCy = 0;
    bool HasPicture = false;
    TXc12DrawingPicture Picture;
};

class TXc12AbsoluteAnchor {
public:
    int64_t PosX = 0;
    int64_t PosY = 0;
    int64_t ExtCx = 0;
    int64_t ExtCy = 0;
    bool HasPicture = false;
    TXc12DrawingPicture Picture;
};

class TXc12DrawingDocument : public TXLSFactoryObject {
public:
    virtual int TwoCellAnchorCount() const = 0;
    virtual TXc12TwoCellAnchor* TwoCellAnchor(int index) const = 0;
    virtual TXc12TwoCellAnchor* AddTwoCellAnchor() = 0;
    virtual int OneCellAnchorCount() const = 0;
    virtual TXc12OneCellAnchor* OneCellAnchor(int index) const = 0;
    virtual int AbsoluteAnchorCount() const = 0;
    virtual TXc12AbsoluteAnchor* AbsoluteAnchor(int index) const = 0;
    // True when the drawing was present in the file that was read.
    virtual bool WasRead() const = 0;
    virtual void Clear() = 0;
    virtual TXc12GraphicManager* GraphicManager() const = 0;
};

class TXc12PlainDrawing : public TXc12DrawingDocument {
public:
    explicit TXc12PlainDrawing(TXc12GraphicManager* graphicManager) : GraphicManager_(graphicManager) {}
    int TwoCellAnchorCount() const override { return TwoCell.Count(); }
    TXc12TwoCellAnchor* TwoCellAnchor(int index) const override { return TwoCell.GetItems(index); }
    TXc12TwoCellAnchor* AddTwoCellAnchor() override { return TwoCell.Add(); }
    int OneCellAnchorCount() const override { return OneCell.Count(); }
    TXc12OneCellAnchor* OneCellAnchor(int index) const override { return OneCell.GetItems(index); }
    int AbsoluteAnchorCount() const override { return Absolute.Count(); }
    TXc12AbsoluteAnchor* AbsoluteAnchor(int index) const override { return Absolute.GetItems(index); }
    bool WasRead() const override { return Read; }
    void Clear() override;
    TXc12GraphicManager* GraphicManager() const override { return GraphicManager_; }

    TXc12ObjectList<TXc12TwoCellAnchor> TwoCell;
    TXc12ObjectList<TXc12OneCellAnchor> OneCell;
    TXc12ObjectList<TXc12AbsoluteAnchor> Absolute;
    bool Read = false;

private:
    TXc12GraphicManager* GraphicManager_;
};

}  // namespace xls
