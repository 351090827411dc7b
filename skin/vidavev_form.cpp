#include "skin/vidavev_form.h"

#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QLayout>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>
#include <QStyleHints>
#include <QWindow>

#include "skin/skin_data.h"
#include "skin/skin_events.h"
#include "skin/skin_manage.h"

namespace skin {

namespace {

// The window system's frame comes and goes on the native window itself: the widget keeps its
// own flags, so it is neither hidden nor made again, and keeps its place and activation.
void SetFrameless(QWidget& w, bool frameless, Qt::WindowFlags old) {
    // Only the window's type stays: the toolkit keeps a caption for any title or button hint.
    const Qt::WindowFlags flags = frameless ? (old & Qt::WindowType_Mask) | Qt::FramelessWindowHint : old;
    if (QWindow* handle = w.windowHandle(); handle && w.windowFlags() == old)
        handle->setFlags(flags);
    else
        w.setWindowFlags(flags);
}

}  // namespace

TVidAvevForm::TVidAvevForm(TSkinManage& manager, QWidget& window)
    : FManager(manager), FHandle(&window), FClassName(window.metaObject()->className()) {
    FHoverTimer.setInterval(HoverIntervalMs);
    connect(&FHoverTimer, &QTimer::timeout, this, [this] { HoverTimer(); });
    FCaptionFont = QApplication::font();
    FCaptionFont.setBold(true);
    if (qGuiApp) FDoubleClickTime = QGuiApplication::styleHints()->mouseDoubleClickInterval();
    // A window destroyed elsewhere is noticed through its signal, never by probing memory.
    connect(&window, &QObject::destroyed, this, [this] {
        FState = StateReleased;
        FHoverTimer.stop();
    });
}

TVidAvevForm::~TVidAvevForm() {
    if (FHandle && FHooked) ReleaseWindow();
}

void TVidAvevForm::AttachForm(TSkinData& skinData) {
    FSkinData = &skinData;
    if (skinData.OnBeforeSkinForm) skinData.OnBeforeSkinForm(FHandle, FHandle, FClassName);
    FManager.SetStarted(1);
    FSkinFrame = skinData.SkinControls().Has(TSkinControlType::xcMainMenu);
    const Qt::WindowFlags flags = FHandle->windowFlags();
    FBorderIcons = 0;
    if (flags & Qt::WindowSystemMenuHint) FBorderIcons |= IconSystemMenu;
    if (flags & Qt::WindowMinimizeButtonHint) FBorderIcons |= IconMinimize;
    if (flags & Qt::WindowMaximizeButtonHint) FBorderIcons |= IconMaximize;
    if (flags & Qt::WindowContextHelpButtonHint) FBorderIcons |= IconHelp;
    FSizable = FHandle->minimumSize() != FHandle->maximumSize();
    ReadWindowState();
    if (flags & Qt::FramelessWindowHint)
        FFrameKind = FrameCaptionless;
    else if (qobject_cast<QDialog*>(FHandle.data()))
        FFrameKind = FrameDialog;
    else
        FFrameKind = FSizable ? FrameSizeable : FrameFixed;
    FHandle->installEventFilter(this);
    FHooked = true;
    if (FSkinFrame)
        LoadFrameMetrics();
    else
        FState = StateActive;
    QCoreApplication::postEvent(FHandle, new QEvent(SkinEventType(TSkinEvent::Start)));
}

void TVidAvevForm::ReadWindowState() {
    if (!FHandle) return;
    const Qt::WindowStates states = FHandle->windowState();
    FWindowState = states & Qt::WindowMinimized   ? WindowMinimised
                   : states & Qt::WindowMaximized ? WindowMaximised
                                                  : WindowNormal;
}

void TVidAvevForm::Start() {
    FWindowActive = FHandle->isActiveWindow();
    if (FState == StateCreated && FFrameKind != FrameCaptionless && FWindowState != WindowMinimised) {
        FState = StateSizing;
        FitWindowToClient();
        FState = StateActive;
        UpdateRegion();
    }
    if (FSkinData && FSkinData->OnAfterSkinForm) FSkinData->OnAfterSkinForm(FHandle, FHandle, FClassName);
    FState = StateActive;
    if (FWindowActive) FHoverTimer.start();
    DropMenuKey();
    FMenuKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), FHandle.data());
    connect(FMenuKey.data(), &QShortcut::activated, this, [this] {
        if (FHandle) ShowSystemMenu(FHandle->mapToGlobal(QPoint(FLeftWidth, FTopHeight + FMenuHeight)));
    });
    Repaint();
}

void TVidAvevForm::FitWindowToClient() {
    QWidget& w = *FHandle;
    FOldFlags = w.windowFlags();
    FOldMargins = w.contentsMargins();
    FOldMinimum = w.minimumSize();
    FOldMaximum = w.maximumSize();
    FOldMouseTracking = w.hasMouseTracking();
    const QMargins extents = Extents();
    const QSize grow(extents.left() + extents.right(), extents.top() + extents.bottom());
    const QPoint origin = w.frameGeometry().topLeft();
    const QSize client = w.size();
    const bool visible = w.isVisible();
    SetFrameless(w, true, FOldFlags);
    w.setContentsMargins(FOldMargins + extents);
    if (!FSizable) {
        w.setFixedSize(client + grow);
    } else {
        w.setMinimumSize(FOldMinimum + grow);
        w.setMaximumSize((FOldMaximum + grow).boundedTo(QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX)));
        w.resize(client + grow);
    }
    w.setMouseTracking(true);
    w.move(origin);
    if (visible) w.show();
}

void TVidAvevForm::UnskinWindow() {
    FHoverTimer.stop();
    FSystemPopup.reset();
    DropMenuKey();
    if (FSkinData) FSkinData->HideButtonHint();
    if (!FHandle || !FHooked) return;
    FHandle->removeEventFilter(this);
    FHooked = false;
    if (FState == StateCreated || FState == StateDestroying) return;
    QWidget& w = *FHandle;
    const QMargins extents = Extents();
    const QSize shrink(extents.left() + extents.right(), extents.top() + extents.bottom());
    const QPoint origin = w.pos();
    const QSize client = w.size() - shrink;
    const bool visible = w.isVisible();
    w.clearMask();
    FHasRegion = false;
    SetFrameless(w, false, FOldFlags);
    w.setContentsMargins(FOldMargins);
    if (!FSizable) {
        w.setFixedSize(client);
    } else {
        w.setMinimumSize(FOldMinimum);
        w.setMaximumSize(FOldMaximum);
        w.resize(client);
    }
    w.setMouseTracking(FOldMouseTracking);
    w.move(origin);
    if (visible) w.show();
    FState = StateReleased;
}

void TVidAvevForm::ReleaseWindow() {
    FHoverTimer.stop();
    FSystemPopup.reset();
    DropMenuKey();
    if (FSkinData) FSkinData->HideButtonHint();
    if (FHandle && FHooked) FHandle->removeEventFilter(this);
    FHooked = false;
    FState = StateReleased;
}

void TVidAvevForm::RefreshSkin() {
    if (!FHandle || FState != StateActive) return;
    const QMargins before = Extents();
    FState = StateRefreshing;
    LoadFrameMetrics();
    const QMargins after = Extents();
    if (after != before) {
        const QSize delta(after.left() + after.right() - before.left() - before.right(),
                          after.top() + after.bottom() - before.top() - before.bottom());
        FHandle->setContentsMargins(FOldMargins + after);
        if (!FSizable)
            FHandle->setFixedSize(FHandle->size() + delta);
        else
            FHandle->resize(FHandle->size() + delta);
    }
    UpdateRegion();
    FState = StateActive;
    Repaint();
}

void TVidAvevForm::DropMenuKey() {
    if (!FMenuKey) return;
    FMenuKey->setEnabled(false);
    FMenuKey->deleteLater();
    FMenuKey = nullptr;
}

void TVidAvevForm::Repaint() {
    if (FHandle) FHandle->update();
}

void TVidAvevForm::CloseWindow() {
    FHoverTimer.stop();
    if (FHandle)
        QTimer::singleShot(0, FHandle.data(), [w = FHandle] {
            if (w) w->close();
        });
}

bool TVidAvevForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched != FHandle || !FHandle) return false;
    const QEvent::Type type = event->type();
    if (type == SkinEventType(TSkinEvent::Query)) {
        event->accept();
        return true;
    }
    if (type == SkinEventType(TSkinEvent::Start)) {
        Start();
        return true;
    }
    if (type == SkinEventType(TSkinEvent::Refresh)) {
        RefreshSkin();
        return true;
    }
    if (type == SkinEventType(TSkinEvent::PaintFrame)) {
        Repaint();
        return true;
    }
    if (!FSkinFrame || FState == StateCreated) return false;
    switch (type) {
        case QEvent::Paint: {
            if (FInPaint) return false;
            // The window paints itself first; the frame goes on top in the margins.
            FInPaint = true;
            QCoreApplication::sendEvent(FHandle, event);
            FInPaint = false;
            QPainter painter(FHandle);
            PaintFrame(painter);
            return true;
        }
        case QEvent::Resize:
            // One region per new size: the size change is handled here once.
            UpdateRegion();
            return false;
        case QEvent::WindowStateChange:
            ReadWindowState();
            UpdateRegion();
            Repaint();
            return false;
        case QEvent::WindowActivate:
        case QEvent::WindowDeactivate:
            FWindowActive = type == QEvent::WindowActivate;
            if (FWindowActive)
                FHoverTimer.start();
            else
                FHoverTimer.stop();
            Repaint();
            return false;
        case QEvent::WindowTitleChange: Repaint(); return false;
        case QEvent::Leave:
            if (FHot) FHot->Leave();
            return false;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove: return HandleMouse(static_cast<QMouseEvent&>(*event));
        default: return false;
    }
}

}  // namespace skin
