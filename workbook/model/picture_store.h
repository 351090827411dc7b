#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/stream.h"
#include "workbook/model/error_manager.h"
#include "workbook/model/ooxml_services.h"
#include "workbook/model/style_object.h"

namespace xls {

// Image types of the picture store; anything else is xitUnknown. Bitmaps come in .xls files,
// whose drawings store them.
enum TXc12ImageType : uint8_t { xitJPEG = 0, xitPNG = 1, xitEMF = 2, xitWMF = 3, xitBMP = 4, xitUnknown = 5 };

// "jpeg", "png", "emf", "wmf", "bmp"; "???" for any other type.
std::u16string_view ImageTypeExtension(uint8_t type);

// One distinct image of the document.
class TXc12GraphicImage : public TIndexObject {
public:
    // "Image%d.%s"-style names need a known type: raises "Unknown image type" for any other.
    static std::u16string MakeName(int number, uint8_t type);

    std::u16string OwnerRelId;
    std::u16string RelId;
    int32_t UseCount = 1;
    uint8_t ImageType = xitJPEG;
    std::vector<uint8_t> Data;
    std::u16string Name;
    std::u16string FileName;
    bool Written = false;
    int32_t Width = 0;
    int32_t Height = 0;
};

class TXc12GraphicImages : public TIndexObjectList {
public:
    explicit TXc12GraphicImages(TXLSErrorManager& errors) : Errors_(errors) {}
    TXc12GraphicImage* GetItems(int index) const { return ItemsAs<TXc12GraphicImage>(index); }

    // A picture from a file's data: the image already added with that file name, or a new
    // measured one; nullptr (with a warning) for an unknown type or data that cannot be measured.
    TXc12GraphicImage* AddFromFile(base::TStream& stream, std::u16string_view fileName);
    // A copy of the stream from its position, named "Image%d.%s" with the first free number.
    TXc12GraphicImage* AddImage(base::TStream& stream, uint8_t imageType);
    // An image part found under a drawing: a part already added gets one more use.
    TXc12GraphicImage* AddFromPackage(base::TStream& data, std::u16string_view fileName, std::u16string_view relId,
                                      std::u16string_view ownerRelId, std::u16string_view partPath);
    TXc12GraphicImage* FindByName(std::u16string_view name) const;
    // File names compare ignoring case.
    TXc12GraphicImage* FindByFileName(std::u16string_view fileName) const;
    TXc12GraphicImage* FindByRelId(std::u16string_view ownerRelId, std::u16string_view relId) const;

    // By the text after the last ".", ignoring case: jpg/jpeg, png, emf, wmf, bmp, else
    // xitUnknown.
    static uint8_t TypeFromExtension(std::u16string_view fileName);
    // The stream is back at position 0 afterwards.
    static bool MeasureImage(base::TStream& stream, uint8_t imageType, int& width, int& height);

private:
    TXLSErrorManager& Errors_;
};

class TXc12GraphicManager {
public:
    static constexpr int WarnUnknownImageType = 3006;
    static constexpr int WarnImageError = 3008;

    explicit TXc12GraphicManager(TXLSErrorManager& errors) : Images_(errors) {}
    TXc12GraphicManager(const TXc12GraphicManager&) = delete;
    TXc12GraphicManager& operator=(const TXc12GraphicManager&) = delete;

    void Clear() { Images_.Clear(); }
    void ResetWritten();
    // Relates the current drawing part to the image's media part and writes the data the
    // first time the image is written; relId receives the relationship id.
    void WriteImagePart(TXc12GraphicImage& image, std::u16string& relId);

    TXc12GraphicImages& Images() { return Images_; }
    // The package of the .xlsx file being read or written (not owned).
    TXc12Package* Package = nullptr;

private:
    TXc12GraphicImages Images_;
};

}  // namespace xls
