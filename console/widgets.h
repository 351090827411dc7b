#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

namespace console {

// A line edit with its caption label beside or above it; the pair is one component whose
// object name is the component's name. Text() and SetText() are the edit's text.
class TLabeledEdit : public QWidget {
public:
    TLabeledEdit(const QString& name, const QString& caption, QWidget* parent);

    QString Text() const { return Edit_->text(); }
    void SetText(const QString& text) { Edit_->setText(text); }
    QLineEdit* Edit() const { return Edit_; }
    QLabel* EditLabel() const { return Label_; }

    // Raised on a double click into the edit.
    std::function<void()> OnDblClick;

private:
    class TEdit;
    QLabel* Label_;
    QLineEdit* Edit_;
};

// A label (text or picture) that reacts to clicks.
class TClickLabel : public QLabel {
public:
    TClickLabel(const QString& name, const QString& text, QWidget* parent);
    std::function<void()> OnClick;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// The window's status bar: panels of fixed width, each a label whose text the console sets
// by index.
class TStatusBar : public QStatusBar {
public:
    TStatusBar(const QString& name, QWidget* parent);
    void AddPanel(const QString& text, int width);
    int PanelCount() const { return static_cast<int>(Panels_.size()); }
    QString PanelText(int index) const;
    void SetPanelText(int index, const QString& text);

private:
    std::vector<QLabel*> Panels_;
};

}  // namespace console
