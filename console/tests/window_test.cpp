#include <gtest/gtest.h>

#include "console/tests/console_fixture.h"

namespace console::testing {
namespace {

TEST_F(ConsoleTest, StartsDisconnectedOnTheHistoryPage) {
    EXPECT_EQ(Form->windowTitle(), "Ombrix-Z200");
    EXPECT_TRUE(QDir("data").exists());
    EXPECT_TRUE(Form->BitBtn2->isEnabled());
    for (QPushButton* button : {Form->BitBtn1, Form->BitBtn3, Form->BitBtn5, Form->BitBtn37, Form->BitBtn53})
        EXPECT_FALSE(button->isEnabled()) << button->objectName().toStdString();
    for (QPushButton* button : {Form->BitBtn9, Form->BitBtn10, Form->BitBtn11, Form->BitBtn22})
        EXPECT_TRUE(button->isEnabled()) << button->objectName().toStdString();
    EXPECT_TRUE(Form->ToolButton1->isEnabled());
    EXPECT_FALSE(Form->Panel5->isHidden());
    for (QWidget* page :
         {Form->Panel2, Form->Panel4, Form->Panel8, Form->Panel9, static_cast<QWidget*>(Form->GroupBox3)})
        EXPECT_TRUE(page->isHidden()) << page->objectName().toStdString();
    ASSERT_EQ(Form->StatusBar1->PanelCount(), 8);
    EXPECT_EQ(Panel(0), "端口状态：");
    EXPECT_EQ(Panel(2), "模式：");
    EXPECT_EQ(Panel(4), "通讯状态：");
    EXPECT_EQ(Panel(6), "统计：");
    EXPECT_EQ(Form->PageControl1->currentIndex(), 0);
    EXPECT_FALSE(Form->CheckBox10->isEnabled());
    EXPECT_EQ(Form->Edit1->text().toInt(), QDate::currentDate().year());
    EXPECT_TRUE(Form->Timer3.Enabled());
}

TEST_F(ConsoleTest, PageButtonsShowOnePageAndNameIt) {
    struct Case {
        QPushButton* button;
        QWidget* page;
        const char* mode;
    };
    const Case cases[] = {{Form->BitBtn9, Form->Panel2, "参数设置"},
                          {Form->BitBtn10, Form->Panel4, "告警记录"},
                          {Form->BitBtn11, Form->Panel5, "历史纪录"}};
    for (const Case& c : cases) {
        c.button->click();
        EXPECT_EQ(Panel(3).toStdString(), c.mode);
        for (QWidget* page : {Form->Panel2, Form->Panel4, Form->Panel5, Form->Panel7, Form->Panel8, Form->Panel9})
            EXPECT_EQ(page->isHidden(), page != c.page) << c.mode;
    }
    Form->N1->trigger();
    EXPECT_FALSE(Form->GroupBox3->isHidden());
}

TEST_F(ConsoleTest, ReportOptionsExcludeEachOther) {
    Form->CheckBox3->setEnabled(true);
    Form->CheckBox3->setChecked(true);
    EXPECT_TRUE(Form->CheckBox6->isEnabled() && Form->CheckBox2->isEnabled());
    Form->CheckBox6->setChecked(true);
    Form->CheckBox2->setChecked(true);
    EXPECT_FALSE(Form->CheckBox6->isChecked());
    Form->CheckBox6->setChecked(true);
    EXPECT_FALSE(Form->CheckBox2->isChecked());
    Form->CheckBox3->setChecked(false);
    EXPECT_FALSE(Form->CheckBox6->isChecked() || Form->CheckBox6->isEnabled() || Form->CheckBox2->isEnabled());

    Form->PageControl1->setCurrentIndex(2);
    EXPECT_FALSE(Form->CheckBox10->isChecked() || Form->CheckBox10->isEnabled());
    Form->PageControl1->setCurrentIndex(1);
    EXPECT_TRUE(Form->CheckBox10->isChecked() && Form->CheckBox10->isEnabled());

    Form->CheckBox5->setChecked(true);
    EXPECT_TRUE(Form->CheckBox11->isEnabled());
    Form->CheckBox11->setChecked(true);
    Form->CheckBox5->setChecked(false);
    EXPECT_FALSE(Form->CheckBox11->isChecked() || Form->CheckBox11->isEnabled());
}

TEST_F(ConsoleTest, DeviceNoticesShowInThePortStateAndCalibrationUnmasks) {
    Form->DeviceChanged(false);
    EXPECT_EQ(Panel(1), "设备移出");
    Form->DeviceChanged(true);
    EXPECT_EQ(Panel(1), "设备接入");
    EXPECT_EQ(Form->LabeledEdit27->Edit()->echoMode(), QLineEdit::Password);
    Form->LabeledEdit27->OnDblClick();
    EXPECT_EQ(Form->LabeledEdit28->Edit()->echoMode(), QLineEdit::Normal);
}

}  // namespace
}  // namespace console::testing
