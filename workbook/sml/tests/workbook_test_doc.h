#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/exception.h"
#include "base/stream.h"
#include "workbook/sml/sml_workbook.h"

namespace xpg::testing {

// A part document holding only the workbook root, read and written the way the SpreadsheetML
// document treats its roots.
class TWorkbookTestDoc : public TXPGDocBase {
public:
    TWorkbookTestDoc() : Root_(this), Reader_(Errors, Root_, Namespaces()) {}

    void LoadFromStream(base::TStream& stream) { Reader_.LoadFromStream(stream); }
    void SaveToStream(base::TStream& stream) {
        Writer_.BeginDocument(stream);
        Root_.CheckAssigned();
        Root_.Attributes.Write(Writer_, MainNamespace, Prefixes);
        XpgWriteItem(Writer_, *Root_.Workbook, "workbook");
        Writer_.Flush();
    }
    sml::TCT_Workbook& Workbook() { return *Root_.Workbook; }
    const TXPGRootAttributes& RootAttributes() const { return Root_.Attributes; }

private:
    static constexpr std::string_view MainNamespace = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 1> Prefixes{
        {{"r", "http://schemas.openxmlformats.org/officeDocument/2006/relationships"}}};

    static const TXPGNamespaces& Namespaces() {
        static const TXPGNamespaces namespaces{
            {std::string(MainNamespace), "http://purl.oclc.org/ooxml/spreadsheetml/main"},
            {Prefixes.begin(), Prefixes.end()}};
        return namespaces;
    }

    class TRoot : public TXPGBase {
    public:
        explicit TRoot(TXPGDocBase* document)
            : TXPGBase(document, 1, 0), Workbook(std::make_unique<sml::TCT_Workbook>(document)) {}
        int CheckAssigned() override { return Workbook->CheckAssigned(); }
        TXPGBase* HandleElement(TXPGReader& reader) override {
            const auto& attributes = reader.Attributes();
            for (int i = 0; i < attributes.Count(); ++i)
                Attributes.Add(attributes.GetRawName(i), attributes.GetValue(i));
            if (reader.ElementName() != "workbook")
                throw base::Exception("Unknown document element \"" + std::string(reader.RawQName()) + "\"");
            return Workbook.get();
        }

        TXPGRootAttributes Attributes;
        std::unique_ptr<sml::TCT_Workbook> Workbook;
    };

    TRoot Root_;
    TXPGReader Reader_;
    xls::TXpgWriteXML Writer_;
};

// Copies one defined name: the stand-in for the model that the streamed names pass through.
inline void CopyDefinedName(const sml::TCT_DefinedName& from, sml::TCT_DefinedName& to) {
    to.Clear();
    to.Text = from.Text;
    to.name = from.name;
    to.comment = from.comment;
    to.customMenu = from.customMenu;
    to.description = from.description;
    to.help = from.help;
    to.statusBar = from.statusBar;
    to.localSheetId = from.localSheetId;
    to.hidden = from.hidden;
    to.function = from.function;
    to.vbProcedure = from.vbProcedure;
    to.xlm = from.xlm;
    to.functionGroupId = from.functionGroupId;
    to.shortcutKey = from.shortcutKey;
    to.publishToServer = from.publishToServer;
    to.workbookParameter = from.workbookParameter;
}

// Keeps every defined name read and gives them back, in order, when the document is saved.
class TDefinedNamesRelay {
public:
    explicit TDefinedNamesRelay(TWorkbookTestDoc& doc) : Doc_(doc) {
        auto& names = doc.Workbook().DefinedNamesItem;
        names.OnReadDefinedName = [this](sml::TCT_DefinedName& name) {
            Names_.push_back(std::make_unique<sml::TCT_DefinedName>(&Doc_));
            CopyDefinedName(name, *Names_.back());
        };
        names.OnWriteDefinedName = [this](sml::TCT_DefinedName& name) {
            if (Next_ >= Names_.size()) return false;
            CopyDefinedName(*Names_[Next_++], name);
            return true;
        };
        doc.Workbook().OnWriteDefinedNames = [this](sml::TCT_DefinedNames&) {
            const bool first = !Asked_ && !Names_.empty();
            Asked_ = true;
            Next_ = 0;
            return first;
        };
    }
    size_t Count() const { return Names_.size(); }
    const sml::TCT_DefinedName& Name(size_t index) const { return *Names_.at(index); }

private:
    TWorkbookTestDoc& Doc_;
    std::vector<std::unique_ptr<sml::TCT_DefinedName>> Names_;
    size_t Next_ = 0;
    bool Asked_ = false;
};

}  // namespace xpg::testing
