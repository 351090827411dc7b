// The window services of the skinners: finding a window's widget, scroll-bar geometry and the
// mouse-leave request.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QScrollArea>
#include <QScrollBar>

#include "skin/window_services.h"

namespace skin {
namespace {

TEST(FindControlOfWindow, FindsTheWidgetOfANativeWindow) {
    EXPECT_EQ(FindControlOfWindow(0), nullptr);
    QWidget form;
    QWidget* child = new QWidget(&form);
    const WId formId = form.winId();
    const WId childId = child->winId();
    EXPECT_EQ(FindControlOfWindow(formId), &form);
    EXPECT_EQ(FindControlOfWindow(childId), child);
}

// A shown scroll area whose contents need a vertical bar and never show a horizontal one.
class ScrollBars : public ::testing::Test {
protected:
    ScrollBars() {
        auto* contents = new QWidget;
        contents->resize(100, 2000);
        Area.setWidget(contents);
        Area.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        Area.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        Area.setGeometry(50, 60, 200, 300);
        Area.show();
        QApplication::processEvents();
    }
    QScrollArea Area;
};

TEST_F(ScrollBars, VerticalBarGeometryFollowsTheThumb) {
    TScrollBarInfo info;
    ASSERT_TRUE(GetScrollBarInfoIfAny(&Area, TScrollBarObject::VScroll, info));
    QScrollBar* bar = Area.verticalScrollBar();
    EXPECT_EQ(info.rcScrollBar, QRect(bar->mapToGlobal(QPoint(0, 0)), bar->size()));
    EXPECT_EQ(info.State, 0u);
    EXPECT_GE(info.xyThumbTop, info.dxyLineButton);
    EXPECT_GT(info.xyThumbBottom, info.xyThumbTop);
    EXPECT_LE(info.xyThumbBottom, bar->height());

    const int top = info.xyThumbTop;
    bar->setValue(bar->maximum());
    ASSERT_TRUE(GetScrollBarInfoIfAny(&Area, TScrollBarObject::VScroll, info));
    EXPECT_GT(info.xyThumbTop, top);
    EXPECT_LE(info.xyThumbBottom, bar->height() - info.dxyLineButton);
}

TEST_F(ScrollBars, StatesAndMissingBars) {
    TScrollBarInfo info;
    ASSERT_TRUE(GetScrollBarInfoIfAny(&Area, TScrollBarObject::HScroll, info));
    EXPECT_TRUE(info.State & STATE_SYSTEM_INVISIBLE);

    QScrollBar control(Qt::Horizontal, &Area);
    control.setRange(0, 0);
    ASSERT_TRUE(GetScrollBarInfoIfAny(&control, TScrollBarObject::Client, info));
    EXPECT_TRUE(info.State & STATE_SYSTEM_UNAVAILABLE);
    control.setRange(0, 10);
    ASSERT_TRUE(GetScrollBarInfoIfAny(&control, TScrollBarObject::Client, info));
    EXPECT_FALSE(info.State & STATE_SYSTEM_UNAVAILABLE);

    QWidget plain;
    EXPECT_FALSE(GetScrollBarInfoIfAny(&plain, TScrollBarObject::VScroll, info));
    EXPECT_FALSE(GetScrollBarInfoIfAny(&Area, TScrollBarObject::Client, info));
    EXPECT_FALSE(GetScrollBarInfoIfAny(nullptr, TScrollBarObject::VScroll, info));
}

class LeaveCounter : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Leave) ++Leaves;
        return false;
    }
    int Leaves = 0;
};

TEST(TrackMouseLeave, ReportsAtOnceWhenTheMouseIsElsewhere) {
    EXPECT_FALSE(TrackMouseLeave(nullptr));
    QWidget button;
    button.setGeometry(100, 100, 80, 24);
    button.show();
    QApplication::processEvents();
    LeaveCounter counter;
    button.installEventFilter(&counter);

    QCursor::setPos(button.mapToGlobal(QPoint(10, 10)));
    ASSERT_EQ(QCursor::pos(), button.mapToGlobal(QPoint(10, 10))) << "the platform cannot place the cursor";
    EXPECT_TRUE(TrackMouseLeave(&button));
    QApplication::processEvents();
    EXPECT_EQ(counter.Leaves, 0);

    // The toolkit reports the mouse leaving by itself; asking after that reports it once more,
    // at once, since the mouse is no longer over the button.
    QCursor::setPos(button.mapToGlobal(QPoint(300, 300)));
    QApplication::processEvents();
    const int reported = counter.Leaves;
    EXPECT_TRUE(TrackMouseLeave(&button));
    QApplication::processEvents();
    EXPECT_EQ(counter.Leaves, reported + 1);
}

}  // namespace
}  // namespace skin
