#include <QAbstractItemView>
#include <QHBoxLayout>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "console/form1_layout.h"
#include "console/form1_layout_kit.h"

namespace console::layout {

namespace {

constexpr int ColumnWidth = 96;
constexpr int IconSize = 16;

// An icon and its link text side by side; both open the same kind of target.
QHBoxLayout* LinkRow(TClickLabel* icon, TClickLabel* text, QStyle::StandardPixmap picture) {
    icon->setPixmap(icon->style()->standardIcon(picture).pixmap(IconSize, IconSize));
    icon->setFixedSize(IconSize + 2, IconSize + 2);
    QPalette link = text->palette();
    link.setColor(QPalette::WindowText, text->palette().color(QPalette::Link));
    text->setPalette(link);
    auto* row = new QHBoxLayout;
    row->setSpacing(4);
    row->addWidget(icon);
    row->addWidget(text, 1);
    return row;
}

QGroupBox* BuildSerialGroup(Tform1& form, QWidget* panel) {
    QGroupBox* group = form.GroupBox3 = MakeGroupBox("GroupBox3", "串口参数 ", panel);
    QVBoxLayout* box = VBox(group, Spacing);
    form.ComboBox6 = MakeComboBox("ComboBox6", {}, group);
    form.ComboBox6->setEditable(true);
    // Device paths are longer than the narrow column: the list and the tip show them whole.
    form.ComboBox6->view()->setMinimumWidth(320);
    QObject::connect(form.ComboBox6, &QComboBox::currentTextChanged, form.ComboBox6,
                     [box = form.ComboBox6](const QString& text) { box->setToolTip(text); });
    form.ComboBox7 = MakeComboBox("ComboBox7", {"9600", "19200", "115200", "1000000"}, group);
    form.ComboBox7->setCurrentIndex(2);  // "115200"
    // Another rate (1200, 2400, 4800 or any the line takes) can be typed; it joins no list.
    form.ComboBox7->setEditable(true);
    form.ComboBox7->setInsertPolicy(QComboBox::NoInsert);
    form.ComboBox8 = MakeComboBox("ComboBox8", {"N 8 1", "E 8 1", "O 8 1"}, group);
    form.ComboBox8->hide();
    form.BitBtn2 = MakeButton("BitBtn2", "连接", group);
    form.BitBtn3 = MakeButton("BitBtn3", "断开", group);
    for (QWidget* control :
         std::initializer_list<QWidget*>{form.ComboBox6, form.ComboBox7, form.ComboBox8, form.BitBtn2, form.BitBtn3})
        box->addWidget(control);
    return group;
}

QToolButton* BuildDetectButton(Tform1& form, QWidget* panel) {
    form.PopupMenu1 = new QMenu(&form);
    form.PopupMenu1->setObjectName("PopupMenu1");
    form.N1 = form.PopupMenu1->addAction("串口参数");
    form.N1->setObjectName("N1");
    form.ToolButton1 = new QToolButton(panel);
    form.ToolButton1->setObjectName("ToolButton1");
    form.ToolButton1->setText(" 连接 ");
    form.ToolButton1->setMenu(form.PopupMenu1);
    form.ToolButton1->setPopupMode(QToolButton::MenuButtonPopup);
    form.ToolButton1->setToolButtonStyle(Qt::ToolButtonTextOnly);
    form.ToolButton1->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    form.ToolButton1->setFixedHeight(ButtonHeight + 4);
    return form.ToolButton1;
}

}  // namespace

QWidget* BuildLeftColumn(Tform1& form, QWidget* client) {
    QWidget* panel = form.Panel1 = MakePanel("Panel1", client);
    panel->setFixedWidth(ColumnWidth);
    QVBoxLayout* column = VBox(panel);

    column->addWidget(BuildDetectButton(form, panel));
    column->addWidget(BuildSerialGroup(form, panel));

    const int addressLabel = LabelWidth(panel, {"地址"});
    form.LabeledEdit14 = MakeLabeledEdit("LabeledEdit14", "地址", addressLabel, panel);
    form.LabeledEdit14->SetText("1");
    column->addWidget(form.LabeledEdit14);
    form.BitBtn37 = MakeButton("BitBtn37", "查ID", panel);
    column->addWidget(form.BitBtn37);

    column->addSpacing(Spacing * 2);
    form.BitBtn9 = MakeButton("BitBtn9", "参数设置", panel);
    form.BitBtn11 = MakeButton("BitBtn11", "历史记录", panel);
    form.BitBtn10 = MakeButton("BitBtn10", "告警记录", panel);
    form.BitBtn22 = MakeButton("BitBtn22", "TF卡导出", panel);
    for (QPushButton* page : {form.BitBtn9, form.BitBtn11, form.BitBtn10, form.BitBtn22}) {
        page->setFixedHeight(ButtonHeight + 4);
        column->addWidget(page);
    }
    column->addStretch(1);

    form.Image2 = new TClickLabel("Image2", "", panel);
    form.Label8 = new TClickLabel("Label8", "记录文件  ", panel);
    column->addLayout(LinkRow(form.Image2, form.Label8, QStyle::SP_DirIcon));
    return panel;
}

QWidget* BuildRightColumn(Tform1& form, QWidget* client) {
    QWidget* panel = form.Panel3 = MakePanel("Panel3", client);
    panel->setFixedWidth(ColumnWidth);
    QVBoxLayout* column = VBox(panel);

    form.Image1 = new TClickLabel("Image1", "", panel);
    form.lbl1 = new TClickLabel("lbl1", "帮助 ", panel);
    column->addLayout(LinkRow(form.Image1, form.lbl1, QStyle::SP_MessageBoxQuestion));

    form.GroupBox14 = MakeGroupBox("GroupBox14", "快捷设置", panel);
    QVBoxLayout* quick = VBox(form.GroupBox14, Spacing);
    form.BitBtn41 = MakeButton("BitBtn41", "开记录", form.GroupBox14);
    form.BitBtn42 = MakeButton("BitBtn42", "关记录", form.GroupBox14);
    form.BitBtn43 = MakeButton("BitBtn43", "开报警", form.GroupBox14);
    form.BitBtn44 = MakeButton("BitBtn44", "关报警", form.GroupBox14);
    form.BitBtn33 = MakeButton("BitBtn33", "清记录", form.GroupBox14);
    form.BitBtn52 = MakeButton("BitBtn52", "重置未读", form.GroupBox14);
    form.BitBtn53 = MakeButton("BitBtn53", "恢复参数", form.GroupBox14);
    for (QPushButton* button :
         {form.BitBtn41, form.BitBtn42, form.BitBtn43, form.BitBtn44, form.BitBtn33, form.BitBtn52, form.BitBtn53})
        quick->addWidget(button);
    column->addWidget(form.GroupBox14);

    // The system and report pages are reachable only through these two, kept out of sight.
    form.BitBtn34 = MakeButton("BitBtn34", "系统设置", panel);
    form.BitBtn46 = MakeButton("BitBtn46", "主动上报", panel);
    form.BitBtn34->hide();
    form.BitBtn46->hide();
    column->addWidget(form.BitBtn34);
    column->addWidget(form.BitBtn46);

    form.GroupBox7 = MakeGroupBox("GroupBox7", "节能设置", panel);
    QVBoxLayout* energy = VBox(form.GroupBox7, Spacing);
    form.BitBtn12 = MakeButton("BitBtn12", "休眠模式", form.GroupBox7);
    form.BitBtn23 = MakeButton("BitBtn23", "实时显示", form.GroupBox7);
    form.BitBtn49 = MakeButton("BitBtn49", "高级", form.GroupBox7);
    for (QPushButton* button : {form.BitBtn12, form.BitBtn23, form.BitBtn49}) energy->addWidget(button);
    column->addWidget(form.GroupBox7);
    column->addStretch(1);
    return panel;
}

}  // namespace console::layout
