#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "workbook/biff/drawing/shape_text.h"
#include "workbook/biff/drawing/shapes.h"

namespace xls {

class TXLSStream;
class TEscherGroup;
class TEscherReader;

// A sheet's OfficeArt drawing: a tree of shapes under one root group, each with its OfficeArt
// records and the BIFF records that follow them in the sheet substream (OBJ, TXO, chart),
// and the NOTE records of its notes.
class TEscherDrawing {
public:
    // The group must outlive the drawing (a registered drawing leaves its cluster when freed).
    explicit TEscherDrawing(TEscherGroup& group);
    ~TEscherDrawing();
    TEscherDrawing(const TEscherDrawing&) = delete;
    TEscherDrawing& operator=(const TEscherDrawing&) = delete;

    // The stream stands at the body of the sheet's first MSODRAWING record of length bytes.
    void LoadFromStream(TXLSStream& stream, uint16_t length);
    void AssignNote(int32_t col, int32_t row, const std::u16string& author, int32_t objId, uint16_t flags);
    // Reads the body of a NOTE record of length bytes and assigns it.
    void LoadNote(TXLSStream& stream, uint16_t length);
    // Writes the drawing, the records of its objects and then the NOTE records; nothing for a
    // drawing without shapes or a stream of an earlier version than BIFF8.
    void SaveToStream(TXLSStream& stream) const;

    int ShapeCount() const { return Root_.Count(); }
    TShape& Shapes(int index) const { return Root_.Items(index); }
    TShapeGroupClientAnchor& Root() { return Root_; }
    void Clear();
    void DeleteShape(uint32_t spId);
    uint32_t NextSpId() { return SpidCur++; }
    int32_t NextObjId() { return ++MaxObjId; }

    // Blip ids count the pictures the drawing group kept; fileIndexes lists their positions
    // in the file read.
    void RemapBlipIds(const std::vector<int>& fileIndexes);
    void CountPictureRefs();

    // Templates of new shapes; each returns the new top-level shape.
    TShapeClientAnchor& AddText();
    TShapeClientAnchor& AddNote();
    TShapeClientAnchor& AddLine();
    TShapeClientAnchor& AddAutoShape();
    TShapeClientAnchor& AddPicture();
    TShapeClientAnchor& AddChart();

    TEscherGroup& Group() const { return Group_; }

    uint32_t DrawingId = 0;
    uint32_t Csp = 0;
    uint32_t SpidCur = 0;  // the next shape id to hand out
    std::vector<uint32_t> RegroupItems;
    std::unique_ptr<TMSORecords> SolverContainer;
    int32_t MaxObjId = 0;

    // Called after each shape read, at every level of the tree.
    std::function<void(TEscherDrawing&, TShape&)> OnAfterShape;
    // The chart records of a chart read from the file (empty, to be loaded) and of a new
    // chart (the default records). Without the first a read chart is kept as raw records;
    // without the second a chart cannot be added.
    std::function<std::unique_ptr<TChartSubstream>()> OnChartForReading;
    std::function<std::unique_ptr<TChartSubstream>()> OnNewChart;
    // The text id of a new text-bearing shape (tests set a fixed source).
    std::function<int32_t()> OnNewTextId;
    // The file font index of the first formatting run of a new note (the workbook's first font).
    uint16_t NoteFontIndex = 0;

private:
    void ReadShapes(TEscherReader& reader, TShapeGroup& group, int64_t length, int depth);
    std::unique_ptr<TShape> ReadShapeContainer(TEscherReader& reader, int64_t length);
    void ReadObj(TXLSStream& stream, TShape& shape, bool textFollows);
    void ReadSolver(TEscherReader& reader);
    // Registers the drawing for a new shape (a cluster of its own on the first one).
    void PrepareNewShape();
    TShapeClientAnchor& AddShape(uint16_t shapeType, uint32_t col1, uint32_t row1, uint32_t col2, uint32_t row2);
    int32_t NewTextId() const;
    void RemoveCluster();

    TEscherGroup& Group_;
    TShapeGroupClientAnchor Root_;
    int ShapeCounter_ = 0;
};

}  // namespace xls
