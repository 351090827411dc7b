#pragma once

#include <QRect>
#include <QWidget>

namespace skin {

// Which scroll bar of a window is asked for: the window's own bars, or the window itself
// when it is a scroll-bar control.
enum class TScrollBarObject { HScroll, VScroll, Client };

inline constexpr unsigned STATE_SYSTEM_UNAVAILABLE = 0x1;
inline constexpr unsigned STATE_SYSTEM_INVISIBLE = 0x8000;

// A scroll bar's place and thumb: the bar in screen coordinates, the size of an arrow button,
// the thumb's start and end along the bar measured from the bar's start, and the bar's state.
struct TScrollBarInfo {
    QRect rcScrollBar;
    int dxyLineButton = 0;
    int xyThumbTop = 0;
    int xyThumbBottom = 0;
    unsigned State = 0;
};

// The widget whose native window this is; none for a zero handle or a window of no widget.
QWidget* FindControlOfWindow(WId window);
// The scroll bar of a window: false when it has no such bar.
bool GetScrollBarInfoIfAny(QWidget* window, TScrollBarObject object, TScrollBarInfo& info);
// Asks for one leave notification (a QEvent::Leave) for the window. Leaving is reported by
// the toolkit as it happens; a mouse that is already elsewhere is reported at once, so a
// skinner never keeps a hover look the mouse has left. False without a window.
bool TrackMouseLeave(QWidget* window);

}  // namespace skin
