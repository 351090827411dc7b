#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "workbook/model/exceptions.h"

namespace xls {

enum TXLSErrorLevel : uint8_t { xelMessage = 0, xelHint = 1, xelWarning = 2, xelError = 3, xelFatal = 4, xelDebug = 5 };

// Set of TXLSErrorLevel, one bit per level.
class TXLSErrorLevels {
public:
    constexpr TXLSErrorLevels() = default;
    constexpr TXLSErrorLevels(std::initializer_list<TXLSErrorLevel> levels) {
        for (TXLSErrorLevel level : levels) Bits_ |= Bit(level);
    }
    constexpr bool Contains(TXLSErrorLevel level) const { return (Bits_ & Bit(level)) != 0; }
    constexpr void Include(TXLSErrorLevel level) { Bits_ |= Bit(level); }
    constexpr void Exclude(TXLSErrorLevel level) { Bits_ &= static_cast<uint8_t>(~Bit(level)); }
    constexpr bool operator==(const TXLSErrorLevels&) const = default;

private:
    static constexpr uint8_t Bit(TXLSErrorLevel level) { return static_cast<uint8_t>(1u << level); }
    uint8_t Bits_ = 0;
};

class TXLSErrorManager;

using TXLSErrorEvent = std::function<void(TXLSErrorManager& sender, TXLSErrorLevel level, const std::u16string& text)>;

// One numbered report raised by the error manager when nobody listens. Number is the report's
// number (4010 for "Invalid cell reference"); the message is the full prefixed text.
class EXLSReport : public EXLSError {
public:
    EXLSReport(std::u16string_view text, int number) : EXLSError(text), Text_(text), Number_(number) {}
    const std::u16string& Text() const { return Text_; }
    int Number() const { return Number_; }

private:
    std::u16string Text_;
    int Number_;
};

// A line of the manager's message list.
struct TXLSErrorMessage {
    std::u16string Text;
    int Number = 0;
};

// Numbered errors, warnings and hints of the spreadsheet library (one manager per component).
// An error is counted, may be kept in the message list and goes to OnError; with nobody
// listening (no OnError, or errors filtered out, and no SaveToList) it raises EXLSReport.
// Warnings and hints never raise.
class TXLSErrorManager {
public:
    // The numbers of the message table.
    static constexpr int ErrUnknownEncryption = 1002;
    static constexpr int ErrPasswordMissing = 1003;
    static constexpr int ErrPasswordWrong = 1004;
    static constexpr int ErrDirectWriteOrder = 1005;
    static constexpr int WarnXMLRead = 2001;
    static constexpr int WarnTextCutShort = 2002;
    static constexpr int ErrInvalidCellReference = 4010;

    TXLSErrorManager() = default;

    // "The message of number N": the number, ": " and the table text with "%s" replaced by
    // text; a number missing from the table gives the number and ": " alone. No prefix.
    static std::u16string MessageText(int number, std::u16string_view text);
    // The table text of a number ("" when the number has none); "%s" still in it.
    static std::u16string_view TableText(int number);

    void Error(std::u16string_view text, int number);
    void Warning(std::u16string_view text, int number);
    // Not in the original's table of routines: a hint is counted, listed and passed to OnError
    // like a warning (prefix "H"), and never raises.
    void Hint(std::u16string_view text, int number);

    const TXLSErrorEvent& OnError() const { return OnError_; }
    void SetOnError(TXLSErrorEvent handler) { OnError_ = std::move(handler); }
    TXLSErrorLevels Filter() const { return Filter_; }
    void SetFilter(TXLSErrorLevels filter) { Filter_ = filter; }
    bool SaveToList() const { return SaveToList_; }
    void SetSaveToList(bool value) { SaveToList_ = value; }
    int LastError() const { return LastError_; }
    void SetLastError(int value) { LastError_ = value; }

    // Cumulative counts: FatalCount = fatal; ErrorCount = errors + fatal; WarningCount = warnings
    // + errors + fatal; HintCount = hints + warnings + errors + fatal.
    int FatalCount() const { return Fatals_; }
    int ErrorCount() const { return Errors_ + Fatals_; }
    int WarningCount() const { return Warnings_ + ErrorCount(); }
    int HintCount() const { return Hints_ + WarningCount(); }

    const std::vector<TXLSErrorMessage>& Messages() const { return Messages_; }
    void ClearMessages() { Messages_.clear(); }

    bool IgnoreXMLWarnings() const { return IgnoreXMLWarnings_; }
    void SetIgnoreXMLWarnings(bool value) { IgnoreXMLWarnings_ = value; }
    // Set around a trial compile: an error then only records its number in LastError.
    bool ReportingOff() const { return ReportingOff_; }
    void SetReportingOff(bool value) { ReportingOff_ = value; }

private:
    void Report(TXLSErrorLevel level, char16_t prefix, std::u16string_view text, int number);

    TXLSErrorEvent OnError_;
    TXLSErrorLevels Filter_{xelDebug};
    bool SaveToList_ = false;
    std::vector<TXLSErrorMessage> Messages_;
    int LastError_ = 0;
    int Hints_ = 0;
    int Warnings_ = 0;
    int Errors_ = 0;
    int Fatals_ = 0;
    bool IgnoreXMLWarnings_ = true;
    bool ReportingOff_ = false;
};

// Switches a manager's reporting off for a scope and back on when it ends, also when the scope
// ends by an exception (the trial compile clears the flag on every path).
class TXLSReportingOffScope {
public:
    explicit TXLSReportingOffScope(TXLSErrorManager& manager) : Manager_(manager), Was_(manager.ReportingOff()) {
        Manager_.SetReportingOff(true);
    }
    ~TXLSReportingOffScope() { Manager_.SetReportingOff(Was_); }
    TXLSReportingOffScope(const TXLSReportingOffScope&) = delete;
    TXLSReportingOffScope& operator=(const TXLSReportingOffScope&) = delete;

private:
    TXLSErrorManager& Manager_;
    bool Was_;
};

}  // namespace xls
