#include "skin/window_services.h"

#include <QAbstractScrollArea>
#include <QCoreApplication>
#include <QCursor>
#include <QEvent>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>

namespace skin {

namespace {

QScrollBar* ScrollBarOf(QWidget* window, TScrollBarObject object) {
    if (object == TScrollBarObject::Client) return qobject_cast<QScrollBar*>(window);
    auto* area = qobject_cast<QAbstractScrollArea*>(window);
    if (!area) return nullptr;
    return object == TScrollBarObject::HScroll ? area->horizontalScrollBar() : area->verticalScrollBar();
}

}  // namespace

QWidget* FindControlOfWindow(WId window) {
    if (window == 0) return nullptr;
    return QWidget::find(window);
}

bool GetScrollBarInfoIfAny(QWidget* window, TScrollBarObject object, TScrollBarInfo& info) {
    if (!window) return false;
    QScrollBar* bar = ScrollBarOf(window, object);
    if (!bar) return false;
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.subControls = QStyle::SC_All;
    option.orientation = bar->orientation();
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = bar->sliderPosition();
    option.sliderValue = bar->value();
    option.singleStep = bar->singleStep();
    option.pageStep = bar->pageStep();
    option.upsideDown = bar->invertedAppearance();
    if (bar->orientation() == Qt::Horizontal) option.state |= QStyle::State_Horizontal;
    QStyle* style = bar->style();
    const QRect arrow = style->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSubLine, bar);
    const QRect thumb = style->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, bar);
    const bool vertical = bar->orientation() == Qt::Vertical;
    info.rcScrollBar = QRect(bar->mapToGlobal(QPoint(0, 0)), bar->size());
    info.dxyLineButton = vertical ? arrow.height() : arrow.width();
    info.xyThumbTop = vertical ? thumb.top() : thumb.left();
    info.xyThumbBottom = vertical ? thumb.bottom() + 1 : thumb.right() + 1;
    info.State = 0;
    if (!bar->isVisibleTo(window->window())) info.State |= STATE_SYSTEM_INVISIBLE;
    if (!bar->isEnabled() || bar->minimum() == bar->maximum()) info.State |= STATE_SYSTEM_UNAVAILABLE;
    return true;
}

bool TrackMouseLeave(QWidget* window) {
    if (!window) return false;
    const bool over = window->isVisible() && window->rect().contains(window->mapFromGlobal(QCursor::pos()));
    if (!over) QCoreApplication::postEvent(window, new QEvent(QEvent::Leave));
    return true;
}

}  // namespace skin
