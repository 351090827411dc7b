#include "console/form1_layout_kit.h"

#include <QFontMetrics>
#include <algorithm>

namespace console::layout {

int LabelWidth(const QWidget* reference, std::initializer_list<QString> captions) {
    const QFontMetrics metrics(reference->font());
    int width = 0;
    for (const QString& caption : captions) {
        QString shown = caption;
        while (shown.endsWith(' ')) shown.chop(1);
        width = std::max(width, metrics.horizontalAdvance(shown));
    }
    return width + 2;
}

QPushButton* MakeButton(const QString& name, const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setFixedHeight(ButtonHeight);
    button->setAutoDefault(false);
    return button;
}

QCheckBox* MakeCheckBox(const QString& name, const QString& caption, QWidget* parent) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    return box;
}

QComboBox* MakeComboBox(const QString& name, const QStringList& items, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->addItems(items);
    box->setFixedHeight(FieldHeight);
    box->setMinimumWidth(40);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return box;
}

QDateTimeEdit* MakeDatePicker(const QString& name, QWidget* parent) {
    auto* picker = new QDateTimeEdit(parent);
    picker->setObjectName(name);
    picker->setDisplayFormat("yyyy-MM-dd");
    picker->setCalendarPopup(true);
    picker->setFixedHeight(FieldHeight);
    picker->setMinimumWidth(picker->sizeHint().width());
    return picker;
}

QLineEdit* MakeEdit(const QString& name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setFixedHeight(FieldHeight);
    return edit;
}

QListWidget* MakeListBox(const QString& name, QWidget* parent) {
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    // Every line is one line of text: adding one costs the same however many are listed.
    list->setUniformItemSizes(true);
    return list;
}

QGroupBox* MakeGroupBox(const QString& name, const QString& title, QWidget* parent) {
    auto* group = new QGroupBox(title, parent);
    group->setObjectName(name);
    return group;
}

QWidget* MakePanel(const QString& name, QWidget* parent) {
    auto* panel = new QWidget(parent);
    panel->setObjectName(name);
    return panel;
}

TLabeledEdit* MakeLabeledEdit(const QString& name, const QString& caption, int labelWidth, QWidget* parent) {
    auto* edit = new TLabeledEdit(name, caption, parent);
    edit->EditLabel()->setFixedWidth(labelWidth);
    edit->Edit()->setFixedHeight(FieldHeight);
    edit->Edit()->setMinimumWidth(30);
    return edit;
}

QLabel* MakeCaption(const QString& caption, int labelWidth, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setFixedWidth(labelWidth);
    return label;
}

QHBoxLayout* CaptionedRow(QLabel* caption, QWidget* field) {
    auto* row = new QHBoxLayout;
    row->setSpacing(4);
    row->addWidget(caption);
    row->addWidget(field, 1);
    caption->setBuddy(field);
    return row;
}

QVBoxLayout* VBox(QWidget* owner, int margin) {
    auto* box = new QVBoxLayout(owner);
    box->setContentsMargins(margin, margin, margin, margin);
    box->setSpacing(Spacing);
    return box;
}

QHBoxLayout* HBox(QWidget* owner, int margin) {
    auto* box = new QHBoxLayout(owner);
    box->setContentsMargins(margin, margin, margin, margin);
    box->setSpacing(Spacing);
    return box;
}

QGridLayout* MakeGroupGrid(QWidget* box) {
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(Spacing + 2, Spacing + 2, Spacing + 2, Spacing + 2);
    grid->setHorizontalSpacing(Spacing * 2);
    grid->setVerticalSpacing(Spacing);
    return grid;
}

}  // namespace console::layout
