#pragma once

#include <QEvent>

namespace skin {

// The engine's private window messages, as events of types registered with the toolkit: no
// number can collide with one of the toolkit's own or of another library.
enum class TSkinEvent {
    Start,         // posted once the skinner is attached: start skinning
    Query,         // sent before skinning: accepted by a window that is skinned already
    Refresh,       // the skin data changed: skin again from it
    PaintFrame,    // paint the frame again
    CustomAction,  // a caption button with an action of the application's own was clicked
};

QEvent::Type SkinEventType(TSkinEvent event);

// A custom caption action: the button's Action value.
class TSkinActionEvent : public QEvent {
public:
    explicit TSkinActionEvent(int action) : QEvent(SkinEventType(TSkinEvent::CustomAction)), Action(action) {}
    const int Action;
};

}  // namespace skin
