#include "skin/text_draw.h"

#include <QFontMetrics>
#include <QPainter>
#include <QString>

#include "base/text_encoding.h"

namespace skin {

namespace {

int QtFlags(unsigned format) {
    int flags = 0;
    if (format & DT_CENTER)
        flags |= Qt::AlignHCenter;
    else if (format & DT_RIGHT)
        flags |= Qt::AlignRight;
    else
        flags |= Qt::AlignLeft;
    // Vertical placement applies to a single line only, as it does in the painters' text call.
    if ((format & DT_SINGLELINE) && (format & DT_VCENTER))
        flags |= Qt::AlignVCenter;
    else if ((format & DT_SINGLELINE) && (format & DT_BOTTOM))
        flags |= Qt::AlignBottom;
    else
        flags |= Qt::AlignTop;
    if (format & DT_SINGLELINE)
        flags |= Qt::TextSingleLine;
    else if (format & DT_WORDBREAK)
        flags |= Qt::TextWordWrap;
    if (format & DT_EXPANDTABS) flags |= Qt::TextExpandTabs;
    if (format & DT_NOCLIP) flags |= Qt::TextDontClip;
    if (!(format & DT_NOPREFIX)) flags |= Qt::TextShowMnemonic;
    return flags;
}

}  // namespace

int DrawTextAuto(QPainter& painter, std::u16string_view text, QRect& rect, unsigned format) {
    QString string = QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
    const int flags = QtFlags(format);
    const QFontMetrics metrics(painter.font());
    if ((format & DT_END_ELLIPSIS) && !(format & DT_CALCRECT))
        string = metrics.elidedText(string, Qt::ElideRight, rect.width(), flags & Qt::TextShowMnemonic);
    if (format & DT_CALCRECT) {
        // Without a word break the width is the text's own; with one it stays the rectangle's.
        const int width = (format & DT_WORDBREAK) && !(format & DT_SINGLELINE) ? rect.width() : 0x3FFFFFFF;
        const QRect bounds = metrics.boundingRect(QRect(rect.left(), rect.top(), width, 0), flags, string);
        if (!(format & DT_WORDBREAK) || (format & DT_SINGLELINE)) rect.setWidth(bounds.width());
        rect.setHeight(bounds.height());
        return bounds.height();
    }
    const Qt::LayoutDirection direction = painter.layoutDirection();
    if (format & DT_RTLREADING) painter.setLayoutDirection(Qt::RightToLeft);
    QRect drawn;
    painter.drawText(rect, flags, string, &drawn);
    painter.setLayoutDirection(direction);
    // Text placed lower than the top reports how far down its last line reaches.
    if (flags & (Qt::AlignVCenter | Qt::AlignBottom)) return drawn.bottom() + 1 - rect.top();
    return drawn.height();
}

std::u16string AnsiToWide(std::string_view text) { return base::Utf8ToUtf16(text); }

std::u16string WideCopy(const char16_t* buffer, int count) {
    if (!buffer) return {};
    const std::u16string_view whole(buffer);
    if (count < 0) return std::u16string(whole);
    return std::u16string(whole.substr(0, static_cast<size_t>(count)));
}

}  // namespace skin
