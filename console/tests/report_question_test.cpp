// The question whether to open a report belongs to the step that saved it: what the window
// shows while it is asked, for the Excel and the PDF report of a continuous history read alike.
#include <gtest/gtest.h>

#include "console/tests/instrument_fixture.h"

namespace console::testing {
namespace {

using namespace std::chrono_literals;

const std::string Question = "导出成功，是否打开文件？";

class ReportQuestionTest : public StandInTest {};

// The end of a read finishes its report before the read button is captioned "读取" again; a stop
// captions the button first.
TEST_F(ReportQuestionTest, HistoryReadAsksBeforeItsLaterSteps) {
    struct Case {
        const char* Name;
        bool Excel;
        bool Stop;
        const char* Caption;
    };
    const Case cases[] = {
        {"Excel, end of the records", true, false, "停止"},
        {"PDF, end of the records", false, false, "停止"},
        {"Excel, stopped", true, true, "读取"},
        {"PDF, stopped", false, true, "读取"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Restart();
        ASSERT_NO_FATAL_FAILURE(ConnectWithHistory(c.Stop ? 1000 : 30));
        (c.Excel ? Form->CheckBox6 : Form->CheckBox2)->setChecked(true);
        QString caption;
        bool checked = false;
        Dialogs->WhileAsked = [&](const std::string&) {
            caption = Form->BitBtn19->text();
            checked = (c.Excel ? Form->CheckBox6 : Form->CheckBox2)->isChecked();
        };
        Form->BitBtn19->click();
        if (c.Stop) {
            ASSERT_TRUE(PumpUntil([&] { return Form->State.RecordsRead > 0; }, 10s));
            Form->BitBtn19->click();
        } else {
            ASSERT_TRUE(PumpUntil([&] { return !Form->State.ContinuousRead; }, 30s));
        }
        EXPECT_EQ(Dialogs->Prompts, std::vector<std::string>{Question});
        EXPECT_EQ(caption, c.Caption);
        // The report box is cleared only after the question.
        EXPECT_TRUE(checked);
        EXPECT_EQ(Form->BitBtn19->text(), "读取");
        EXPECT_FALSE((c.Excel ? Form->CheckBox6 : Form->CheckBox2)->isChecked());
    }
}

}  // namespace
}  // namespace console::testing
