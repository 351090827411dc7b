#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/memory_stream.h"
#include "base/stream.h"
#include "workbook/model/model_list.h"
#include "workbook/model/ooxml_services.h"

namespace xls {

// The core-properties text of a new document; the root replaces the two dates on writing.
extern const char* const DefaultCorePropertiesText;
// The theme a workbook gets when the file it came from had none.
extern const char* const DefaultThemeText;

// One package part the reader did not interpret, kept to be written back unchanged.
class TXLSSavedFileData {
public:
    std::u16string RelationshipType;
    // Folder + "/" + file name as the relationship gave it, or the file name alone.
    std::u16string Target;
    std::u16string ContentType;
    std::unique_ptr<base::TMemoryStream> Data;
};

using TXLSSavedFileDataList = TXc12ObjectList<TXLSSavedFileData>;

// The kept parts of one worksheet.
class TXLSSavedFileDataSheet {
public:
    TXLSSavedFileDataList Other;
    TXLSSavedFileDataList Tables;
};

// The package side of a document: the package, the content types, the extended and core
// properties, and every part the reader left, kept for the writer.
class TXc12FileData {
public:
    explicit TXc12FileData(TXc12OoxmlServices* services = nullptr);
    TXc12FileData(const TXc12FileData&) = delete;
    TXc12FileData& operator=(const TXc12FileData&) = delete;

    void Clear();
    void BeginRead(base::TStream& stream);
    // Appends a sheet entry; the entry's index is the sheet index.
    void AddSheetId(std::string_view relId);
    // Keeps the parts the reader left (calculation chain, extended properties and printer
    // settings are dropped); raises "Unknown OPC sheet id "%s"" for a part under a sheet that
    // was never registered.
    void KeepUnreadParts();
    void BeginWrite(base::TStream& stream);
    void WriteKeptSheetParts(int sheetIndex, TXc12PackageItem* sheetItem);
    // The default theme unless a kept part is a theme, the kept root and workbook parts, then
    // closes the package.
    void EndWrite();

    // The kept parts as plain data (also without a package).
    void KeepPart(TXc12UnreadPart part);
    TXLSSavedFileDataList& RootParts() { return RootParts_; }
    TXLSSavedFileDataList& WorkbookParts() { return WorkbookParts_; }
    int SheetCount() const { return static_cast<int>(Sheets_.size()); }
    // Nullptr for a sheet without kept parts or an index outside the list.
    TXLSSavedFileDataSheet* SheetParts(int sheetIndex) const;

    TXc12Package* Package() const { return Package_.get(); }
    TXc12PackageDocument* ContentTypes() const { return ContentTypes_.get(); }
    TXc12PackageDocument* AppProperties() const { return AppProperties_.get(); }
    TXc12XmlDocument* CoreProperties() const { return CoreProperties_.get(); }
    bool UseAlternateZip = false;

private:
    struct TSheetEntry {
        std::string RelId;
        std::unique_ptr<TXLSSavedFileDataSheet> Parts;
    };

    void WriteDefaults();
    void WriteKept(TXLSSavedFileDataList& list, TXc12PackageItem* parent);
    TXc12Package& RequirePackage() const;

    std::unique_ptr<TXc12PackageDocument> ContentTypes_;
    std::unique_ptr<TXc12PackageDocument> AppProperties_;
    std::unique_ptr<TXc12XmlDocument> CoreProperties_;
    std::unique_ptr<TXc12Package> Package_;
    TXLSSavedFileDataList RootParts_;
    TXLSSavedFileDataList WorkbookParts_;
    std::vector<TSheetEntry> Sheets_;
    std::unordered_map<std::string, int> SheetIndex_;
};

}  // namespace xls
