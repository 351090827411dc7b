#include "workbook/model/tests/model_fakes.h"

#include <stdexcept>

namespace xls::test {

namespace {

class TParser {
public:
    explicit TParser(std::u16string_view text) : Text_(text) {}

    void Parse(TFakeNode& root) {
        std::vector<TFakeNode*> open{&root};
        while (Pos_ < Text_.size()) {
            if (Text_[Pos_] != u'<') {
                const size_t end = Text_.find(u'<', Pos_);
                const std::u16string_view text = Text_.substr(Pos_, end - Pos_);
                if (text.find_first_not_of(u" \t\r\n") != std::u16string_view::npos) open.back()->Text += text;
                Pos_ = end == std::u16string_view::npos ? Text_.size() : end;
                continue;
            }
            if (Text_.substr(Pos_, 2) == u"<?") {
                Pos_ = Text_.find(u"?>", Pos_) + 2;
                continue;
            }
            if (Text_.substr(Pos_, 2) == u"</") {
                Pos_ = Text_.find(u'>', Pos_) + 1;
                if (open.size() < 2) throw std::runtime_error("unbalanced end tag");
                open.pop_back();
                continue;
            }
            ++Pos_;
            TFakeNode& node = open.back()->Add(Name());
            while (true) {
                Skip();
                if (Text_.substr(Pos_, 2) == u"/>") {
                    Pos_ += 2;
                    break;
                }
                if (Text_[Pos_] == u'>') {
                    ++Pos_;
                    open.push_back(&node);
                    break;
                }
                std::u16string name = Name();
                Skip();
                Pos_ += 2;  // ="
                const size_t end = Text_.find(u'"', Pos_);
                node.Attributes.emplace_back(std::move(name), std::u16string(Text_.substr(Pos_, end - Pos_)));
                Pos_ = end + 1;
            }
        }
        if (open.size() != 1) throw std::runtime_error("unclosed element");
    }

private:
    void Skip() {
        while (Pos_ < Text_.size() && (Text_[Pos_] == u' ' || Text_[Pos_] == u'\r' || Text_[Pos_] == u'\n')) ++Pos_;
    }
    std::u16string Name() {
        const size_t start = Pos_;
        while (Pos_ < Text_.size() && Text_[Pos_] != u' ' && Text_[Pos_] != u'>' && Text_[Pos_] != u'/' &&
               Text_[Pos_] != u'=' && Text_[Pos_] != u'\r' && Text_[Pos_] != u'\n')
            ++Pos_;
        return std::u16string(Text_.substr(start, Pos_ - start));
    }

    std::u16string_view Text_;
    size_t Pos_ = 0;
};

void Write(const TFakeNode& node, std::string& out) {
    const std::string name = base::Utf16ToUtf8(node.Name);
    out.append("<").append(name);
    for (const auto& [key, value] : node.Attributes)
        out.append(" ").append(base::Utf16ToUtf8(key)).append("=\"").append(base::Utf16ToUtf8(value)).append("\"");
    out.append(">").append(base::Utf16ToUtf8(node.Text));
    for (const auto& child : node.Children) Write(static_cast<const TFakeNode&>(*child), out);
    out.append("</").append(name).append(">");
}

}  // namespace

void TFakeDocument::LoadFromString(std::u16string_view text) {
    Clear();
    TParser(text).Parse(Root_);
}

void TFakeDocument::LoadFromStream(base::TStream& stream) {
    LoadFromString(base::Utf8ToUtf16(TFakePackage::ReadAll(stream)));
}

void TFakeDocument::SaveToStream(base::TStream& stream) {
    std::string out;
    for (const auto& child : Root_.Children) Write(static_cast<const TFakeNode&>(*child), out);
    stream.WriteBuffer(out.data(), static_cast<int64_t>(out.size()));
}

}  // namespace xls::test
