#include "console/form1_layout.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPalette>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "console/form1.h"
#include "console/form1_layout_kit.h"

namespace console {

namespace {

constexpr int ClientWidth = 570;
constexpr int ClientHeight = 596;

struct TPanelSpec {
    const char* Text;
    int Width;
};

// Captions and their fields alternate; the last field, which shows the longest texts (model,
// statistics, card messages), takes what the others leave free.
constexpr TPanelSpec StatusPanels[] = {{"端口状态：", 60}, {"", 60}, {"模式：", 40}, {"", 60},
                                       {"通讯状态：", 60}, {"", 60}, {"统计：", 40}, {"", 50}};

void BuildStatusBar(Tform1& form) {
    form.StatusBar1 = new TStatusBar("StatusBar1", &form);
    form.StatusBar1->setStyleSheet(
        "QStatusBar { background: #f0f0f0; border-top: 1px solid #c8c8c8; }"
        "QStatusBar::item { border: none; }");
    for (const TPanelSpec& panel : StatusPanels) form.StatusBar1->AddPanel(QString::fromUtf8(panel.Text), panel.Width);
    const int last = form.StatusBar1->PanelCount() - 1;
    for (int i = 0; i < last; ++i) {
        auto* panel = form.StatusBar1->findChild<QLabel*>(QString("StatusBar1Panel%1").arg(i));
        if (panel != nullptr) panel->setFixedWidth(std::max(StatusPanels[i].Width, panel->sizeHint().width()));
    }
}

void CentreOnScreen(QWidget& window) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect available = screen->availableGeometry();
    window.move(available.center() - QPoint(window.width() / 2, window.height() / 2));
}

}  // namespace

void Tform1::CreateComponents() {
    setObjectName("form1");
    setWindowTitle("Ombrix-Z200");
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);

    Client = new QWidget(this);
    Client->setObjectName("Client");
    Client->setFixedSize(ClientWidth, ClientHeight);
    BuildStatusBar(*this);

    auto* window = new QVBoxLayout(this);
    window->setContentsMargins(0, 0, 0, 0);
    window->setSpacing(0);
    window->addWidget(Client);
    window->addWidget(StatusBar1);

    auto* columns = new QHBoxLayout(Client);
    columns->setContentsMargins(layout::Spacing, layout::Spacing, layout::Spacing, layout::Spacing);
    columns->setSpacing(layout::Spacing + 2);
    columns->addWidget(layout::BuildLeftColumn(*this, Client));

    // Every page lies in the same cell; the page buttons decide which one is visible.
    auto* pages = new QGridLayout;
    pages->setContentsMargins(0, 0, 0, 0);
    pages->addWidget(layout::BuildParameterPage(*this, Client), 0, 0);
    pages->addWidget(layout::BuildAlarmPage(*this, Client), 0, 0);
    pages->addWidget(layout::BuildHistoryPage(*this, Client), 0, 0);
    pages->addWidget(layout::BuildCardPage(*this, Client), 0, 0);
    pages->addWidget(layout::BuildReportPage(*this, Client), 0, 0);
    pages->addWidget(layout::BuildAdvancedPage(*this, Client), 0, 0);
    columns->addLayout(pages, 1);

    columns->addWidget(layout::BuildRightColumn(*this, Client));

    setFixedSize(ClientWidth, ClientHeight + StatusBar1->sizeHint().height());
    CentreOnScreen(*this);
}

}  // namespace console
