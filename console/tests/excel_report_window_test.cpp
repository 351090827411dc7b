// The Excel workbooks made in the window against the instrument stand-in: the history report of
// a continuous read, the alarm workbook of a continuous event read, and the memory-card export;
// read back by python3-xlrd.
#include <gtest/gtest.h>

#include <QDir>

#include "console/report_files.h"
#include "console/tests/instrument_fixture.h"
#include "console/tests/xls_dump.h"
#include "platform/testing/test_files.h"
#include "tools/instrument/card_writer.h"
#include "tools/instrument/history_store.h"

namespace console::testing {
namespace {

using namespace std::chrono_literals;

// The one file of the pattern in ./data/.
std::string OnlyFile(const QString& pattern) {
    const QStringList files = QDir("data").entryList({pattern}, QDir::Files);
    EXPECT_EQ(files.size(), 1) << files.join(",").toStdString();
    return files.isEmpty() ? "" : "data/" + files[0].toStdString();
}

// The question was asked within the step that saved the file.
void ExpectQuestionAsked(const TScriptedDialogs& dialogs) {
    EXPECT_EQ(dialogs.Prompts, std::vector<std::string>{"导出成功，是否打开文件？"});
}

class ExcelWindowTest : public StandInTest {};

TEST_F(ExcelWindowTest, ContinuousReadWithExcelCheckedWritesTheReport) {
    ASSERT_NO_FATAL_FAILURE(ConnectWithHistory(150));
    Form->CheckBox6->setChecked(true);
    const QDateTime started = QDateTime::currentDateTime();
    Form->BitBtn19->click();
    ASSERT_TRUE(PumpUntil([&] { return !Form->State.ContinuousRead; }, 60s));
    const QDateTime ended = QDateTime::currentDateTime();
    ExpectQuestionAsked(*Dialogs);
    EXPECT_FALSE(Form->CheckBox6->isChecked());
    // The report's last row is its own: the reading's block size still says nothing is left.
    EXPECT_EQ(Form->State.UnreadLeft, 0u);
    const std::string file = OnlyFile("*.xls");
    const std::string name = file.substr(5);
    bool named = false;
    for (QDateTime t = started; t <= ended.addSecs(1) && !named; t = t.addSecs(1))
        named = name == ReportFileName("1", "历史记录", t, ".xls");
    EXPECT_TRUE(named) << name;
    const QJsonArray sheets = DumpWorkbook(file);
    ASSERT_EQ(sheets.size(), 1);
    const QJsonObject sheet = sheets[0].toObject();
    EXPECT_EQ(CellText(sheet, 0, 0), "温湿度历史记录报表");
    EXPECT_EQ(CellText(sheet, 2, 3), "    记录条数:150");
    ASSERT_EQ(sheet["rows"].toArray().size(), 28 + 150);
    ASSERT_EQ(Form->ListBox2->count(), 150);
    // Each row says what its list line says.
    for (int i : {0, 1, 99, 149}) {
        const QString line = Form->ListBox2->item(i)->text();
        EXPECT_EQ(CellText(sheet, 28 + i, 0), QString::number(i + 1));
        EXPECT_TRUE(line.startsWith(QString("(%1)").arg(i + 1))) << line.toStdString();
        EXPECT_TRUE(line.contains(CellText(sheet, 28 + i, 1))) << line.toStdString();
        EXPECT_TRUE(line.endsWith(CellText(sheet, 28 + i, 3))) << line.toStdString();
    }
    EXPECT_EQ(CellText(sheet, 3, 0), "    开始时间:2024-03-01 08:00:00");
    EXPECT_EQ(CellText(sheet, 3, 3), "    结束时间:2024-03-01 10:29:00");
    EXPECT_EQ(sheet["charts"].toArray().size(), 1);
}

TEST_F(ExcelWindowTest, ContinuousAlarmReadSavesTheEvents) {
    instrument::TInstrumentServer& server = AddServer("port-a", 115200, false, 0x14);
    server.Instrument().Update([](instrument::TInstrumentState& s) {
        s.AlarmTotal = 12;
        s.AlarmUnread = 6;
    });
    StartWindow();
    ConnectToLastPort("115200");
    Form->BitBtn13->click();
    ASSERT_TRUE(PumpUntil([&] { return Form->LabeledEdit13->Text() == "6"; }));
    Form->CheckBox5->setChecked(true);
    Form->CheckBox11->setChecked(true);
    Form->BitBtn15->click();
    ASSERT_TRUE(PumpUntil([&] { return !Form->State.ContinuousRead; }, 30s));
    ExpectQuestionAsked(*Dialogs);
    EXPECT_FALSE(Form->CheckBox11->isChecked());
    const std::string file = OnlyFile("温湿度1告警记录*.xls");
    const QJsonArray sheets = DumpWorkbook(file, {"0,0", "2,0"});
    ASSERT_EQ(sheets.size(), 1);
    const QJsonObject sheet = sheets[0].toObject();
    EXPECT_EQ(CellText(sheet, 0, 0), "告警记录");
    EXPECT_EQ(CellText(sheet, 1, 0) + CellText(sheet, 1, 1) + CellText(sheet, 1, 2), "类型数值记录时间");
    EXPECT_EQ(sheet["merged"].toArray(), (QJsonArray{QJsonArray{0, 1, 0, 3}}));
    EXPECT_EQ(sheet["widths"].toObject(), (QJsonObject{{"0", 4400}, {"1", 4400}, {"2", 7000}}));
    EXPECT_EQ(sheet["heights"].toObject()["0"].toInt(), 540);
    EXPECT_EQ(sheet["formats"].toObject()["0,0"].toObject()["font"].toString(), "宋体");
    EXPECT_EQ(sheet["formats"].toObject()["2,0"].toObject()["horiz"].toInt(), 2);
    ASSERT_EQ(Form->ListBox1->count(), 6);
    ASSERT_EQ(sheet["rows"].toArray().size(), 2 + 6);
    for (int i = 0; i < 6; ++i) {
        const QString tail =
            QString(":%1:(%2),%3").arg(CellText(sheet, 2 + i, 0), CellText(sheet, 2 + i, 1), CellText(sheet, 2 + i, 2));
        EXPECT_TRUE(Form->ListBox1->item(i)->text().endsWith(tail)) << Form->ListBox1->item(i)->text().toStdString();
    }
    // The workbook is clean for the next read.
    EXPECT_TRUE(Form->XLS.GetSheets(0)->IsEmpty());
}

// The stand-in's card exported to Excel: 32,364 records fill the first sheet, and the second
// sheet is opened at once.
TEST_F(ExcelWindowTest, CardExportFillsASheetOf32364Records) {
    platform::testing::TTempDir card;
    instrument::TInstrumentState state;
    state.Parameters[instrument::pmAddress] = 3;
    instrument::GenerateHistory(state, 32364, {2024, 7, 1, 0, 0, 0}, 60);
    ASSERT_GT(instrument::WriteCard(state, card.Path().string()), 0u);
    Tform1::ReadCardDrives = [&] { return std::vector<std::string>{card.Path().string()}; };
    StartWindow();
    Form->BitBtn22->click();
    Form->BitBtn28->click();
    ASSERT_TRUE(Form->CheckBox4->isEnabled());
    EXPECT_EQ(Form->CheckBox4->text(), "导出excel");
    Form->CheckBox4->setChecked(true);
    Form->BitBtn30->click();
    Tform1::ReadCardDrives = nullptr;
    EXPECT_EQ(Form->ListBox3->count(), 32364);
    ExpectQuestionAsked(*Dialogs);
    const QJsonArray sheets = DumpWorkbook(OnlyFile("温湿度3历史记录*.xls"));
    ASSERT_EQ(sheets.size(), 2);
    const QJsonObject first = sheets[0].toObject(), second = sheets[1].toObject();
    EXPECT_EQ(CellText(first, 0, 0), "温湿度历史记录报表1");
    EXPECT_EQ(CellText(first, 2, 3), "    本页条数:32364");
    EXPECT_EQ(CellText(second, 2, 2), "总条数:32364");
    ASSERT_EQ(first["rows"].toArray().size(), 28 + 32364);
    EXPECT_EQ(second["rows"].toArray().size(), 28);
    EXPECT_EQ(CellText(first, 28 + 32363, 0), "32364");
    EXPECT_TRUE(Form->ListBox3->item(32363)->text().endsWith(CellText(first, 28 + 32363, 3)));
}

}  // namespace
}  // namespace console::testing
