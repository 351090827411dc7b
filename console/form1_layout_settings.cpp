#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "console/form1_layout.h"
#include "console/form1_layout_kit.h"

namespace console::layout {

namespace {

const QStringList AlarmLinks = {"无",        "高温",           "低温",           "高温+低温",
                                "高湿",      "高湿+高温",      "低温+高湿",      "高温+低温+高湿",
                                "低湿",      "高温+低湿",      "低温+低湿",      "高温+低温+低湿",
                                "高湿+低湿", "高湿+低湿+高温", "高湿+低湿+低温", "高湿+低湿+高温+低温"};

QGroupBox* BuildMeasurementGroup(Tform1& form, QWidget* page) {
    QGroupBox* group = form.GroupBox1 = MakeGroupBox("GroupBox1", "实时数据", page);
    const int left = LabelWidth(group, {" 温度  ", "露点  ", "DO1"});
    const int right = LabelWidth(group, {"湿度   ", "告警状态   ", "DO2"});
    form.LabeledEdit1 = MakeLabeledEdit("LabeledEdit1", " 温度  ", left, group);
    form.LabeledEdit2 = MakeLabeledEdit("LabeledEdit2", "湿度   ", right, group);
    form.LabeledEdit3 = MakeLabeledEdit("LabeledEdit3", "露点  ", left, group);
    form.LabeledEdit6 = MakeLabeledEdit("LabeledEdit6", "告警状态   ", right, group);
    form.LabeledEdit4 = MakeLabeledEdit("LabeledEdit4", "DO1", left, group);
    form.LabeledEdit5 = MakeLabeledEdit("LabeledEdit5", "DO2", right, group);
    form.LabeledEdit4->hide();
    form.LabeledEdit5->hide();

    auto* fields = new QGridLayout;
    fields->setHorizontalSpacing(Spacing * 2);
    fields->setVerticalSpacing(Spacing);
    fields->addWidget(form.LabeledEdit1, 0, 0);
    fields->addWidget(form.LabeledEdit2, 0, 1);
    fields->addWidget(form.LabeledEdit3, 1, 0);
    fields->addWidget(form.LabeledEdit6, 1, 1);
    fields->addWidget(form.LabeledEdit4, 2, 0);
    fields->addWidget(form.LabeledEdit5, 2, 1);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(Spacing);
    form.BitBtn1 = MakeButton("BitBtn1", "读取", group);
    form.CheckBox1 = MakeCheckBox("CheckBox1", "自动读取", group);
    form.CheckBox1->hide();
    form.BitBtn24 = MakeButton("BitBtn24", "DO1动作", group);
    form.BitBtn25 = MakeButton("BitBtn25", "DO1恢复", group);
    form.BitBtn26 = MakeButton("BitBtn26", "DO2动作", group);
    form.BitBtn27 = MakeButton("BitBtn27", "DO2恢复", group);
    for (QWidget* control : std::initializer_list<QWidget*>{form.BitBtn1, form.CheckBox1, form.BitBtn24, form.BitBtn25,
                                                            form.BitBtn26, form.BitBtn27})
        buttons->addWidget(control);

    QVBoxLayout* box = VBox(group, Spacing);
    box->addLayout(fields);
    box->addLayout(buttons);
    return group;
}

// Year to second of the instrument's clock or record start, each field with its unit after it.
QHBoxLayout* BuildClockRow(Tform1& form, QWidget* group) {
    auto* row = new QHBoxLayout;
    row->setSpacing(3);
    QLineEdit** fields[] = {&form.Edit1, &form.Edit2, &form.Edit3, &form.Edit4, &form.Edit5, &form.Edit6};
    const char* const units[] = {"年", "月", "日", "时", "分", "秒"};
    for (int i = 0; i < 6; ++i) {
        QLineEdit* edit = *fields[i] = MakeEdit(QString("Edit%1").arg(i + 1), group);
        edit->setAlignment(Qt::AlignCenter);
        row->addWidget(edit, i == 0 ? 4 : 3);
        row->addWidget(new QLabel(QString::fromUtf8(units[i]), group));
        if (i < 5) row->addSpacing(3);
    }
    return row;
}

QGroupBox* BuildClockGroup(Tform1& form, QWidget* page) {
    QGroupBox* group = form.GroupBox4 = MakeGroupBox("GroupBox4", "时间", page);
    form.BitBtn6 = MakeButton("BitBtn6", "读取时间", group);
    form.BitBtn8 = MakeButton("BitBtn8", "校准时间", group);
    form.BitBtn7 = MakeButton("BitBtn7", "读取开始记录时间", group);
    form.BitBtn45 = MakeButton("BitBtn45", "设置开始记录时间", group);
    auto* buttons = new QGridLayout;
    buttons->setSpacing(Spacing);
    buttons->addWidget(form.BitBtn6, 0, 0);
    buttons->addWidget(form.BitBtn8, 0, 1);
    buttons->addWidget(form.BitBtn7, 1, 0);
    buttons->addWidget(form.BitBtn45, 1, 1);

    auto* identity = new QHBoxLayout;
    identity->setSpacing(Spacing);
    form.LabeledEdit29 = MakeLabeledEdit("LabeledEdit29", "          SN", LabelWidth(group, {"          SN"}), group);
    form.LabeledEdit30 = MakeLabeledEdit("LabeledEdit30", "  版本号", LabelWidth(group, {"  版本号"}), group);
    form.BitBtn50 = MakeButton("BitBtn50", "读取", group);
    form.LabeledEdit29->Edit()->setMinimumWidth(group->fontMetrics().horizontalAdvance("0a0b0c0d0e0f") + 12);
    form.BitBtn50->setFixedWidth(64);
    identity->addWidget(form.LabeledEdit29, 3);
    identity->addWidget(form.LabeledEdit30, 2);
    identity->addWidget(form.BitBtn50);

    QVBoxLayout* box = VBox(group, Spacing);
    box->addLayout(BuildClockRow(form, group));
    box->addLayout(buttons);
    box->addLayout(identity);
    return group;
}

// The left half of the parameter grid: line settings, display, password and recording.
QVBoxLayout* BuildParameterLeft(Tform1& form, QGroupBox* group, int width) {
    auto* column = new QVBoxLayout;
    column->setSpacing(Spacing);
    form.LabeledEdit7 = MakeLabeledEdit("LabeledEdit7", "ID 号 ", width, group);
    column->addWidget(form.LabeledEdit7);
    form.ComboBox1 = MakeComboBox("ComboBox1", {"9600", "19200", "115200", "1000000"}, group);
    column->addLayout(CaptionedRow(MakeCaption("波特率", width, group), form.ComboBox1));
    form.ComboBox2 = MakeComboBox("ComboBox2", {"N 8 1", "E 8 1", "O 8 1"}, group);
    form.ComboBox2->hide();
    column->addWidget(form.ComboBox2);
    form.ComboBox3 = MakeComboBox("ComboBox3", {"摄氏", "华氏"}, group);
    column->addLayout(CaptionedRow(MakeCaption("温度显示单位 ", width, group), form.ComboBox3));
    form.ComboBox17 = MakeComboBox("ComboBox17", {"关", "开"}, group);
    column->addLayout(CaptionedRow(MakeCaption("记录状态   ", width, group), form.ComboBox17));
    form.LabeledEdit21 = MakeLabeledEdit("LabeledEdit21", "用户密码  ", width, group);
    column->addWidget(form.LabeledEdit21);

    // The interval's unit is a fixed label on minute and second models and a list on others.
    auto* interval = new QHBoxLayout;
    interval->setSpacing(4);
    form.LabeledEdit22 = MakeLabeledEdit("LabeledEdit22", "记录间隔   ", width, group);
    form.Label7 = new QLabel("分钟", group);
    form.Label7->setObjectName("Label7");
    interval->addWidget(form.LabeledEdit22, 1);
    interval->addWidget(form.Label7);
    column->addLayout(interval);
    form.Label31 = MakeCaption("单位", width, group);
    form.Label31->setObjectName("Label31");
    form.ComboBox10 = MakeComboBox("ComboBox10", {"分", "秒"}, group);
    form.Label31->hide();
    form.ComboBox10->hide();
    column->addLayout(CaptionedRow(form.Label31, form.ComboBox10));

    form.LabeledEdit23 = MakeLabeledEdit("LabeledEdit23", "zigbee PID", width, group);
    form.LabeledEdit23->hide();
    column->addWidget(form.LabeledEdit23);
    column->addStretch(1);
    return column;
}

// The right half: alarm limits, calibration and supply.
QVBoxLayout* BuildParameterRight(Tform1& form, QGroupBox* group) {
    const int width = LabelWidth(group, {"高温告警值     ", "低温告警值   ", "高湿告警值   ", "低湿告警值    ",
                                         "温度校准    ", "湿度校准   ", "  供电"});
    auto* column = new QVBoxLayout;
    column->setSpacing(Spacing);
    form.LabeledEdit8 = MakeLabeledEdit("LabeledEdit8", "高温告警值     ", width, group);
    form.LabeledEdit9 = MakeLabeledEdit("LabeledEdit9", "低温告警值   ", width, group);
    form.LabeledEdit19 = MakeLabeledEdit("LabeledEdit19", "温度告警缓冲值    ", width, group);
    form.LabeledEdit10 = MakeLabeledEdit("LabeledEdit10", "高湿告警值   ", width, group);
    form.LabeledEdit11 = MakeLabeledEdit("LabeledEdit11", "低湿告警值    ", width, group);
    form.LabeledEdit20 = MakeLabeledEdit("LabeledEdit20", "湿度告警缓冲值     ", width, group);
    form.LabeledEdit27 = MakeLabeledEdit("LabeledEdit27", "温度校准    ", width, group);
    form.LabeledEdit28 = MakeLabeledEdit("LabeledEdit28", "湿度校准   ", width, group);
    form.LabeledEdit24 = MakeLabeledEdit("LabeledEdit24", "zigbee信道  ", width, group);
    form.LabeledEdit19->hide();
    form.LabeledEdit20->hide();
    form.LabeledEdit24->hide();
    for (TLabeledEdit* masked : {form.LabeledEdit27, form.LabeledEdit28}) {
        masked->Edit()->setEchoMode(QLineEdit::Password);
        masked->Edit()->setStyleSheet("lineedit-password-character: 42");
    }
    for (TLabeledEdit* edit : {form.LabeledEdit8, form.LabeledEdit9, form.LabeledEdit19, form.LabeledEdit10,
                               form.LabeledEdit11, form.LabeledEdit20, form.LabeledEdit27, form.LabeledEdit28})
        column->addWidget(edit);

    form.Label30 = MakeCaption("  供电", width, group);
    form.Label30->setObjectName("Label30");
    form.ComboBox22 = MakeComboBox("ComboBox22", {"o", "i"}, group);
    form.Label30->hide();
    form.ComboBox22->hide();
    column->addLayout(CaptionedRow(form.Label30, form.ComboBox22));
    column->addWidget(form.LabeledEdit24);
    column->addStretch(1);
    return column;
}

// The alarm link and output lists hold the longest items, so they get the width the
// halves leave free beside the block's read and save buttons.
void AddAlarmRows(Tform1& form, QGroupBox* group, int width, QVBoxLayout* box) {
    form.ComboBox5 = MakeComboBox("ComboBox5", AlarmLinks, group);
    form.ComboBox18 =
        MakeComboBox("ComboBox18", {"关", "声报警", "光报警", "声光报警", "短声报警", "短光报警", "短声光报警"}, group);
    form.BitBtn4 = MakeButton("BitBtn4", "读取参数", group);
    form.BitBtn5 = MakeButton("BitBtn5", "保存参数", group);
    auto* rows = new QGridLayout;
    rows->setHorizontalSpacing(Spacing * 2);
    rows->setVerticalSpacing(Spacing);
    rows->addLayout(CaptionedRow(MakeCaption("告警关联 ", width, group), form.ComboBox5), 0, 0);
    rows->addLayout(CaptionedRow(MakeCaption("告警输出 ", width, group), form.ComboBox18), 1, 0);
    rows->addWidget(form.BitBtn4, 0, 1);
    rows->addWidget(form.BitBtn5, 1, 1);
    rows->setColumnStretch(0, 1);
    box->addLayout(rows);
}

// Settings of the instrument's outputs that this console keeps but does not offer.
void AddHiddenOutputSettings(Tform1& form, QGroupBox* group, QVBoxLayout* box) {
    form.ComboBox4 = MakeComboBox("ComboBox4", AlarmLinks, group);
    form.ComboBox9 = MakeComboBox("ComboBox9", {"开", "合"}, group);
    form.ComboBox11 = MakeComboBox("ComboBox11", {"告警", "控制"}, group);
    form.ComboBox12 = MakeComboBox("ComboBox12", {"告警", "控制"}, group);
    for (QComboBox* hidden : {form.ComboBox4, form.ComboBox9, form.ComboBox11, form.ComboBox12}) {
        hidden->hide();
        box->addWidget(hidden);
    }
}

QGroupBox* BuildParameterGroup(Tform1& form, QWidget* page) {
    QGroupBox* group = form.GroupBox2 = MakeGroupBox("GroupBox2", "参数", page);
    const int width = LabelWidth(group, {"ID 号 ", "波特率", "温度显示单位 ", "记录状态   ", "用户密码  ",
                                         "记录间隔   ", "单位", "告警关联 ", "告警输出 "});
    auto* halves = new QHBoxLayout;
    halves->setSpacing(Spacing * 2);
    halves->addLayout(BuildParameterLeft(form, group, width), 1);
    halves->addLayout(BuildParameterRight(form, group), 1);

    QVBoxLayout* box = VBox(group, Spacing);
    box->addLayout(halves);
    AddAlarmRows(form, group, width, box);
    AddHiddenOutputSettings(form, group, box);
    box->addStretch(1);
    return group;
}

}  // namespace

QWidget* BuildParameterPage(Tform1& form, QWidget* client) {
    QWidget* page = form.Panel2 = MakePanel("Panel2", client);
    QVBoxLayout* column = VBox(page);
    column->addWidget(BuildMeasurementGroup(form, page));
    column->addWidget(BuildClockGroup(form, page));
    column->addWidget(BuildParameterGroup(form, page), 1);
    return page;
}

QWidget* BuildAdvancedPage(Tform1& form, QWidget* client) {
    QWidget* page = form.Panel9 = MakePanel("Panel9", client);
    QGroupBox* group = form.GroupBox13 = MakeGroupBox("GroupBox13", "高级设置", page);
    const int width = LabelWidth(group, {"探头类型    ", "通讯类型    ", "存储类型    ", "DI类型  "});
    form.ComboBox13 = MakeComboBox("ComboBox13", {"PRB7", "PRB4"}, group);
    form.ComboBox14 = MakeComboBox("ComboBox14", {"RS485", "RS232", "USB", "ZIGBEE", "315", "IO", "AC", "AUTO"}, group);
    form.ComboBox15 = MakeComboBox("ComboBox15", {"无", "5万+ 事件", "17万+ 事件", "40万+ 事件"}, group);
    form.ComboBox16 = MakeComboBox("ComboBox16", {"无", "2do", "mic+1do"}, group);

    auto* settings = new QGridLayout;
    settings->setSpacing(Spacing);
    settings->addLayout(CaptionedRow(MakeCaption("探头类型    ", width, group), form.ComboBox13), 0, 0);
    settings->addLayout(CaptionedRow(MakeCaption("通讯类型    ", width, group), form.ComboBox14), 1, 0);
    settings->addLayout(CaptionedRow(MakeCaption("存储类型    ", width, group), form.ComboBox15), 2, 0);
    settings->addLayout(CaptionedRow(MakeCaption("DI类型  ", width, group), form.ComboBox16), 3, 0);
    form.BitBtn35 = MakeButton("BitBtn35", "读取", group);
    form.BitBtn36 = MakeButton("BitBtn36", "设置", group);
    settings->addWidget(form.BitBtn35, 0, 1);
    settings->addWidget(form.BitBtn36, 1, 1);
    settings->setColumnStretch(0, 3);
    settings->setColumnStretch(1, 1);

    auto* commands = new QGridLayout;
    commands->setSpacing(Spacing);
    form.BitBtn32 = MakeButton("BitBtn32", "开记录", group);
    form.BitBtn38 = MakeButton("BitBtn38", "关记录", group);
    form.BitBtn39 = MakeButton("BitBtn39", "清记录", group);
    form.BitBtn40 = MakeButton("BitBtn40", "同步时间", group);
    commands->addWidget(form.BitBtn32, 0, 0);
    commands->addWidget(form.BitBtn38, 0, 1);
    commands->addWidget(form.BitBtn39, 1, 0);
    commands->addWidget(form.BitBtn40, 1, 1);

    QVBoxLayout* box = VBox(group, Spacing);
    box->addLayout(settings);
    box->addSpacing(Spacing);
    box->addLayout(commands);

    QVBoxLayout* column = VBox(page);
    column->addWidget(group);
    column->addStretch(1);
    return page;
}

}  // namespace console::layout
