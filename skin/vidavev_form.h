#pragma once

#include <QElapsedTimer>
#include <QFont>
#include <QImage>
#include <QMargins>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QRegion>
#include <QSize>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "skin/caption_buttons.h"

class QMenu;
class QMouseEvent;
class QShortcut;

namespace skin {

class TSkinData;
class TSkinManage;

// Takes one top-level window over for the skin engine: the window becomes frameless, its
// contents margins are the skinned frame's extents (so its controls keep their client area),
// and the skinner paints the frame, caption text and caption buttons in those margins, shapes
// the window with a mask cut from the border bitmaps, answers clicks in the frame, and gives
// everything back when the skin is switched off.
class TVidAvevForm : public QObject {
public:
    // States of the skinner's life.
    enum : int {
        StateCreated = 0,
        StateActive = 1,
        StateRefreshing = 3,
        StateDestroying = 4,
        StateSizing = 5,
        StateReleased = 6
    };
    enum : int { FrameSizeable = 0, FrameFixed = 1, FrameCaptionless = 2, FrameDialog = 3 };
    enum : int { WindowNormal = 0, WindowMaximised = 1, WindowMinimised = 2 };
    enum : int { IconMaximize = 1, IconMinimize = 2, IconHelp = 4, IconSystemMenu = 8 };

    TVidAvevForm(TSkinManage& manager, QWidget& window);
    ~TVidAvevForm() override;
    TVidAvevForm(const TVidAvevForm&) = delete;
    TVidAvevForm& operator=(const TVidAvevForm&) = delete;

    // Hooks the window (its events pass the skinner first) and posts the start event.
    void AttachForm(TSkinData& skinData);
    // Gives the window its standard frame, size and look back.
    void UnskinWindow();
    // Lets go of the window without restoring its look (it is being destroyed).
    void ReleaseWindow();
    void RefreshSkin();
    void FreeCaptionButtons() { FSysButtons.clear(), FHot = nullptr; }
    void LoadFrameMetrics();
    void UpdateRegion();
    void RemoveRegion();

    // The whole frame (borders, caption strip with text and buttons) painted in frame
    // coordinates; the client area is left alone.
    void PaintFrame(QPainter& painter);
    // The window's shape: the inner rectangle joined with the borders' opaque pixels.
    QRegion FrameRegion(QSize size) const;

    QWidget* Window() const { return FHandle; }
    TSkinData* SkinData() const { return FSkinData; }
    int State() const { return FState; }
    void SetState(int state) { FState = state; }
    QMargins Extents() const { return {FLeftWidth, FTopHeight + FMenuHeight, FRightWidth, FBottomHeight}; }
    bool WindowActive() const { return FWindowActive; }
    int WindowState() const { return FWindowState; }
    int BorderIcons() const { return FBorderIcons; }
    int FrameKind() const { return FFrameKind; }
    bool HasRegion() const { return FHasRegion; }
    int RegionBuilds() const { return FRegionBuilds; }
    const QRect& CaptionRect() const { return FCaptionRect; }
    const std::vector<std::unique_ptr<TWinSysButton>>& SysButtons() const { return FSysButtons; }
    TNCObject* Hot() const { return FHot; }
    void SetHot(TNCObject* hot) { FHot = hot; }
    QMenu* SystemPopup() const { return FSystemPopup.get(); }

    // Caption-button behaviour.
    TWinSysButton* CaptionButtonAt(QPoint p) const;
    void UpdateVisibility(TWinSysButton& button) const;
    void DoCaptionAction(QPoint screenPoint);
    void ToggleMaximize();
    void ToggleMinimize();
    void RestoreWindow();
    void ShowSystemMenu(QPoint screenPoint);
    void BuildSystemMenu();
    // Paints one caption button straight on the window, after a change of its state.
    void PaintButton(TWinSysButton& button);
    void HoverTimer();

    static constexpr int HoverIntervalMs = 250;
    static constexpr int HintPauseMs = 500;
    static constexpr int HintHidePauseMs = 2500;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Start();
    void FitWindowToClient();
    void ReadWindowState();
    void PaintBorder(QPainter& painter, int index, const QRect& r) const;
    void PaintCaptionStrip(QPainter& painter);
    void PaintCaptionText(QPainter& painter, const QRect& area);
    void LayoutAndPaintButtons(QPainter& painter);
    int BorderFrame(int index) const;
    bool HandleMouse(QMouseEvent& event);
    bool HandleCaptionPress(QMouseEvent& event, QPoint p);
    void MoveWithMouse(QMouseEvent& event);
    void Repaint();
    void CloseWindow();
    void DropMenuKey();

    TSkinManage& FManager;
    QPointer<QWidget> FHandle;
    TSkinData* FSkinData = nullptr;
    std::string FClassName;
    int FState = StateCreated;
    bool FSkinFrame = true;
    bool FHooked = false;
    int FFrameKind = FrameSizeable;
    int FBorderIcons = 0;
    int FWindowState = WindowNormal;
    bool FWindowActive = true;
    bool FSizable = false;
    bool FInPaint = false;
    int FLeftWidth = 0, FTopHeight = 0, FRightWidth = 0, FBottomHeight = 0, FMenuHeight = 0;
    std::vector<std::unique_ptr<TWinSysButton>> FSysButtons;
    TNCObject* FHot = nullptr;
    std::unique_ptr<QMenu> FSystemPopup;
    QTimer FHoverTimer;
    QFont FCaptionFont;
    std::u16string FCaptionPrefix = u"  ", FCaptionSuffix = u" ";
    QRect FCaptionRect;
    int FRightButtonsWidth = 0;
    bool FHasRegion = false;
    QSize FRegionSize;
    int FRegionBuilds = 0;
    QElapsedTimer FLastMenuTick;
    int FDoubleClickTime = 400;
    QPointer<QShortcut> FMenuKey;  // Alt+Space; the window owns it
    // What the window had before it was skinned.
    Qt::WindowFlags FOldFlags;
    QMargins FOldMargins;
    QSize FOldMinimum, FOldMaximum;
    bool FOldMouseTracking = false;
    // A drag of the caption where the window system has no move of its own.
    QPoint FDragStart;  // where a press on the caption began, until it becomes a drag
    QPoint FDragOffset;
    bool FDragging = false;
};

}  // namespace skin
