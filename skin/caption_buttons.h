#pragma once

#include <QRect>
#include <string>

namespace skin {

class TDataSkinSysButton;
class TVidAvevForm;

// A clickable object of the skinned frame.
class TNCObject {
public:
    explicit TNCObject(TVidAvevForm& owner) : Owner(owner) {}
    virtual ~TNCObject() = default;

    virtual void Press();
    virtual void Release();
    virtual void Enter();
    virtual void Leave();
    virtual void Paint() {}

    enum : int { StateNormal = 1, StatePressed = 2, StateHot = 3 };
    TVidAvevForm& Owner;
    QRect Rect;  // frame coordinates
    bool Visible = false;
    int State = StateNormal;
    bool Enabled = true;
};

// One caption button of the skin.
class TWinSysButton : public TNCObject {
public:
    TWinSysButton(TVidAvevForm& owner, TDataSkinSysButton& element) : TNCObject(owner), Element(element) {}
    void Paint() override;
    TDataSkinSysButton& Element;
};

// What decides whether a caption button shows.
struct TCaptionWindowState {
    bool Maximised = false;
    bool Active = true;
    bool MaximizeBox = false;
    bool MinimizeBox = false;
    bool SystemMenu = false;
    bool ContextHelp = false;
    bool DialogFrame = false;
    bool StandardDialog = false;
};

// Visibility of a button by its two conditions and its action's rules; Enabled is set for the
// maximise and minimise actions.
bool CaptionButtonVisible(const TDataSkinSysButton& element, const TCaptionWindowState& state, bool& enabled);
// The hint of a caption action; empty for actions without one.
std::string CaptionActionHint(int action);
// The button's rectangle in frame coordinates by its anchor.
QRect CaptionButtonRect(const TDataSkinSysButton& element, int windowWidth, const QRect& captionRect);

}  // namespace skin
