#pragma once

#include <QBrush>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "base/stream.h"
#include "skin/menu_images.h"
#include "skin/skin_objects.h"
#include "skin/skin_types.h"

class QLabel;
class QObject;
class QRect;

namespace skin {

class TQuickIni;
class TSkinReader;

// The skin component that a form carries: it holds the skin package, unpacks and reads it when
// the form is streamed, keeps the skin data objects and tells the skin manager when skinning
// starts, stops or is refreshed. Every skinner reads its images, margins, colours and options
// here. The form's streaming sets the stored properties, then ReadSkinStream, then Loaded.
class TSkinData {
public:
    using TOnFormSkin = std::function<void(TSkinData& sender, const std::string& name, bool& doSkin)>;
    using TNotifyEvent = std::function<void(TSkinData& sender)>;
    using TOnSkinForm = std::function<void(QObject* sender, QObject* window, const std::string& name)>;
    using TOnSkinControl = std::function<void(TSkinData& skinData, QObject* form, QObject* control,
                                              const std::string& controlClass, QObject*& skinnedControl)>;

    explicit TSkinData(QObject* owner = nullptr);
    ~TSkinData();
    TSkinData(const TSkinData&) = delete;
    TSkinData& operator=(const TSkinData&) = delete;

    // Stored properties.
    bool Active() const { return Active_; }
    void SetActive(bool value);
    int32_t DisableTag() const { return DisableTag_; }
    void SetDisableTag(int32_t value) { DisableTag_ = value; }
    TSkinControlTypes SkinControls() const { return SkinControls_; }
    void SetSkinControls(TSkinControlTypes value) { SkinControls_ = value; }
    TSkinOptions Options() const { return Options_; }
    void SetOptions(TSkinOptions value) { Options_ = value; }
    const std::vector<std::string>& Skin3rd() const { return Skin3rd_; }
    void SetSkin3rd(std::vector<std::string> lines) { Skin3rd_ = std::move(lines); }
    const std::string& SkinFile() const { return SkinFile_; }
    void SetSkinFile(const std::string& path);
    // Display only: no package is ever reported stored outside a form designer.
    std::string SkinStore() const { return "(none)"; }
    void SetSkinStore(const std::string&) {}
    TSkinFormType SkinFormtype() const { return SkinFormtype_; }
    void SetSkinFormtype(TSkinFormType value) { SkinFormtype_ = value; }
    std::string Version() const { return SkinVersionText; }
    void SetVersion(const std::string&) {}
    bool MenuUpdate() const { return MenuUpdate_; }
    void SetMenuUpdate(bool value) { MenuUpdate_ = value; }
    bool MenuMerge() const { return MenuMerge_; }
    void SetMenuMerge(bool value) { MenuMerge_ = value; }

    TOnFormSkin OnFormSkin;
    TNotifyEvent OnSkinChanged;
    TOnSkinControl OnSkinControl;
    TOnSkinForm OnBeforeSkinForm;
    TOnSkinForm OnAfterSkinForm;

    // The binary form property: a 32-bit byte count and the package. Reading it loads the skin.
    void WriteSkinStream(base::TStream& stream) const;
    void ReadSkinStream(base::TStream& stream);
    const std::vector<uint8_t>& SkinStream() const { return SkinStream_; }
    // Stores a package as the form would, without loading it.
    void SetSkinStreamBytes(std::vector<uint8_t> package) { SkinStream_ = std::move(package); }
    // After all components of the form are streamed.
    void Loaded();

    // Unpacks the skin stream, reads its INI and builds the skin data objects. A damaged or
    // unknown package leaves the component without an applied skin and its reason in LoadError;
    // the program goes on unskinned.
    bool LoadSkin();
    const std::string& LoadError() const { return LoadError_; }
    void SkinChanged();

    void DoFormSkin(const std::string& className, bool& doSkin);
    void DoSkinChanged();
    // The frame colour: a pixel of the top border, or ButtonFace without one.
    TColor FrameColour() const;

    // The hint of a caption button (with xoCaptionButtonHint): shown at the button's top-left,
    // at most 500 pixels wide; a hint already showing stays as it is until hidden.
    void ShowButtonHint(const QRect& rect, const std::string& text);
    void HideButtonHint();
    bool HintShowing() const { return FHintShowing; }
    const QLabel* HintWindow() const { return FHintWindow.get(); }
    // The application's small icon on a magenta ground; left as it was when there is no icon.
    void MakeIconBitmap();

    QObject* Owner() const { return Owner_; }
    bool Loading() const { return FLoading; }
    bool FLoading = true;        // no skin applied
    bool FPainting = true;       // cleared by the window skinner around menu changes
    TSkinImageList FMenuImages;  // the system-menu glyphs
    QImage FIconBitmap;          // see-through colour KeyColour
    int32_t FHintTime = 0;       // how long the mouse has rested on a caption button (ms)
    static constexpr int SmallIconSize = 16;
    static constexpr int HintMaxWidth = 500;

    // The skin data objects.
    std::unique_ptr<TDataSkinButton> Buttons;
    std::array<std::unique_ptr<TDataSkinBorder>, 4> Borders;  // Left, Right, Top, Bottom
    std::unique_ptr<TDataSkinTitle> Title;
    std::vector<std::unique_ptr<TDataSkinSysButton>> CaptionButtons;
    std::unique_ptr<TDataSkinBorder> Progress;
    std::unique_ptr<TDataSkinObject> ProgressChunk;
    std::unique_ptr<TDataSkinObject> MenuBar;
    std::unique_ptr<TDataSkinObject> GroupBoxEdge;
    std::unique_ptr<TDataSkinBoxLabel> GroupBox;
    std::unique_ptr<TDataSkinBorder> Tabs;
    std::unique_ptr<TDataSkinObject> StatusBarEdges;
    std::unique_ptr<TDataSkinObject> TabPane;
    std::unique_ptr<TDataSkinObject> ToolBars;
    std::unique_ptr<TDataSkinBorder> ComboButton;
    std::unique_ptr<TDataSkinObject> SunkEdge;
    std::unique_ptr<TDataSkinObject> ExtraImages;
    std::unique_ptr<TDataSkinObject> Headerbar;
    std::unique_ptr<TDataSkinObject> MenuItem;
    std::unique_ptr<TDataSkinObject> MenuBackground;
    std::unique_ptr<TDataSkinObject> Scrollbar;
    std::unique_ptr<TDataSkinObject> HorzScroll;
    std::unique_ptr<TDataSkinObject> VertScroll;
    std::unique_ptr<TDataSkinObject> HorzScrollThumb;
    std::unique_ptr<TDataSkinObject> VertScrollThumb;
    std::unique_ptr<TDataSkinObject> ThumbHorz;
    std::unique_ptr<TDataSkinObject> ThumbVert;
    std::unique_ptr<TDataSkinObject> ThumbLeft;
    std::unique_ptr<TDataSkinObject> ThumbRight;
    std::unique_ptr<TDataSkinObject> ThumbUp;
    std::unique_ptr<TDataSkinObject> ThumbDown;
    std::unique_ptr<TDataSkinBorder> UpDownHorz;
    std::unique_ptr<TDataSkinBorder> UpDownVert;
    std::unique_ptr<TDataSkinObject> Track;
    std::unique_ptr<TDataSkinObject> TrackVert;
    std::unique_ptr<TDataSkinObject> Toolbar;      // computed
    std::unique_ptr<TDataSkinObject> ComboxArrow;  // computed
    std::array<TColor, SkinColourCount> Colours{};
    std::array<bool, SkinColourCount> ColourSet{};
    QBrush FaceBrush;

    static constexpr const char* SkinVersionText = "1.4.03.29";
    static constexpr const char* StoredPackageTruncatedText = "The stored skin package is truncated";

    // The elements composed from others after each load.
    void MakeComboFrames();
    void MakeComboArrow();
    void MakeToolbarBackground();

private:
    void ApplyIni(const TQuickIni& ini, const TSkinReader& package);
    void SetFrameCounts(const TQuickIni& ini);

    QObject* Owner_;
    bool Reading_ = true;
    bool Active_ = false;
    int32_t DisableTag_ = 99;
    TSkinControlTypes SkinControls_;
    TSkinOptions Options_;
    std::vector<std::string> Skin3rd_;
    std::string SkinFile_;
    TSkinFormType SkinFormtype_ = TSkinFormType::sfMainform;
    bool MenuUpdate_ = true;
    bool MenuMerge_ = false;
    std::vector<uint8_t> SkinStream_;
    std::string LoadError_;
    // Made on first use, so that a component without a widget application still loads skins.
    std::unique_ptr<QLabel> FHintWindow;
    bool FHintShowing = false;
};

// The 118 lines of the default Skin3rd list (class name "=" kind).
std::vector<std::string> DefaultSkin3rd();
inline constexpr int DefaultDisableTag = 99;

}  // namespace skin
