#include "platform/dialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace platform {
namespace {

QString Text(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

class TQtDialogs : public TDialogs {
public:
    void ShowMessage(const std::string& text) override {
        QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), Text(text), QMessageBox::Ok,
                        QApplication::activeWindow());
        box.exec();
    }

    int MessageBox(const std::string& text, const std::string& caption, uint32_t flags) override {
        const bool okCancel = (flags & 0xF) == MB_OKCANCEL;
        QMessageBox box(flags & MB_ICONQUESTION ? QMessageBox::Question : QMessageBox::NoIcon, Text(caption),
                        Text(text), okCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok,
                        QApplication::activeWindow());
        if (okCancel) box.setDefaultButton(flags & MB_DEFBUTTON2 ? QMessageBox::Cancel : QMessageBox::Ok);
        if (flags & MB_TOPMOST) box.setWindowFlag(Qt::WindowStaysOnTopHint);
        return box.exec() == QMessageBox::Ok ? IDOK : IDCANCEL;
    }

    std::string InputBox(const std::string& caption, const std::string& prompt,
                         const std::string& defaultText) override {
        bool ok = false;
        const QString text = QInputDialog::getText(QApplication::activeWindow(), Text(caption), Text(prompt),
                                                   QLineEdit::Normal, Text(defaultText), &ok);
        return ok ? text.toStdString() : std::string();
    }

    void ShowError(const std::string& text) override {
        QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationName(), Text(text));
    }
};

std::unique_ptr<TDialogs>& Current() {
    static std::unique_ptr<TDialogs> current = std::make_unique<TQtDialogs>();
    return current;
}

}  // namespace

TDialogs& Dialogs() { return *Current(); }

std::unique_ptr<TDialogs> SetDialogs(std::unique_ptr<TDialogs> dialogs) {
    std::unique_ptr<TDialogs> previous = std::move(Current());
    Current() = dialogs ? std::move(dialogs) : std::make_unique<TQtDialogs>();
    return previous;
}

}  // namespace platform
