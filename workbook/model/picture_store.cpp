#include "workbook/model/picture_store.h"

#include "base/text_encoding.h"
#include "workbook/model/image_size.h"
#include "workbook/model/pointer_memory_stream.h"
#include "workbook/model/utils.h"

namespace xls {

namespace {

constexpr std::u16string_view Extensions[] = {u"jpeg", u"png", u"emf", u"wmf", u"bmp"};

// The rest of the stream from its position.
std::vector<uint8_t> ReadRest(base::TStream& stream) {
    const int64_t position = stream.Position();
    const int64_t size = stream.Size();
    std::vector<uint8_t> bytes(static_cast<size_t>(size > position ? size - position : 0));
    if (!bytes.empty()) stream.ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    return bytes;
}

bool MeasureData(std::span<const uint8_t> data, uint8_t type, int& width, int& height) {
    switch (type) {
        case xitJPEG: return MeasureJpeg(data, width, height);
        case xitPNG: return MeasurePng(data, width, height);
        case xitEMF: return MeasureEmf(data, width, height);
        case xitWMF: return MeasureWmf(data, width, height);
        case xitBMP: return MeasureBmp(data, width, height);
        default: return false;
    }
}

}  // namespace

std::u16string_view ImageTypeExtension(uint8_t type) { return type < xitUnknown ? Extensions[type] : u"???"; }

std::u16string TXc12GraphicImage::MakeName(int number, uint8_t type) {
    if (type >= xitUnknown) throw EXLSError("Unknown image type");
    return u"Image" + base::Utf8ToUtf16(std::to_string(number)) + u"." + std::u16string(Extensions[type]);
}

uint8_t TXc12GraphicImages::TypeFromExtension(std::u16string_view fileName) {
    const size_t dot = fileName.rfind(u'.');
    if (dot == std::u16string_view::npos) return xitUnknown;
    std::u16string extension(fileName.substr(dot + 1));
    for (char16_t& c : extension)
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    if (extension == u"jpg" || extension == u"jpeg") return xitJPEG;
    if (extension == u"png") return xitPNG;
    if (extension == u"emf") return xitEMF;
    if (extension == u"wmf") return xitWMF;
    if (extension == u"bmp") return xitBMP;
    return xitUnknown;
}

bool TXc12GraphicImages::MeasureImage(base::TStream& stream, uint8_t imageType, int& width, int& height) {
    stream.SetPosition(0);
    const std::vector<uint8_t> bytes = ReadRest(stream);
    stream.SetPosition(0);
    return MeasureData(bytes, imageType, width, height);
}

TXc12GraphicImage* TXc12GraphicImages::AddFromFile(base::TStream& stream, std::u16string_view fileName) {
    const uint8_t type = TypeFromExtension(fileName);
    if (type == xitUnknown) {
        Errors_.Warning(fileName, TXc12GraphicManager::WarnUnknownImageType);
        return nullptr;
    }
    if (TXc12GraphicImage* existing = FindByFileName(fileName)) {
        int width = 0;
        int height = 0;
        if ((existing->Width <= 0 || existing->Height <= 0) &&
            !MeasureData(existing->Data, existing->ImageType, width, height))
            Errors_.Warning(u"", TXc12GraphicManager::WarnImageError);
        return existing;
    }
    int width = 0;
    int height = 0;
    if (!MeasureImage(stream, type, width, height)) {
        Errors_.Warning(u"", TXc12GraphicManager::WarnImageError);
        return nullptr;
    }
    TXc12GraphicImage* image = AddImage(stream, type);
    image->FileName = fileName;
    image->Width = width;
    image->Height = height;
    return image;
}

TXc12GraphicImage* TXc12GraphicImages::AddImage(base::TStream& stream, uint8_t imageType) {
    int number = Count() + 1;
    while (FindByName(TXc12GraphicImage::MakeName(number, imageType)) != nullptr) ++number;
    auto image = std::make_unique<TXc12GraphicImage>();
    image->Name = TXc12GraphicImage::MakeName(number, imageType);
    image->ImageType = imageType;
    image->Data = ReadRest(stream);
    TXc12GraphicImage* result = image.get();
    Add(std::move(image));
    return result;
}

TXc12GraphicImage* TXc12GraphicImages::AddFromPackage(base::TStream& data, std::u16string_view fileName,
                                                      std::u16string_view relId, std::u16string_view ownerRelId,
                                                      std::u16string_view partPath) {
    if (TXc12GraphicImage* existing = FindByName(partPath)) {
        ++existing->UseCount;
        return existing;
    }
    auto image = std::make_unique<TXc12GraphicImage>();
    data.SetPosition(0);
    image->Data = ReadRest(data);
    image->OwnerRelId = ownerRelId;
    image->RelId = relId;
    image->Name = partPath;
    image->ImageType = TypeFromExtension(fileName);
    TXc12GraphicImage* result = image.get();
    Add(std::move(image));
    return result;
}

TXc12GraphicImage* TXc12GraphicImages::FindByName(std::u16string_view name) const {
    for (int i = 0; i < Count(); ++i)
        if (GetItems(i)->Name == name) return GetItems(i);
    return nullptr;
}

TXc12GraphicImage* TXc12GraphicImages::FindByFileName(std::u16string_view fileName) const {
    const std::u16string upper = WideUpperCaseStr(fileName);
    for (int i = 0; i < Count(); ++i)
        if (WideUpperCaseStr(GetItems(i)->FileName) == upper) return GetItems(i);
    return nullptr;
}

TXc12GraphicImage* TXc12GraphicImages::FindByRelId(std::u16string_view ownerRelId, std::u16string_view relId) const {
    for (int i = 0; i < Count(); ++i) {
        const TXc12GraphicImage* image = GetItems(i);
        if (image->OwnerRelId == ownerRelId && image->RelId == relId) return GetItems(i);
    }
    return nullptr;
}

void TXc12GraphicManager::ResetWritten() {
    for (int i = 0; i < Images_.Count(); ++i) Images_.GetItems(i)->Written = false;
}

void TXc12GraphicManager::WriteImagePart(TXc12GraphicImage& image, std::u16string& relId) {
    if (Package == nullptr) throw EXLSError("No package to write the image into");
    TXc12PackageItem* item = Package->CreateImageItem(image.Index() + 1, ImageTypeExtension(image.ImageType));
    relId = item->GetRId();
    if (image.Written) return;
    TPointerMemoryStream stream(image.Data.data(), static_cast<int64_t>(image.Data.size()));
    Package->WriteItem(item, stream);
    Package->CloseItem(item);
    image.Written = true;
}

}  // namespace xls
