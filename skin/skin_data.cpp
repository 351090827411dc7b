#include "skin/skin_data.h"

#include <QLabel>
#include <QObject>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/exception.h"
#include "skin/quick_ini.h"
#include "skin/skin_manager_link.h"
#include "skin/skin_reader.h"

namespace skin {

namespace {

constexpr int CommandActivate = 1;
constexpr int CommandDeactivate = 2;
constexpr int CommandRefresh = 3;
constexpr int CommandIntervalMs = 250;

TSkinControlTypes DefaultSkinControls() {
    TSkinControlTypes kinds =
        TSkinControlTypes::FromBits((1u << (static_cast<int>(TSkinControlType::xcFastReport) + 1)) - 1);
    kinds.Exclude(TSkinControlType::xcMenuItem);
    kinds.Exclude(TSkinControlType::xcFastReport);
    return kinds;
}

}  // namespace

TSkinData::TSkinData(QObject* owner)
    : Buttons(std::make_unique<TDataSkinButton>("Buttons")),
      Borders{std::make_unique<TDataSkinBorder>("Left"), std::make_unique<TDataSkinBorder>("Right"),
              std::make_unique<TDataSkinBorder>("Top"), std::make_unique<TDataSkinBorder>("Bottom")},
      Title(std::make_unique<TDataSkinTitle>("Title")),
      Owner_(owner),
      SkinControls_(DefaultSkinControls()),
      Options_{TSkinOption::xoPreview, TSkinOption::xoToolbarBK, TSkinOption::xoCaptionButtonHint},
      Skin3rd_(DefaultSkin3rd()) {
    FMenuImages = MakeMenuImages();
}

TSkinData::~TSkinData() {
    if (TSkinManagerLink* manager = SkinManager()) manager->RemoveSkinData(*this);
}

void TSkinData::WriteSkinStream(base::TStream& stream) const {
    const auto size = static_cast<uint32_t>(SkinStream_.size());
    const uint8_t count[4] = {uint8_t(size), uint8_t(size >> 8), uint8_t(size >> 16), uint8_t(size >> 24)};
    stream.WriteBuffer(count, 4);
    if (size >= 1) stream.WriteBuffer(SkinStream_.data(), static_cast<int64_t>(size));
}

void TSkinData::ReadSkinStream(base::TStream& stream) {
    uint8_t count[4];
    stream.ReadBuffer(count, 4);
    const auto size =
        static_cast<int32_t>(count[0] | count[1] << 8 | count[2] << 16 | static_cast<uint32_t>(count[3]) << 24);
    SkinStream_.clear();
    if (size < 1) return;
    // The count is checked against what the stream holds before anything is allocated; a
    // truncated package leaves the program unskinned like any other damaged one.
    if (size > stream.Size() - stream.Position()) {
        FLoading = true;
        LoadError_ = StoredPackageTruncatedText;
        stream.Seek(0, base::TSeekOrigin::soEnd);
        return;
    }
    SkinStream_.resize(static_cast<size_t>(size));
    stream.ReadBuffer(SkinStream_.data(), size);
    LoadSkin();
}

void TSkinData::SetSkinFile(const std::string& path) {
    FLoading = true;
    SkinFile_ = path;
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error || size > static_cast<uintmax_t>(SkinMaxUnpackedSize)) return;
    std::ifstream file(path, std::ios::binary);
    if (!file) return;
    SkinStream_.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    LoadSkin();
    SkinChanged();
}

bool TSkinData::LoadSkin() {
    FLoading = true;
    LoadError_.clear();
    TSkinReader reader;
    try {
        if (!reader.LoadPackage(SkinStream_)) {
            LoadError_ = reader.ErrorText();
            return false;
        }
    } catch (const base::Exception& e) {
        LoadError_ = e.Message();
        return false;
    }
    std::string iniName;
    const auto iniBytes = reader.FindEntry(".ini", iniName);
    TQuickIni ini;
    ini.LoadFromText(std::string_view(reinterpret_cast<const char*>(iniBytes.data()), iniBytes.size()));
    ApplyIni(ini, reader);
    return true;
}

void TSkinData::Loaded() {
    Reading_ = false;
    TSkinManagerLink* manager = EnsureSkinManager();
    if (manager) manager->AddSkinData(*this);
    if (SkinFormtype_ == TSkinFormType::sfMainform) {
        if (manager) manager->InstallHook();
        if (Active_) {
            if (!FLoading && manager) {
                manager->SetCommandData(this);
                manager->PostCommand(CommandActivate, CommandIntervalMs);
            } else if (FLoading) {
                Active_ = false;
            }
        }
        if (SkinControls_.Has(TSkinControlType::xcMainMenu))
            SkinControls_.Exclude(TSkinControlType::xcMenuItem);
        else
            SkinControls_.Exclude(TSkinControlType::xcSystemMenu);
        MakeIconBitmap();
        return;
    }
    if (!manager) return;
    manager->SetActive(true);
    manager->SetStarted(manager->Started() + 1);
    if (Owner_ && Owner_->isWidgetType() && Active_) manager->SkinOwnerForm(*this);
}

void TSkinData::SetActive(bool value) {
    if (value == Active_) return;
    Active_ = value;
    TSkinManagerLink* manager = SkinManager();
    if (Reading_ || !manager) return;
    switch (SkinFormtype_) {
        case TSkinFormType::sfMainform:
            if (value && FLoading) return;
            manager->SetCommandData(this);
            manager->PostCommand(value ? CommandActivate : CommandDeactivate, CommandIntervalMs);
            if (value) manager->SetStarted(1);
            break;
        case TSkinFormType::sfOnlyThisForm:
            manager->SetCommandData(this);
            if (value && FLoading) return;
            manager->PostCommand(value ? CommandActivate : CommandDeactivate, CommandIntervalMs);
            break;
        case TSkinFormType::sfDialog:
        case TSkinFormType::sfDLL: break;
    }
}

void TSkinData::SkinChanged() {
    if (Reading_) return;
    if (!SkinManager()) Loaded();
    TSkinManagerLink* manager = SkinManager();
    if (!manager) return;
    manager->SetCommandData(this);
    manager->ReloadSkinners();
    if (manager->Started() != 0) manager->PostCommand(CommandRefresh, CommandIntervalMs);
}

void TSkinData::DoFormSkin(const std::string& className, bool& doSkin) {
    if (OnFormSkin) {
        OnFormSkin(*this, className, doSkin);
        return;
    }
    if (className == "SysMonthCal32" ||
        (className.starts_with("Tfr") && SkinControls_.Has(TSkinControlType::xcFastReport)))
        doSkin = false;
}

void TSkinData::DoSkinChanged() {
    if (OnSkinChanged) OnSkinChanged(*this);
}

TColor TSkinData::FrameColour() const {
    const TDataSkinBorder* top = Borders[2].get();
    if (!top || top->Image.isNull()) return Colours[scButtonFace];
    // A count of 0 or less reads as one frame rather than dividing by zero.
    const int frames = top->FrameCount > 0 ? top->FrameCount : 1;
    const int x = top->Image.width() / 3;
    const int y = top->Image.height() / frames / 3;
    const QRgb pixel = top->Image.pixel(x, y);
    return RGB(qRed(pixel), qGreen(pixel), qBlue(pixel));
}

}  // namespace skin
