#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "console/crc16.h"
#include "console/form1.h"
#include "platform/dialogs.h"
#include "platform/testing/pty_pair.h"

namespace console::testing {

// Dialogs that answer from a script and remember what they were shown.
class TScriptedDialogs : public platform::TDialogs {
public:
    std::deque<std::string> InputAnswers;
    std::deque<int> BoxAnswers;
    std::vector<std::string> Messages;
    std::vector<std::string> Errors;
    std::vector<std::string> Prompts;
    // Runs as a box is asked, while the window stands as its handler left it.
    std::function<void(const std::string&)> WhileAsked;

    void ShowMessage(const std::string& text) override { Messages.push_back(text); }
    int MessageBox(const std::string& text, const std::string&, uint32_t) override {
        Prompts.push_back(text);
        if (WhileAsked) WhileAsked(text);
        if (BoxAnswers.empty()) return platform::IDCANCEL;
        const int answer = BoxAnswers.front();
        BoxAnswers.pop_front();
        return answer;
    }
    std::string InputBox(const std::string&, const std::string& prompt, const std::string&) override {
        Prompts.push_back(prompt);
        if (InputAnswers.empty()) return "";
        std::string answer = InputAnswers.front();
        InputAnswers.pop_front();
        return answer;
    }
    void ShowError(const std::string& text) override { Errors.push_back(text); }
};

using TBytes = std::vector<uint8_t>;

// The bytes with their Modbus CRC appended.
inline TBytes WithCrc(TBytes bytes) {
    const uint16_t crc = Crc16Modbus(bytes.data(), bytes.size());
    bytes.push_back(static_cast<uint8_t>(crc >> 8));
    bytes.push_back(static_cast<uint8_t>(crc & 0xFF));
    return bytes;
}

template <typename Done>
bool PumpUntil(Done done, std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done() && std::chrono::steady_clock::now() < deadline)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

inline void PumpFor(std::chrono::milliseconds duration) {
    PumpUntil([] { return false; }, duration);
}

// A window whose dialogs are scripted, started in a folder of its own (it creates "data").
class ConsoleTest : public ::testing::Test {
protected:
    void SetUp() override {
        Folder_ =
            QDir::temp().filePath(QString("console-test-%1-%2").arg(getpid()).arg(reinterpret_cast<quintptr>(this)));
        QDir().mkpath(Folder_);
        Previous_ = QDir::currentPath();
        QDir::setCurrent(Folder_);
        auto dialogs = std::make_unique<TScriptedDialogs>();
        Dialogs = dialogs.get();
        platform::SetDialogs(std::move(dialogs));
        Form = std::make_unique<Tform1>();
    }
    void TearDown() override {
        Form.reset();
        platform::SetDialogs(nullptr);
        // Only a folder this fixture made is removed: never the current one.
        if (Folder_.isEmpty()) return;
        QDir::setCurrent(Previous_);
        if (Folder_.startsWith(QDir::tempPath() + "/console-test-")) QDir(Folder_).removeRecursively();
        Folder_.clear();
    }

    // Panel i of the status bar.
    QString Panel(int index) const { return Form->StatusBar1->PanelText(index); }

    // The far end reads one request of the expected length.
    TBytes Request(size_t length, std::chrono::milliseconds timeout = std::chrono::seconds(3)) {
        TBytes bytes;
        PumpUntil(
            [&] {
                const TBytes more = Pty.Read(length - bytes.size(), std::chrono::milliseconds(10));
                bytes.insert(bytes.end(), more.begin(), more.end());
                return bytes.size() >= length;
            },
            timeout);
        return bytes;
    }

    // Connects to the pty with the connect button and answers the identification chain.
    void Connect(uint8_t address = 1) {
        Form->ComboBox6->setCurrentText(QString::fromStdString(Pty.SlavePath()));
        Form->BitBtn2->click();
        ASSERT_EQ(Request(8), WithCrc({0xFF, 0x03, 0x00, 0xC8, 0x00, 0x01}));
        Pty.Write(WithCrc({address, 0x03, 0x02, 0x00, address}));
        ASSERT_EQ(Request(8), WithCrc({address, 0x2E, 0xEA, 0xDF, 0x00, 0x02}));
        Pty.Write(WithCrc({address, 0x2E, 0x04, 0x14, 0x08, 0x00, 0x65}));
        ASSERT_TRUE(PumpUntil([&] { return Panel(7) == "THKB1,30万组,PT,V101"; }));
    }

    platform::testing::TPtyPair Pty;
    TScriptedDialogs* Dialogs = nullptr;
    std::unique_ptr<Tform1> Form;

private:
    QString Folder_;
    QString Previous_;
};

}  // namespace console::testing
