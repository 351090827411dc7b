#include "console/widgets.h"

#include <QHBoxLayout>
#include <QMouseEvent>

namespace console {

class TLabeledEdit::TEdit : public QLineEdit {
public:
    TEdit(TLabeledEdit& owner) : QLineEdit(&owner), Owner_(owner) {}

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override {
        QLineEdit::mouseDoubleClickEvent(event);
        if (Owner_.OnDblClick) Owner_.OnDblClick();
    }

private:
    TLabeledEdit& Owner_;
};

TLabeledEdit::TLabeledEdit(const QString& name, const QString& caption, QWidget* parent)
    : QWidget(parent), Label_(new QLabel(caption, this)), Edit_(new TEdit(*this)) {
    setObjectName(name);
    Edit_->setObjectName(name + "Edit");
    Label_->setBuddy(Edit_);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(Label_);
    layout->addWidget(Edit_, 1);
}

TClickLabel::TClickLabel(const QString& name, const QString& text, QWidget* parent) : QLabel(text, parent) {
    setObjectName(name);
    setCursor(Qt::PointingHandCursor);
}

void TClickLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && OnClick) OnClick();
}

TStatusBar::TStatusBar(const QString& name, QWidget* parent) : QStatusBar(parent) {
    setObjectName(name);
    setSizeGripEnabled(false);
}

void TStatusBar::AddPanel(const QString& text, int width) {
    auto* panel = new QLabel(text, this);
    panel->setObjectName(objectName() + "Panel" + QString::number(Panels_.size()));
    panel->setMinimumWidth(width);
    addWidget(panel, width);
    Panels_.push_back(panel);
}

QString TStatusBar::PanelText(int index) const {
    return index >= 0 && index < PanelCount() ? Panels_[static_cast<size_t>(index)]->text() : QString();
}

void TStatusBar::SetPanelText(int index, const QString& text) {
    if (index >= 0 && index < PanelCount()) Panels_[static_cast<size_t>(index)]->setText(text);
}

}  // namespace console
