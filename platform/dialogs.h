#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// Message box flags and results, numbered as the original's message boxes.
constexpr uint32_t MB_OK = 0x0;
constexpr uint32_t MB_OKCANCEL = 0x1;
constexpr uint32_t MB_ICONQUESTION = 0x20;
constexpr uint32_t MB_DEFBUTTON2 = 0x100;
constexpr uint32_t MB_TOPMOST = 0x40000;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

// The message and input boxes the program shows. Texts are UTF-8. The GUI implementation
// uses Qt's dialogs; tests install one that answers without a person.
class TDialogs {
public:
    virtual ~TDialogs() = default;
    // A plain message with an OK button.
    virtual void ShowMessage(const std::string& text) = 0;
    // A box with caption, buttons and icon from flags; returns IDOK or IDCANCEL.
    virtual int MessageBox(const std::string& text, const std::string& caption, uint32_t flags) = 0;
    // An input box; Cancel returns the empty text.
    virtual std::string InputBox(const std::string& caption, const std::string& prompt,
                                 const std::string& defaultText) = 0;
    // An error that ended a handler; the window stays up.
    virtual void ShowError(const std::string& text) = 0;
};

// The dialogs in use: Qt's unless a test installed its own.
TDialogs& Dialogs();
// Installs dialogs (null restores Qt's); returns the previous ones.
std::unique_ptr<TDialogs> SetDialogs(std::unique_ptr<TDialogs> dialogs);

}  // namespace platform
