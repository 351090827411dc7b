#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace xls {

struct TWSRec {
    std::u16string Text;
    int32_t Value = 0;
};

// A small list of UTF-16 texts, each with an integer value.
class TXLSWideStringList {
public:
    virtual ~TXLSWideStringList();

    int Add(const std::u16string& text);
    int AddValue(const std::u16string& text, int32_t value);
    // Text with a blank at position 2 or later: appends what follows the first blank, trimmed of
    // blanks and control characters; otherwise the text unchanged.
    int AddAfterBlank(const std::u16string& text);
    void Clear();
    int GetCount() const { return static_cast<int>(Items_.size()); }
    // Both raise EBIFFError "List index out of bounds (%d)" for an index outside the list.
    std::u16string GetString(int index) const;
    int32_t GetValue(int index) const;

    // Called after Add, AddValue and Clear unless updates are locked.
    std::function<void(TXLSWideStringList&)> OnChange;
    void SetUpdateLock(bool locked) { UpdateLock_ = locked; }

private:
    const TWSRec& Item(int index) const;
    void Changed();

    std::vector<TWSRec> Items_;
    bool UpdateLock_ = false;
};

// The list whose texts are name=value lines.
class TXLSValueWideStringList : public TXLSWideStringList {
public:
    char16_t Separator() const { return Separator_; }
    void SetSeparator(char16_t separator) { Separator_ = separator; }

private:
    char16_t Separator_ = u'=';
};

}  // namespace xls
