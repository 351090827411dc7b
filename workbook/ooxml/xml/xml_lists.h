#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace xls {

class TXpgWriteXML;

// Lists of values that travel as one delimited text or as repeated elements (the namespace
// declarations of a root element, the vectors of the extended-properties part). Item texts are
// UTF-8.
class TBaseXpgList {
public:
    using TItemErrorEvent = std::function<void(TBaseXpgList& sender)>;

    virtual ~TBaseXpgList() = default;

    virtual std::string GetItemText(int index) const = 0;
    virtual void SetItemText(int index, std::u16string_view text) = 0;
    virtual void SetDelimiter(char16_t delimiter) { Delimiter_ = delimiter; }
    virtual std::u16string GetDelimitedText() const = 0;
    virtual void SetDelimitedText(std::u16string_view text) = 0;
    virtual int GetCount() const = 0;
    virtual void Clear() = 0;

    char16_t Delimiter() const { return Delimiter_; }
    // Called with the list for every piece of a delimited text that is no value of the list.
    void SetOnItemError(TItemErrorEvent handler) { OnItemError_ = std::move(handler); }
    // TextElement(name, item text) for every item in order.
    void WriteElements(TXpgWriteXML& writer, std::string_view name) const;

protected:
    void ItemError() {
        if (OnItemError_) OnItemError_(*this);
    }
    void CheckIndex(int index) const;

    char16_t Delimiter_ = u' ';
    TItemErrorEvent OnItemError_;
};

// Typed items; delimited texts are split at the delimiter, each piece parsed by TryParse, and
// joined again with the delimiter.
template <typename T>
class TItemXpgList : public TBaseXpgList {
public:
    int GetCount() const override { return static_cast<int>(Items_.size()); }
    void Clear() override { Items_.clear(); }
    T Items(int index) const {
        CheckIndex(index);
        return Items_[static_cast<size_t>(index)];
    }
    void Add(T value) { Items_.push_back(value); }
    void Add(std::u16string_view text) { Items_.push_back(Parse(text)); }
    // A literal is text, never a pointer converted to bool.
    void Add(const char16_t* text) { Add(std::u16string_view(text)); }
    void SetItemText(int index, std::u16string_view text) override {
        CheckIndex(index);
        Items_[static_cast<size_t>(index)] = Parse(text);
    }
    std::string GetItemText(int index) const override {
        CheckIndex(index);
        return Format(Items_[static_cast<size_t>(index)]);
    }
    std::u16string GetDelimitedText() const override;
    void SetDelimitedText(std::u16string_view text) override;

protected:
    // The value of a single text (may raise, as the list's Add(text) does).
    virtual T Parse(std::u16string_view text) const = 0;
    virtual bool TryParse(std::u16string_view text, T& value) const = 0;
    virtual std::string Format(T value) const = 0;

private:
    std::vector<T> Items_;
};

// Doubles; bad text reads as 0.
class TExtendedXpgList : public TItemXpgList<double> {
protected:
    double Parse(std::u16string_view text) const override;
    bool TryParse(std::u16string_view text, double& value) const override;
    std::string Format(double value) const override;
};

// Unsigned 32-bit values; bad text raises EConvertError.
class TLongwordXpgList : public TItemXpgList<uint32_t> {
protected:
    uint32_t Parse(std::u16string_view text) const override;
    bool TryParse(std::u16string_view text, uint32_t& value) const override;
    std::string Format(uint32_t value) const override;
};

// Date-time values (days since 1899-12-30, local time) as ISO 8601 texts.
class TTDateTimeXpgList : public TItemXpgList<double> {
protected:
    double Parse(std::u16string_view text) const override;
    bool TryParse(std::u16string_view text, double& value) const override;
    std::string Format(double value) const override;
};

// Booleans; bad text raises 'Invalid boolean value "%s"'; items read as "true" / "false".
class TBooleanXpgList : public TItemXpgList<bool> {
protected:
    bool Parse(std::u16string_view text) const override;
    bool TryParse(std::u16string_view text, bool& value) const override;
    std::string Format(bool value) const override;
};

// Texts, kept as UTF-8. Delimited texts follow the class library's rules: blanks (characters up
// to the space) separate items as the delimiter does, an item in double quotes may hold them
// (a doubled quote standing for one), and a delimiter at the very end adds an empty item.
class TStringXpgList : public TBaseXpgList {
public:
    int GetCount() const override { return static_cast<int>(Items_.size()); }
    void Clear() override { Items_.clear(); }
    std::string GetItemText(int index) const override;
    void SetItemText(int index, std::u16string_view text) override;
    std::u16string GetDelimitedText() const override;
    void SetDelimitedText(std::u16string_view text) override;

    std::u16string Items(int index) const;
    void Add(std::u16string_view text);
    void Add(std::string_view utf8Text) { Items_.emplace_back(utf8Text); }
    // name="value" followed by a space, not escaped (a raw attribute to write back).
    void AddAttribute(std::u16string_view name, std::u16string_view value);
    int IndexOf(std::u16string_view text) const;
    // Every item followed by CR LF.
    std::u16string GetText() const;

private:
    std::vector<std::string> Items_;
};

}  // namespace xls
