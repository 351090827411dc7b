#include "skin/caption_buttons.h"

#include "skin/skin_data.h"
#include "skin/skin_objects.h"
#include "skin/vidavev_form.h"

namespace skin {

namespace {

bool Holds(int code, const TCaptionWindowState& s, bool second) {
    const bool minMax = s.MinimizeBox || s.MaximizeBox;
    switch (code) {
        case 0: return true;
        case 1: return s.Maximised;
        case 2: return !s.Maximised;
        case 3: return s.Active;
        case 4: return !s.Active;
        case 6:
        case 8: return second ? minMax : minMax && s.SystemMenu;
        case 7: return !s.MaximizeBox;
        case 9: return !s.MinimizeBox;
        case 10: return second ? s.ContextHelp : s.ContextHelp && !minMax;
        // Child-window (MDI) buttons: this engine skins no MDI frames.
        case 100: return false;
        case 200: return s.DialogFrame && !s.StandardDialog;
        // Our unsettled case is fixed as "never".
        case -1: return false;
        default:
            // 1000 to 2000 ask the application, which answers none of them here.
            return code >= 201 && code <= 999;
    }
}

}  // namespace

void TNCObject::Press() {
    if (Owner.Hot() && Owner.Hot() != this) Owner.Hot()->Leave();
    if (!Visible) return;
    Owner.SetHot(this);
    State = StatePressed;
    Paint();
}

void TNCObject::Release() {
    if (!Visible) return;
    State = StateHot;
    Paint();
}

void TNCObject::Enter() {
    if (Owner.Hot() == this) return;
    if (Owner.Hot()) Owner.Hot()->Leave();
    if (!Visible) return;
    Owner.SetHot(this);
    State = StateHot;
    Paint();
}

void TNCObject::Leave() {
    if (!Visible) return;
    Owner.SetHot(nullptr);
    State = StateNormal;
    Paint();
    if (TSkinData* data = Owner.SkinData()) {
        data->FHintTime = 0;
        data->HideButtonHint();
    }
}

void TWinSysButton::Paint() { Owner.PaintButton(*this); }

bool CaptionButtonVisible(const TDataSkinSysButton& element, const TCaptionWindowState& state, bool& enabled) {
    if (!Holds(element.Visibility, state, false) || !Holds(element.Visibility1, state, true)) return false;
    switch (element.Action) {
        case 0: return state.SystemMenu;
        case 1:
        case 22: enabled = state.MaximizeBox && state.SystemMenu; return true;
        case 2:
        case 23: enabled = state.MinimizeBox && state.SystemMenu; return true;
        case 3:
        case 11:
        case 12: return !state.DialogFrame;
        default: return true;
    }
}

std::string CaptionActionHint(int action) {
    switch (action) {
        case 0:
        case 9:
        case 62: return "Close";
        case 1:
        case 22: return "Maximize";
        case 2:
        case 23:
        case 7:
        case 60: return "Minimize";
        case 8:
        case 61: return "Restore";
        default: return {};
    }
}

QRect CaptionButtonRect(const TDataSkinSysButton& element, int windowWidth, const QRect& captionRect) {
    const int frames = element.FrameCount > 0 ? element.FrameCount : 1;
    const int w = element.Image.width() / frames, h = element.Image.height();
    int x = 0, y = 0;
    switch (element.Align) {
        case 0: x = element.Xcoord, y = element.Ycoord; break;
        case 1: x = windowWidth - element.Xcoord, y = element.Ycoord; break;
        case 2:
        case 8: x = captionRect.left() - w - element.Xcoord, y = element.Ycoord; break;
        case 3:
        case 9: x = captionRect.right() + 1 + element.Xcoord, y = element.Ycoord; break;
        default: break;
    }
    return QRect(x, y, w, h);
}

}  // namespace skin
