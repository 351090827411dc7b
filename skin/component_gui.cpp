#include <QApplication>
#include <QFontMetrics>
#include <QIcon>
#include <QLabel>
#include <QPainter>

#include "skin/skin_colours.h"
#include "skin/skin_data.h"

// The parts of the skin component that need the widget toolkit: the caption-button hint and
// the icon bitmap of the caption.
namespace skin {

namespace {

// The hint's text sits this far inside its window, as the toolkit's own hints place it.
constexpr int HintPadX = 3;
constexpr int HintPadY = 1;

}  // namespace

void TSkinData::ShowButtonHint(const QRect& rect, const std::string& text) {
    if (!Options_.Has(TSkinOption::xoCaptionButtonHint) || FHintShowing) return;
    if (!FHintWindow) {
        FHintWindow = std::make_unique<QLabel>(nullptr, Qt::ToolTip | Qt::FramelessWindowHint);
        FHintWindow->setForegroundRole(QPalette::ToolTipText);
        FHintWindow->setBackgroundRole(QPalette::ToolTipBase);
        FHintWindow->setPalette(QApplication::palette("QToolTip"));
        FHintWindow->setAutoFillBackground(true);
        FHintWindow->setWordWrap(true);
        FHintWindow->setTextFormat(Qt::PlainText);
        FHintWindow->setContentsMargins(HintPadX, HintPadY, HintPadX, HintPadY);
    }
    const QString hint = QString::fromUtf8(text);
    const QFontMetrics metrics(FHintWindow->font());
    QRect bounds = metrics.boundingRect(QRect(0, 0, HintMaxWidth, 0), Qt::AlignLeft | Qt::TextWordWrap, hint);
    bounds.adjust(0, 0, 2 * HintPadX, 2 * HintPadY);
    bounds.translate(rect.left() - bounds.left(), rect.top() - bounds.top());
    FHintWindow->setText(hint);
    FHintWindow->setGeometry(bounds);
    FHintWindow->show();
    FHintShowing = true;
}

void TSkinData::HideButtonHint() {
    if (!FHintShowing) return;
    FHintWindow->hide();
    FHintShowing = false;
}

void TSkinData::MakeIconBitmap() {
    if (!qGuiApp) return;
    const QIcon icon = QGuiApplication::windowIcon();
    if (icon.isNull()) return;
    QImage bitmap(SmallIconSize, SmallIconSize, QImage::Format_RGB888);
    bitmap.fill(QColor(RedOf(KeyColour), GreenOf(KeyColour), BlueOf(KeyColour)));
    {
        QPainter painter(&bitmap);
        icon.paint(&painter, QRect(0, 0, SmallIconSize, SmallIconSize));
    }
    FIconBitmap = std::move(bitmap);
}

}  // namespace skin
