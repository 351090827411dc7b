#pragma once

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <initializer_list>

#include "console/widgets.h"

// Small factories that give the main window's controls one look: the same field and button
// heights everywhere, captions in label columns of one width, fields that fill their cell.
namespace console::layout {

constexpr int FieldHeight = 24;
constexpr int ButtonHeight = 26;
constexpr int Spacing = 5;

// Width of a label column that fits every caption; trailing blanks of a caption are padding
// in the stored texts and need no room of their own.
int LabelWidth(const QWidget* reference, std::initializer_list<QString> captions);

QPushButton* MakeButton(const QString& name, const QString& caption, QWidget* parent);
QCheckBox* MakeCheckBox(const QString& name, const QString& caption, QWidget* parent);
QComboBox* MakeComboBox(const QString& name, const QStringList& items, QWidget* parent);
QDateTimeEdit* MakeDatePicker(const QString& name, QWidget* parent);
QLineEdit* MakeEdit(const QString& name, QWidget* parent);
QListWidget* MakeListBox(const QString& name, QWidget* parent);
QGroupBox* MakeGroupBox(const QString& name, const QString& title, QWidget* parent);
QWidget* MakePanel(const QString& name, QWidget* parent);
TLabeledEdit* MakeLabeledEdit(const QString& name, const QString& caption, int labelWidth, QWidget* parent);

// A caption in a label column of the given width, for fields that have no caption of their own.
QLabel* MakeCaption(const QString& caption, int labelWidth, QWidget* parent);
// The grid inside a group box, with the window's margins and spacing.
QGridLayout* MakeGroupGrid(QWidget* box);

// A caption and its field side by side, as a layout so that hiding both leaves no gap.
QHBoxLayout* CaptionedRow(QLabel* caption, QWidget* field);

QVBoxLayout* VBox(QWidget* owner, int margin = 0);
QHBoxLayout* HBox(QWidget* owner, int margin = 0);

}  // namespace console::layout
