#pragma once

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "console/tests/console_fixture.h"
#include "tools/instrument/history_store.h"
#include "tools/instrument/instrument_server.h"

namespace console::testing {

// Ports are published in a virtual-port folder of the test's own; no real port is listed.
class StandInTest : public ConsoleTest {
protected:
    void SetUp() override {
        Ports_ = QDir::temp().filePath(QString("instrument-e2e-%1").arg(getpid()));
        QDir(Ports_).removeRecursively();
        setenv("XDG_RUNTIME_DIR", Ports_.toUtf8().constData(), 1);
        Tform1::PortRoots = {"/nonexistent/sys", "/dev", "/nonexistent/by-id",
                             (Ports_ + "/ombrix-ports").toStdString()};
    }
    void TearDown() override {
        ConsoleTest::TearDown();
        Servers.clear();
        if (Ports_.startsWith(QDir::tempPath() + "/instrument-e2e-")) QDir(Ports_).removeRecursively();
    }
    // A fresh window and no stand-ins, for the next case of a table.
    void Restart() {
        TearDown();
        SetUp();
    }
    // Starts the window once the stand-ins are published, so its port list holds them.
    void StartWindow() { ConsoleTest::SetUp(); }

    instrument::TInstrumentServer& AddServer(const std::string& name, uint32_t baud, bool silent = false,
                                             uint8_t model = 0x14) {
        Servers.push_back(std::make_unique<instrument::TInstrumentServer>(
            instrument::TInstrumentSettings{.BaudRate = baud, .Model = model}));
        Servers.back()->Publish(name);
        if (silent) Servers.back()->SetFaults({.Silent = true});
        return *Servers.back();
    }

    // Connects with "连接" on the preselected port (the last one listed).
    void ConnectToLastPort(const char* baud) {
        Form->ComboBox7->setCurrentText(baud);
        Form->BitBtn2->click();
        ASSERT_TRUE(PumpUntil([&] { return Panel(7).contains(",V101"); })) << Panel(5).toStdString();
    }

    // A window connected at 115200 baud to a stand-in holding records history records a minute
    // apart from 2024-03-01 08:00, its counters asked for, "连续读取" and "快速读取" checked.
    void ConnectWithHistory(uint32_t records) {
        AddServer("port-a", 115200, false, 0x14).Instrument().Update([&](instrument::TInstrumentState& s) {
            instrument::GenerateHistory(s, records, {2024, 3, 1, 8, 0, 0}, 60);
        });
        StartWindow();
        ConnectToLastPort("115200");
        Form->BitBtn17->click();
        ASSERT_TRUE(PumpUntil([&] { return Form->BitBtn19->isEnabled(); }));
        Form->CheckBox3->setChecked(true);
        Form->CheckBox10->setChecked(true);
    }

    std::vector<std::unique_ptr<instrument::TInstrumentServer>> Servers;

private:
    QString Ports_;
};

}  // namespace console::testing
