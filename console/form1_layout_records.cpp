#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "console/form1_layout.h"
#include "console/form1_layout_kit.h"

namespace console::layout {

namespace {

constexpr int ButtonWidth = 76;

// A light box around a page's query fields, so that they stand apart from the record list.
QFrame* MakeBox(QWidget* page) {
    auto* box = new QFrame(page);
    box->setFrameShape(QFrame::StyledPanel);
    return box;
}

QPushButton* MakeSideButton(const QString& name, const QString& caption, QWidget* parent) {
    QPushButton* button = MakeButton(name, caption, parent);
    button->setFixedWidth(ButtonWidth);
    return button;
}

// A tab of the history page: two rows of fields on the left, its buttons on the right.
QGridLayout* TabGrid(QWidget* tab) {
    auto* grid = new QGridLayout(tab);
    grid->setContentsMargins(Spacing + 2, Spacing + 2, Spacing + 2, Spacing + 2);
    grid->setHorizontalSpacing(Spacing * 2);
    grid->setVerticalSpacing(Spacing);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    grid->setRowStretch(2, 1);
    return grid;
}

QWidget* BuildUnreadTab(Tform1& form) {
    QWidget* tab = form.ts1 = MakePanel("ts1", form.PageControl1);
    QGridLayout* grid = TabGrid(tab);
    const int width = LabelWidth(tab, {"总记录数", "未读记录数"});
    form.LabeledEdit15 = MakeLabeledEdit("LabeledEdit15", "总记录数", width, tab);
    form.LabeledEdit16 = MakeLabeledEdit("LabeledEdit16", "未读记录数", width, tab);
    form.BitBtn17 = MakeSideButton("BitBtn17", "查询", tab);
    form.BitBtn18 = MakeSideButton("BitBtn18", "重设未读", tab);
    grid->addWidget(form.LabeledEdit15, 0, 0, 1, 2);
    grid->addWidget(form.LabeledEdit16, 1, 0, 1, 2);
    grid->addWidget(form.BitBtn17, 0, 2);
    grid->addWidget(form.BitBtn18, 1, 2);
    return tab;
}

QWidget* BuildRangeTab(Tform1& form) {
    QWidget* tab = form.ts2 = MakePanel("ts2", form.PageControl1);
    QGridLayout* grid = TabGrid(tab);
    const int dateWidth = LabelWidth(tab, {"开始", "结束"});
    const int countWidth = LabelWidth(tab, {"条数", "索引"});
    form.DateTimePicker2 = MakeDatePicker("DateTimePicker2", tab);
    form.DateTimePicker3 = MakeDatePicker("DateTimePicker3", tab);
    form.LabeledEdit25 = MakeLabeledEdit("LabeledEdit25", "条数", countWidth, tab);
    form.LabeledEdit26 = MakeLabeledEdit("LabeledEdit26", "索引", countWidth, tab);
    form.BitBtn29 = MakeSideButton("BitBtn29", "查询", tab);
    grid->addLayout(CaptionedRow(MakeCaption("开始", dateWidth, tab), form.DateTimePicker2), 0, 0);
    grid->addLayout(CaptionedRow(MakeCaption("结束", dateWidth, tab), form.DateTimePicker3), 1, 0);
    grid->addWidget(form.LabeledEdit25, 0, 1);
    grid->addWidget(form.LabeledEdit26, 1, 1);
    grid->addWidget(form.BitBtn29, 0, 2);
    return tab;
}

QWidget* BuildDayTab(Tform1& form) {
    QWidget* tab = form.ts3 = MakePanel("ts3", form.PageControl1);
    QGridLayout* grid = TabGrid(tab);
    const int dateWidth = LabelWidth(tab, {"日期"});
    const int countWidth = LabelWidth(tab, {"条数", "索引"});
    form.DateTimePicker1 = MakeDatePicker("DateTimePicker1", tab);
    form.LabeledEdit17 = MakeLabeledEdit("LabeledEdit17", "条数", countWidth, tab);
    form.LabeledEdit18 = MakeLabeledEdit("LabeledEdit18", "索引", countWidth, tab);
    form.BitBtn21 = MakeSideButton("BitBtn21", "查询", tab);
    grid->addLayout(CaptionedRow(MakeCaption("日期", dateWidth, tab), form.DateTimePicker1), 0, 0);
    grid->addWidget(form.LabeledEdit17, 0, 1);
    grid->addWidget(form.LabeledEdit18, 1, 1);
    grid->addWidget(form.BitBtn21, 0, 2);
    return tab;
}

}  // namespace

QWidget* BuildAlarmPage(Tform1& form, QWidget* client) {
    QWidget* page = form.Panel4 = MakePanel("Panel4", client);
    QFrame* box = MakeBox(page);
    const int width = LabelWidth(box, {"总条数   ", "未读条数   "});
    form.LabeledEdit12 = MakeLabeledEdit("LabeledEdit12", "总条数   ", width, box);
    form.LabeledEdit13 = MakeLabeledEdit("LabeledEdit13", "未读条数   ", width, box);
    form.BitBtn13 = MakeSideButton("BitBtn13", "查询", box);
    form.BitBtn14 = MakeSideButton("BitBtn14", "重设未读", box);
    form.CheckBox5 = MakeCheckBox("CheckBox5", "连续读取", box);
    form.CheckBox11 = MakeCheckBox("CheckBox11", "保存excel", box);
    form.BitBtn15 = MakeSideButton("BitBtn15", "读取", box);
    form.BitBtn16 = MakeSideButton("BitBtn16", "清除显示", page);

    QGridLayout* grid = MakeGroupGrid(box);
    grid->addWidget(form.LabeledEdit12, 0, 0, 1, 2);
    grid->addWidget(form.LabeledEdit13, 1, 0, 1, 2);
    grid->addWidget(form.BitBtn13, 0, 2);
    grid->addWidget(form.BitBtn14, 1, 2);
    grid->addWidget(form.CheckBox5, 2, 0);
    grid->addWidget(form.CheckBox11, 2, 1);
    grid->addWidget(form.BitBtn15, 2, 2);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);

    form.ListBox1 = MakeListBox("ListBox1", page);
    auto* footer = new QHBoxLayout;
    footer->addStretch(1);
    footer->addWidget(form.BitBtn16);

    QVBoxLayout* column = VBox(page);
    column->addWidget(box);
    column->addWidget(form.ListBox1, 1);
    column->addLayout(footer);
    return page;
}

QWidget* BuildHistoryPage(Tform1& form, QWidget* client) {
    QWidget* page = form.Panel5 = MakePanel("Panel5", client);
    form.PageControl1 = new QTabWidget(page);
    form.PageControl1->setObjectName("PageControl1");
    form.PageControl1->addTab(BuildUnreadTab(form), "总记录读取   ");
    form.PageControl1->addTab(BuildRangeTab(form), "按时间段读取   ");
    form.PageControl1->addTab(BuildDayTab(form), "按日期读取   ");
    form.PageControl1->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

    QFrame* box = MakeBox(page);
    form.CheckBox3 = MakeCheckBox("CheckBox3", "连续读取", box);
    form.CheckBox10 = MakeCheckBox("CheckBox10", "快速读取", box);
    form.CheckBox6 = MakeCheckBox("CheckBox6", "保存excel", box);
    form.CheckBox2 = MakeCheckBox("CheckBox2", "保存PDF", box);
    form.BitBtn19 = MakeSideButton("BitBtn19", "读取", box);
    auto* options = new QGridLayout(box);
    options->setContentsMargins(Spacing + 2, Spacing, Spacing + 2, Spacing);
    options->setHorizontalSpacing(Spacing * 2);
    options->setVerticalSpacing(Spacing);
    options->addWidget(form.CheckBox3, 0, 0);
    options->addWidget(form.CheckBox10, 0, 1);
    options->addWidget(form.CheckBox6, 1, 0);
    options->addWidget(form.CheckBox2, 1, 1);
    options->addWidget(form.BitBtn19, 0, 2, 2, 1, Qt::AlignVCenter);
    options->setColumnStretch(0, 1);
    options->setColumnStretch(1, 1);

    form.ListBox2 = MakeListBox("ListBox2", page);
    form.BitBtn20 = MakeSideButton("BitBtn20", "清除显示", page);
    auto* footer = new QHBoxLayout;
    footer->addStretch(1);
    footer->addWidget(form.BitBtn20);

    QVBoxLayout* column = VBox(page);
    column->addWidget(form.PageControl1);
    column->addWidget(box);
    column->addWidget(form.ListBox2, 1);
    column->addLayout(footer);
    return page;
}

QWidget* BuildCardPage(Tform1& form, QWidget* client) {
    QWidget* page = form.Panel7 = MakePanel("Panel7", client);
    QFrame* box = MakeBox(page);
    const int width = LabelWidth(box, {"设备", "起始", "结束"});
    form.BitBtn28 = MakeSideButton("BitBtn28", "TF卡搜索", box);
    form.ComboBox19 = MakeComboBox("ComboBox19", {}, box);
    form.DateTimePicker4 = MakeDatePicker("DateTimePicker4", box);
    form.DateTimePicker5 = MakeDatePicker("DateTimePicker5", box);
    form.CheckBox4 = MakeCheckBox("CheckBox4", "导出excel", box);
    form.CheckBox7 = MakeCheckBox("CheckBox7", "导出PDF", box);
    form.BitBtn30 = MakeSideButton("BitBtn30", "导出记录", box);
    form.BitBtn31 = MakeSideButton("BitBtn31", "删除文件", box);

    QGridLayout* grid = MakeGroupGrid(box);
    grid->addLayout(CaptionedRow(MakeCaption("设备", width, box), form.ComboBox19), 0, 0);
    grid->addLayout(CaptionedRow(MakeCaption("起始", width, box), form.DateTimePicker4), 1, 0);
    grid->addLayout(CaptionedRow(MakeCaption("结束", width, box), form.DateTimePicker5), 2, 0);
    grid->addWidget(form.CheckBox4, 0, 1);
    grid->addWidget(form.CheckBox7, 1, 1);
    grid->addWidget(form.BitBtn28, 0, 2);
    grid->addWidget(form.BitBtn30, 1, 2);
    grid->addWidget(form.BitBtn31, 2, 2);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);

    form.Edit7 = MakeEdit("Edit7", page);
    form.Edit7->setReadOnly(true);
    form.ListBox3 = MakeListBox("ListBox3", page);
    form.BitBtn48 = MakeSideButton("BitBtn48", "清除显示", page);
    auto* footer = new QHBoxLayout;
    footer->addStretch(1);
    footer->addWidget(form.BitBtn48);

    QVBoxLayout* column = VBox(page);
    column->addWidget(box);
    column->addWidget(form.Edit7);
    column->addWidget(form.ListBox3, 1);
    column->addLayout(footer);
    return page;
}

QWidget* BuildReportPage(Tform1& form, QWidget* client) {
    QWidget* page = form.Panel8 = MakePanel("Panel8", client);
    form.ListBox5 = MakeListBox("ListBox5", page);
    form.ListBox6 = MakeListBox("ListBox6", page);
    form.BitBtn47 = MakeSideButton("BitBtn47", "清除显示", page);
    // Room for the nine lines of a live-value report without scrolling.
    form.ListBox5->setFixedHeight(form.ListBox5->fontMetrics().height() * 9 + 12);
    auto* footer = new QHBoxLayout;
    footer->addStretch(1);
    footer->addWidget(form.BitBtn47);

    QVBoxLayout* column = VBox(page);
    column->addWidget(form.ListBox5);
    column->addWidget(form.ListBox6, 1);
    column->addLayout(footer);
    return page;
}

}  // namespace console::layout
