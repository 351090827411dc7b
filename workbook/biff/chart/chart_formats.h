#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace xls {

class TChartRecord;
class TXc12Font;

// A view over one record of a chart's tree; it keeps no data of its own.
class TRecordObject {
public:
    virtual ~TRecordObject() = default;

    // Views the record (nil: unbound) and binds the view's parts among its children; parts
    // whose records are missing stay unbound.
    virtual void Bind(TChartRecord* record);
    bool HasRecord() const { return Record_ != nullptr; }
    TChartRecord* Record() const { return Record_; }

protected:
    // The viewed record; "Property has no data." when unbound.
    TChartRecord& Need() const;

private:
    TChartRecord* Record_ = nullptr;
};

// A Text record; its font is the one of its last FontX child.
class TChartText : public TRecordObject {
public:
    void Bind(TChartRecord* record) override;
    TXc12Font* Font() const { return Font_; }

private:
    TXc12Font* Font_ = nullptr;
};

class TLineFormat : public TRecordObject {
public:
    // icv and the rgb of the palette entry.
    void SetColorIndex(uint8_t index);
    uint16_t ColorIndex() const;
    uint32_t Color() const;
    // 0 solid ... 5 none.
    void SetLinePattern(uint8_t value);
    uint16_t LinePattern() const;
};

class TAreaFormat : public TRecordObject {
public:
    void SetForeColorIndex(uint8_t index);
    uint16_t ForeColorIndex() const;
    uint32_t ForeColor() const;
};

class TMarkerFormat : public TRecordObject {
public:
    // Also switches automatic formatting off; 0 = no marker.
    void SetMarkerType(uint8_t value);
    uint16_t MarkerType() const;
};

// One property of an OfficeArt property table: id with its flags, value, and the complex data
// of a complex property.
struct TGelProperty {
    uint16_t Id = 0;
    uint32_t Value = 0;
    std::vector<uint8_t> Complex;
};

using TGelProperties = std::vector<TGelProperty>;

// The fill of a frame as an OfficeArt property table. The table is shared with the GelFrame
// record, which is rebuilt from it when it is written; a view bound again takes a new table, so
// the record it viewed before keeps its own.
class TGelFrame : public TRecordObject {
public:
    void Bind(TChartRecord* record) override;
    const TGelProperties& Properties() const { return *Properties_; }
    // The record's data becomes the table as one OPT record.
    static void UpdateRecord(TChartRecord& record, const TGelProperties& properties);

private:
    std::shared_ptr<TGelProperties> Properties_ = std::make_shared<TGelProperties>();
};

// A Frame record with its line, area and fill formats.
class TPaintFrame : public TRecordObject {
public:
    void Bind(TChartRecord* record) override;
    TLineFormat& LineFormat() { return LineFormat_; }
    TAreaFormat& AreaFormat() { return AreaFormat_; }
    TGelFrame& GelFrame() { return GelFrame_; }

private:
    TLineFormat LineFormat_;
    TAreaFormat AreaFormat_;
    TGelFrame GelFrame_;
};

class TTickFormat : public TRecordObject {};
class TCatSerAxisScaling : public TRecordObject {};
class TValueAxisScaling : public TRecordObject {};
class TChart3D : public TRecordObject {};

class TChartAxis : public TRecordObject {
public:
    void Bind(TChartRecord* record) override;
    TTickFormat& TickFormat() { return TickFormat_; }

private:
    TTickFormat TickFormat_;
};

// A category or a series axis.
class TCategoryAxis : public TChartAxis {
public:
    void Bind(TChartRecord* record) override;
    TCatSerAxisScaling& Scaling() { return Scaling_; }

private:
    TCatSerAxisScaling Scaling_;
};

class TSerieAxis : public TCategoryAxis {};

class TValueAxis : public TChartAxis {
public:
    void Bind(TChartRecord* record) override;
    TValueAxisScaling& Scaling() { return Scaling_; }

private:
    TValueAxisScaling Scaling_;
};

class TChartLegend : public TRecordObject {
public:
    void Bind(TChartRecord* record) override;
    TPaintFrame& Frame() { return Frame_; }

private:
    TPaintFrame Frame_;
};

// The child of list with the id that a view binds: the last one.
TChartRecord* LastChild(TChartRecord& list, uint16_t recId);

}  // namespace xls
