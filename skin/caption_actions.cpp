// What the skinned frame does with the mouse: caption buttons in their states with their
// hints and actions, the caption drag, double clicks, and the system menu.
#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QMouseEvent>
#include <QWhatsThis>
#include <QWindow>

#include "skin/skin_data.h"
#include "skin/skin_events.h"
#include "skin/vidavev_form.h"

namespace skin {

namespace {

// Texts and glyphs of the skinned system menu.
struct TSystemMenuItem {
    const char* Caption;
    int Tag;
};
constexpr TSystemMenuItem SystemMenuItems[] = {
    {" Restore ", miRestore}, {" Maximize ", miMaximize}, {" Minimize ", miMinimize}, {"-", 100}, {" Close ", miClose}};

bool IconAction(int action) { return action == 3 || action == 11; }

}  // namespace

TWinSysButton* TVidAvevForm::CaptionButtonAt(QPoint p) const {
    for (const auto& button : FSysButtons)
        if (button->Visible && button->Element.Action >= 0 && button->Rect.contains(p)) return button.get();
    return nullptr;
}

void TVidAvevForm::UpdateVisibility(TWinSysButton& button) const {
    TCaptionWindowState state;
    state.Maximised = FWindowState == WindowMaximised;
    state.Active = FWindowActive;
    state.MaximizeBox = (FBorderIcons & IconMaximize) != 0;
    state.MinimizeBox = (FBorderIcons & IconMinimize) != 0;
    state.SystemMenu = (FBorderIcons & IconSystemMenu) != 0;
    state.ContextHelp = (FBorderIcons & IconHelp) != 0;
    state.DialogFrame = FFrameKind == FrameDialog;
    state.StandardDialog = FFrameKind == FrameDialog;
    bool enabled = true;
    button.Visible = CaptionButtonVisible(button.Element, state, enabled);
    button.Enabled = enabled;
}

void TVidAvevForm::PaintButton(TWinSysButton& button) {
    if (FHandle && button.Rect.isValid()) FHandle->update(button.Rect);
}

bool TVidAvevForm::HandleMouse(QMouseEvent& event) {
    const QPoint p = event.position().toPoint();
    const QPoint global = event.globalPosition().toPoint();
    if (FDragging) {
        if (event.type() == QEvent::MouseMove) MoveWithMouse(event);
        if (event.type() == QEvent::MouseButtonRelease) FDragging = false;
        return true;
    }
    const bool inFrame = !FHandle->contentsRect().contains(p) && FHandle->rect().contains(p);
    if (!inFrame && !(FHot && FHot->State == TNCObject::StatePressed)) {
        if (event.type() == QEvent::MouseMove && FHot) FHot->Leave();
        return false;
    }
    const bool caption = p.y() < FTopHeight + FMenuHeight;
    TWinSysButton* button = CaptionButtonAt(p);
    switch (event.type()) {
        case QEvent::MouseMove:
            if ((event.buttons() & Qt::LeftButton) && !FDragStart.isNull() && !FHot) {
                if ((global - FDragStart).manhattanLength() >= QApplication::startDragDistance()) {
                    FDragStart = QPoint();
                    QWindow* handle = FHandle->windowHandle();
                    if (!handle || !handle->startSystemMove()) {
                        FDragging = true;
                        FDragOffset = global - FHandle->pos();
                    }
                }
                return true;
            }
            // An inactive window's frame does not follow the mouse.
            if (!FWindowActive) return true;
            if (button && !(FHot && FHot->State == TNCObject::StatePressed && FHot != button))
                button->Enter();
            else if (FHot && FHot->State != TNCObject::StatePressed)
                FHot->Leave();
            return true;
        case QEvent::MouseButtonPress:
            if (FSkinData) FSkinData->HideButtonHint();
            FDragStart = QPoint();
            if (event.button() == Qt::RightButton) {
                if (caption && !button) ShowSystemMenu(global);
                return true;
            }
            if (event.button() != Qt::LeftButton) return true;
            if (button) {
                if (!FWindowActive) FHandle->activateWindow();
                button->Press();
                return true;
            }
            // A maximised window is not dragged by its caption.
            if (caption && FWindowState == WindowNormal) FDragStart = global;
            return true;
        case QEvent::MouseButtonRelease:
            if (FSkinData) FSkinData->HideButtonHint();
            FDragStart = QPoint();
            if (event.button() != Qt::LeftButton) return true;
            if (FHot && button == FHot) {
                button->Release();
                DoCaptionAction(global);
            } else if (FHot && FHot->State == TNCObject::StatePressed) {
                // Released away from the pressed button: no action.
                FHot->Leave();
            }
            return true;
        case QEvent::MouseButtonDblClick:
            if (event.button() != Qt::LeftButton) return true;
            if (button) {
                if (IconAction(button->Element.Action)) CloseWindow();
                return true;
            }
            if (!caption) return true;
            if (FWindowState != WindowNormal)
                RestoreWindow();
            else if (FBorderIcons & IconMaximize)
                ToggleMaximize();
            return true;
        default: return false;
    }
}

void TVidAvevForm::MoveWithMouse(QMouseEvent& event) { FHandle->move(event.globalPosition().toPoint() - FDragOffset); }

void TVidAvevForm::DoCaptionAction(QPoint screenPoint) {
    if (!FHot) return;
    auto* button = static_cast<TWinSysButton*>(FHot);
    const int action = button->Element.Action;
    switch (action) {
        case 0: CloseWindow(); break;
        case 1:
        case 22:
            if (button->Enabled) ToggleMaximize();
            break;
        case 2:
        case 23:
            if (button->Enabled) ToggleMinimize();
            break;
        case 3:
        case 11:
        case 12: ShowSystemMenu(screenPoint + QPoint(1, 1)); break;
        case 4: QTimer::singleShot(0, this, [] { QWhatsThis::enterWhatsThisMode(); }); break;
        // The child-window buttons have no child windows to act on here.
        case 7:
        case 8:
        case 9:
        case 60:
        case 61:
        case 62: break;
        default: QCoreApplication::postEvent(FHandle, new TSkinActionEvent(action)); break;
    }
}

namespace {

// Window commands run after the click that asked for them, as posted commands would.
void Later(QWidget* window, void (QWidget::*command)()) {
    QTimer::singleShot(0, window, [w = QPointer<QWidget>(window), command] {
        if (w) (w.data()->*command)();
    });
}

}  // namespace

void TVidAvevForm::ToggleMaximize() {
    if (FWindowState == WindowMaximised) {
        RestoreWindow();
        return;
    }
    FWindowState = WindowMaximised;
    FHot = nullptr;
    Later(FHandle, &QWidget::showMaximized);
}

void TVidAvevForm::ToggleMinimize() {
    if (FWindowState == WindowMinimised) {
        RestoreWindow();
        return;
    }
    FWindowState = WindowMinimised;
    if (FHot) FHot->Leave();
    Later(FHandle, &QWidget::showMinimized);
}

void TVidAvevForm::RestoreWindow() {
    FWindowState = WindowNormal;
    Later(FHandle, &QWidget::showNormal);
}

void TVidAvevForm::ShowSystemMenu(QPoint screenPoint) {
    if (!FHandle) return;
    if (!FLastMenuTick.isValid() || FLastMenuTick.elapsed() > FDoubleClickTime) {
        FLastMenuTick.start();
        BuildSystemMenu();
        if (FSystemPopup) FSystemPopup->popup(screenPoint);
        return;
    }
    // A second opening from the icon button within the double-click time closes the window.
    if (FHot) CloseWindow();
}

void TVidAvevForm::BuildSystemMenu() {
    FSystemPopup.reset();
    if (!(FBorderIcons & IconSystemMenu)) return;
    FSystemPopup = std::make_unique<QMenu>();
    FSystemPopup->setObjectName("SystemMenu");
    for (const TSystemMenuItem& item : SystemMenuItems) {
        if (item.Tag == miMaximize && !(FBorderIcons & IconMaximize)) continue;
        if (item.Tag == miMinimize && !(FBorderIcons & IconMinimize)) continue;
        if (item.Tag == 100) {
            FSystemPopup->addSeparator();
            continue;
        }
        QAction* action = FSystemPopup->addAction(QString::fromLatin1(item.Caption));
        action->setData(item.Tag);
        if (FSkinData && static_cast<size_t>(item.Tag) < FSkinData->FMenuImages.Images.size())
            action->setIcon(QIcon(QPixmap::fromImage(FSkinData->FMenuImages.Images[static_cast<size_t>(item.Tag)])));
        switch (item.Tag) {
            case miRestore:
                action->setEnabled(FWindowState != WindowNormal);
                connect(action, &QAction::triggered, this, [this] { RestoreWindow(); });
                break;
            case miMaximize:
                action->setEnabled(FWindowState != WindowMaximised);
                connect(action, &QAction::triggered, this, [this] { ToggleMaximize(); });
                break;
            case miMinimize:
                action->setEnabled(FWindowState != WindowMinimised);
                connect(action, &QAction::triggered, this, [this] { ToggleMinimize(); });
                break;
            default:
                action->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
                connect(action, &QAction::triggered, this, [this] { CloseWindow(); });
                break;
        }
    }
}

void TVidAvevForm::HoverTimer() {
    if (!FHandle || !FHot || !FSkinData) return;
    const QPoint cursor = QCursor::pos();
    const QPoint p = FHandle->mapFromGlobal(cursor);
    if (!FHot->Rect.contains(p)) {
        FHot->Leave();
        FHot = nullptr;
        FSkinData->FHintTime = 0;
        FSkinData->HideButtonHint();
        return;
    }
    auto* button = dynamic_cast<TWinSysButton*>(FHot);
    if (!button) return;
    FSkinData->FHintTime += HoverIntervalMs;
    const int shown = 2 * HintPauseMs;
    if (FSkinData->FHintTime >= shown && FSkinData->FHintTime < shown + HintHidePauseMs) {
        const std::string hint = CaptionActionHint(button->Element.Action);
        if (!hint.empty())
            FSkinData->ShowButtonHint(QRect(button->Rect.left() + FHandle->x(), cursor.y() + 24, 0, 0), hint);
    } else if (FSkinData->FHintTime >= shown + HintHidePauseMs) {
        FSkinData->HideButtonHint();
    }
}

}  // namespace skin
