#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "workbook/model/cell_area.h"
#include "workbook/model/cell_areas.h"
#include "workbook/model/model_list.h"

namespace xls {

// The smaller worksheet elements: scenarios, data consolidation, phonetic properties, ignored
// errors, smart tags, OLE objects, controls, web-publishing items, custom properties.

class TXc12InputCell {
public:
    int32_t row = 0;
    int32_t col = 0;
    uint8_t deleted = 0;
    uint8_t undone = 0;
    std::u16string val;
    int32_t numFmtId = 0;
};

class Tx12InputCells : public TXc12ObjectList<TXc12InputCell> {
public:
    // An input cell at the "A1" text; a text that is no reference leaves it at A1.
    TXc12InputCell* AddRef(std::u16string_view text);
};

class TXc12Scenario {
public:
    std::u16string name;
    uint8_t locked = 0;
    uint8_t hidden = 0;
    // Neither cleared nor written.
    int32_t count = 0;
    std::u16string user;
    std::u16string comment;
    Tx12InputCells inputCells;
};

class TXc12Scenarios : public TXc12ObjectList<TXc12Scenario> {
public:
    // The scenarios and the two attributes; the areas stay.
    void Clear();
    int32_t current = 0;
    int32_t show = 0;
    TCellAreas sqref;
};

class TXc12DataRef {
public:
    TXLSCellArea ref;
    std::u16string name;
    std::u16string sheet;
    std::string rId;
};

using TXc12DataRefs = TXc12ObjectList<TXc12DataRef>;

class TXc12DataConsolidate {
public:
    void Clear();
    uint8_t function = 8;
    uint8_t leftLabels = 0;
    uint8_t topLabels = 0;
    uint8_t link = 0;
    TXc12DataRefs dataRefs;
};

class TXc12PhoneticPr {
public:
    void Clear() { fontId = 0, type = 1, alignment = 1; }
    int32_t fontId = 0;
    uint8_t type = 1;
    uint8_t alignment = 1;
};

class TXc12IgnoredError {
public:
    TCellAreas sqref;
    uint8_t evalError = 0;
    uint8_t twoDigitTextYear = 0;
    uint8_t numberStoredAsText = 0;
    uint8_t formula = 0;
    uint8_t formulaRange = 0;
    uint8_t unlockedFormula = 0;
    uint8_t emptyCellReference = 0;
    uint8_t listDataValidation = 0;
    uint8_t calculatedColumn = 0;
};

using TXc12IgnoredErrors = TXc12ObjectList<TXc12IgnoredError>;

class TXc12CellSmartTagPr {
public:
    std::u16string key;
    std::u16string val;
};

class TXc12CellSmartTag : public TXc12ObjectList<TXc12CellSmartTagPr> {
public:
    void Clear() {
        TXc12ObjectList::Clear();
        type = 0, deleted = 0, xmlBased = 0;
    }
    int32_t type = 0;
    uint8_t deleted = 0;
    uint8_t xmlBased = 0;
};

class TXc12CellSmartTags : public TXc12ObjectList<TXc12CellSmartTag> {
public:
    void Clear() {
        TXc12ObjectList::Clear();
        cell.Clear();
    }
    TCellRef cell;
};

using TXc12SmartTags = TXc12ObjectList<TXc12CellSmartTags>;

class TXc12OleObject {
public:
    std::u16string progId;
    uint8_t dvAspect = 0;
    std::u16string link;
    uint8_t oleUpdate = 0;
    uint8_t autoLoad = 0;
    int32_t shapeId = 0;
    std::string rId;
};

using TXc12OleObjects = TXc12ObjectList<TXc12OleObject>;

class TXc12Control {
public:
    int32_t shapeId = 0;
    std::string rId;
    std::u16string name;
};

using TXc12Controls = TXc12ObjectList<TXc12Control>;

class TXc12WebPublishItem {
public:
    int32_t id = 0;
    std::u16string divId;
    uint8_t sourceType = 0;
    TCellRef sourceRef;
    std::u16string sourceObject;
    std::u16string destinationFile;
    std::u16string title;
    uint8_t autoRepublish = 0;
};

using TXc12WebPublishItems = TXc12ObjectList<TXc12WebPublishItem>;

class TXc12CustomProperty {
public:
    std::u16string name;
    std::u16string rId;
};

using TXc12CustomProperties = TXc12ObjectList<TXc12CustomProperty>;

}  // namespace xls
