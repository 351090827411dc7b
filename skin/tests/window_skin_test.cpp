// The window skinner with our own skin on the offscreen platform: taking a window over and
// giving it back, its frame, shape and caption buttons, and the manager's bookkeeping.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <QWindow>

#include "skin/caption_buttons.h"
#include "skin/element_paint.h"
#include "skin/skin_data.h"
#include "skin/skin_events.h"
#include "skin/skin_manage.h"
#include "skin/skin_objects.h"
#include "skin/vidavev_form.h"
#include "skin_test_support.h"

namespace skin {
namespace {

using namespace skin::testing;

constexpr QSize ClientSize(320, 200);

class WindowSkinTest : public ::testing::Test {
protected:
    void SetUp() override {
        TSkinManage::Install();
        Data = std::make_unique<TSkinData>();
        Data->SetActive(true);
        Data->SetSkinStreamBytes(ReadFileBytes(OMBRIX_SKIN_PACKAGE));
        ASSERT_TRUE(Data->LoadSkin()) << Data->LoadError();
        Data->Loaded();
        Manager = static_cast<TSkinManage*>(SkinManager());
        ASSERT_NE(Manager, nullptr);
        ASSERT_TRUE(Manager->Active());  // the activate command before any activation
    }
    void TearDown() override {
        FreeSkinManager();
        SetSkinManagerFactory(nullptr);
    }

    // A window laid out like the console's: fixed size, one client widget filling it.
    std::unique_ptr<QWidget> MakeWindow(bool sizable = false) {
        auto window = std::make_unique<QWidget>();
        Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
        if (sizable) flags |= Qt::WindowMaximizeButtonHint;
        window->setWindowFlags(flags);
        window->setWindowTitle("Ombrix-Z200");
        auto* layout = new QVBoxLayout(window.get());
        layout->setContentsMargins(0, 0, 0, 0);
        auto* client = new QWidget;
        client->setObjectName("Client");
        layout->addWidget(client);
        if (sizable) {
            window->resize(ClientSize);
        } else {
            client->setFixedSize(ClientSize);
            window->setFixedSize(ClientSize);
        }
        window->show();
        return window;
    }

    TVidAvevForm& Skin(QWidget& window) {
        EXPECT_TRUE(Manager->SkinWindow(&window));
        QCoreApplication::sendPostedEvents();
        TVidAvevForm* skinner = Manager->FindSkinner(&window);
        EXPECT_NE(skinner, nullptr);
        return *skinner;
    }

    QImage Frame(TVidAvevForm& skinner) {
        QImage image(skinner.Window()->size(), QImage::Format_RGB32);
        image.fill(Qt::black);
        QPainter painter(&image);
        skinner.PaintFrame(painter);
        return image;
    }

    std::unique_ptr<TSkinData> Data;
    TSkinManage* Manager = nullptr;
};

TEST_F(WindowSkinTest, TakesTheWindowOverAroundTheSameClientAndGivesItBack) {
    auto window = MakeWindow();
    QWidget* client = window->findChild<QWidget*>("Client");
    TVidAvevForm& skinner = Skin(*window);
    EXPECT_EQ(skinner.State(), TVidAvevForm::StateActive);
    const QMargins extents(4, 26, 4, 4);  // the side bitmaps' frame widths, the caption, the bottom
    EXPECT_EQ(skinner.Extents(), extents);
    EXPECT_TRUE(window->windowHandle()->flags() & Qt::FramelessWindowHint);
    EXPECT_EQ(window->contentsMargins(), extents);
    EXPECT_EQ(window->size(), ClientSize + QSize(8, 30));
    QCoreApplication::processEvents();
    EXPECT_EQ(client->geometry(), QRect(QPoint(4, 26), ClientSize));
    EXPECT_TRUE(skinner.HasRegion());

    // Asking again gives no second skinner.
    QEvent query(SkinEventType(TSkinEvent::Query));
    query.ignore();
    QCoreApplication::sendEvent(window.get(), &query);
    EXPECT_TRUE(query.isAccepted());
    EXPECT_FALSE(Manager->SkinWindow(window.get()));

    // Switching the skin off: the standard frame, no mask and the same client size.
    Data->SetActive(false);
    EXPECT_EQ(Manager->PendingCommand(), TSkinManage::CommandDeactivate);
    Manager->RunCommand();
    EXPECT_EQ(Manager->FindSkinner(window.get()), nullptr);
    EXPECT_FALSE(window->windowHandle()->flags() & Qt::FramelessWindowHint);
    EXPECT_EQ(window->contentsMargins(), QMargins());
    EXPECT_EQ(window->size(), ClientSize);
    EXPECT_TRUE(window->mask().isEmpty());
    EXPECT_FALSE(Manager->SkinWindow(window.get()));  // nothing new is skinned while switched off

    // And on again: every shown window is skinned by the command.
    Data->SetActive(true);
    Manager->RunCommand();
    QCoreApplication::sendPostedEvents();
    ASSERT_NE(Manager->FindSkinner(window.get()), nullptr);
    EXPECT_EQ(window->size(), ClientSize + QSize(8, 30));
}

TEST_F(WindowSkinTest, WindowsLeftAlone) {
    auto tagged = MakeWindow();
    tagged->setProperty("Tag", TSkinManage::NoSkinTag);
    EXPECT_FALSE(Manager->SkinWindow(tagged.get()));
    QMenu menu;
    menu.addAction("x");
    menu.show();
    EXPECT_FALSE(Manager->SkinWindow(&menu));
    QWidget child(tagged.get());
    EXPECT_FALSE(Manager->SkinWindow(&child));
}

TEST_F(WindowSkinTest, ShapeLeavesOutTheSeeThroughCornersOfTheCaption) {
    auto window = MakeWindow();
    TVidAvevForm& skinner = Skin(*window);
    const QRegion mask = window->mask();
    const int w = window->width();
    // The top piece's see-through corners (two pixels wide at its ends), the opaque sides.
    EXPECT_FALSE(mask.contains(QPoint(4, 0)));
    EXPECT_FALSE(mask.contains(QPoint(5, 0)));
    EXPECT_FALSE(mask.contains(QPoint(w - 5, 0)));
    EXPECT_TRUE(mask.contains(QPoint(6, 0)));
    EXPECT_TRUE(mask.contains(QPoint(0, 0)));
    EXPECT_TRUE(mask.contains(QPoint(w / 2, window->height() - 1)));
    EXPECT_EQ(mask.boundingRect(), window->rect());
    EXPECT_EQ(skinner.FrameRegion(window->size()), mask);
}

TEST_F(WindowSkinTest, ActiveAndInactiveFramesUseTheirOwnBitmapFrames) {
    auto window = MakeWindow();
    TVidAvevForm& skinner = Skin(*window);
    const QImage& left = Data->Borders[0]->Image;  // two frames side by side, 4 pixels each
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(window.get(), &activate);
    const QImage active = Frame(skinner);
    QEvent deactivate(QEvent::WindowDeactivate);
    QCoreApplication::sendEvent(window.get(), &deactivate);
    EXPECT_FALSE(skinner.WindowActive());
    const QImage inactive = Frame(skinner);
    const int y = window->height() / 2;  // in the stretched middle of the side border
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(active.pixel(x, y), left.pixel(x, 20)) << x;
        EXPECT_EQ(inactive.pixel(x, y), left.pixel(4 + x, 20)) << x;
    }
    EXPECT_NE(active.pixel(window->width() / 2, 12), inactive.pixel(window->width() / 2, 12));
}

TEST_F(WindowSkinTest, OneRegionPerResize) {
    auto window = MakeWindow(true);
    TVidAvevForm& skinner = Skin(*window);
    const int before = skinner.RegionBuilds();
    window->resize(window->size() + QSize(40, 30));
    QCoreApplication::processEvents();
    EXPECT_EQ(skinner.RegionBuilds(), before + 1);
    EXPECT_EQ(window->mask().boundingRect(), window->rect());
}

TEST_F(WindowSkinTest, ADestroyedWindowTakesItsSkinnerWithIt) {
    auto window = MakeWindow();
    Skin(*window);
    ASSERT_EQ(Manager->Skinners().size(), 1u);
    window.reset();
    Manager->PurgeDead();
    EXPECT_TRUE(Manager->Skinners().empty());
}

void Click(QWidget& window, QPoint p, QEvent::Type type = QEvent::MouseButtonPress) {
    QMouseEvent event(type, QPointF(p), QPointF(window.mapToGlobal(p)), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &event);
}

TEST_F(WindowSkinTest, CaptionButtonsActOnlyWhenReleasedOnThemselves) {
    auto window = MakeWindow();
    TVidAvevForm& skinner = Skin(*window);
    window->activateWindow();
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(window.get(), &activate);
    Frame(skinner);  // lays the buttons out
    const TWinSysButton* close = nullptr;
    const TWinSysButton* minimise = nullptr;
    for (const auto& b : skinner.SysButtons()) {
        if (b->Element.Action == 0) close = b.get();
        if (b->Element.Action == 2) minimise = b.get();
    }
    ASSERT_NE(close, nullptr);
    ASSERT_NE(minimise, nullptr);
    EXPECT_EQ(close->Rect, QRect(window->width() - 27, 4, 22, 18));
    EXPECT_TRUE(close->Visible);

    // Pressed on close, released on minimise: nothing happens.
    Click(*window, close->Rect.center());
    EXPECT_EQ(close->State, TNCObject::StatePressed);
    Click(*window, minimise->Rect.center(), QEvent::MouseButtonRelease);
    QCoreApplication::processEvents();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(close->State, TNCObject::StateNormal);

    // Pressed and released on close: the window closes.
    Click(*window, close->Rect.center());
    Click(*window, close->Rect.center(), QEvent::MouseButtonRelease);
    QCoreApplication::processEvents();
    EXPECT_FALSE(window->isVisible());
}

TEST_F(WindowSkinTest, SystemMenuFollowsTheWindowsButtons) {
    auto window = MakeWindow();
    TVidAvevForm& skinner = Skin(*window);
    skinner.BuildSystemMenu();
    ASSERT_NE(skinner.SystemPopup(), nullptr);
    QStringList items;
    for (QAction* a : skinner.SystemPopup()->actions())
        items << (a->isSeparator() ? "-" : a->text() + (a->isEnabled() ? "" : "(off)"));
    // No maximise box: no maximise item; a normal window has nothing to restore.
    EXPECT_EQ(items, (QStringList{" Restore (off)", " Minimize ", "-", " Close "}));
}

struct TVisibilityCase {
    int Visibility, Visibility1, Action;
    TCaptionWindowState State;
    bool Visible, Enabled;
};

TEST(CaptionButtonVisibility, ConditionsAndActionRules) {
    TCaptionWindowState normal;
    normal.SystemMenu = normal.MinimizeBox = true;
    TCaptionWindowState maximised = normal;
    maximised.Maximised = true;
    maximised.MaximizeBox = true;
    TCaptionWindowState bare;  // no system menu, no boxes
    TCaptionWindowState dialog = normal;
    dialog.DialogFrame = true;
    const TVisibilityCase cases[] = {
        {0, 0, 0, normal, true, true},         // close
        {0, 0, 0, bare, false, true},          // close needs the system menu
        {2, 0, 1, normal, true, false},        // maximise without a maximise box is disabled
        {2, 0, 1, maximised, false, true},     // shown only when not maximised
        {1, 0, 22, maximised, true, true},     // restore
        {6, 0, 2, normal, true, true},         // minimise
        {6, 0, 2, bare, false, true},          // needs a box and the system menu
        {0, 0, 3, dialog, false, true},        // no icon on a dialog frame
        {7, 0, 5, normal, true, true},         // no maximise box
        {9, 0, 5, normal, false, true},        // there is a minimise box
        {0, -1, 5, normal, false, true},       // the unsettled code reads as never
        {500, 0, 5, bare, true, true},         // 201 to 999: always
        {1500, 0, 5, normal, false, true},     // the application answers none
        {100, 100, 7, maximised, false, true}  // child-window buttons: no child windows here
    };
    for (const TVisibilityCase& c : cases) {
        TDataSkinSysButton element;
        element.Visibility = c.Visibility;
        element.Visibility1 = c.Visibility1;
        element.Action = c.Action;
        bool enabled = true;
        EXPECT_EQ(CaptionButtonVisible(element, c.State, enabled), c.Visible) << c.Visibility << "/" << c.Action;
        if (c.Visible) {
            EXPECT_EQ(enabled, c.Enabled) << c.Visibility << "/" << c.Action;
        }
    }
    EXPECT_EQ(CaptionActionHint(0), "Close");
    EXPECT_EQ(CaptionActionHint(22), "Maximize");
    EXPECT_EQ(CaptionActionHint(61), "Restore");
    EXPECT_EQ(CaptionActionHint(3), "");
}

}  // namespace
}  // namespace skin
