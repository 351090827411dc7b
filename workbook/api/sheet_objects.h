#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "workbook/model/autofilter.h"
#include "workbook/model/class_factory.h"
#include "workbook/model/defined_names.h"
#include "workbook/model/worksheet_items.h"

namespace xls {

class TXc12Manager;
class TXLSFormulaServices;

// The interface's subclasses of the model's list items: names that compile their formula and
// follow sheet insertions and deletions, hyperlinks that classify their target, merged cells and
// the autofilter. The model makes them through the class factory below.

class TXLSNames : public TXc12DefinedNames {
public:
    TXLSNames(TXLSClassFactory& factory, TXc12Manager* manager) : TXc12DefinedNames(factory), Manager_(manager) {}
    // Compiles every name in list order.
    void CompileAll();
    TXc12Manager* Manager() const { return Manager_; }
    TXLSFormulaServices* Formulas() const { return Formulas_; }
    // The workbook interface hands over its formula services once it exists.
    void SetFormulas(TXLSFormulaServices* formulas) { Formulas_ = formulas; }

protected:
    void AdjustFormulaSheetRefs(TXc12DefinedName& name, int sheetIndex, int delta) override;

private:
    TXc12Manager* Manager_;
    TXLSFormulaServices* Formulas_ = nullptr;
};

class TXLSName : public TXc12DefinedName {
public:
    explicit TXLSName(TXLSNames* owner) : Owner_(owner) {}
    // Compiles the content text (workbook scope) unless the name already holds tokens, then
    // finds what the tokens refer to. A text that does not compile reports 4011.
    void Compile();
    // The text of what the name refers to: the decoded formula, the sheet and the cell or area,
    // or "#REF!".
    std::u16string GetContent() const override;

private:
    TXLSNames* Owner_;
};

class TXLSHyperlinks : public TXc12Hyperlinks {
public:
    TXLSHyperlinks(TXLSClassFactory& factory, TXc12Manager* manager) : TXc12Hyperlinks(factory), Manager_(manager) {}
    TXc12Manager* Manager() const { return Manager_; }

private:
    TXc12Manager* Manager_;
};

class TXLSHyperlink : public TXc12Hyperlink {
public:
    explicit TXLSHyperlink(TXLSHyperlinks* owner) : Owner_(owner) {}
    // The URL form of text: the reserved characters percent-encoded.
    static std::u16string EncodeAddress(std::u16string_view text);
    // Sets the link type from the address and rewrites it as a URL where it is one.
    void Classify(std::u16string_view address);
    void AddressChanged() override { Classify(std::u16string(Address_)); }

private:
    // Whether text compiles as formula text (a place in this workbook), no error reported.
    bool IsWorkbookLocation(std::u16string_view text) const;
    TXLSHyperlinks* Owner_;
};

class TXLSMergedCells : public TXc12MergedCells {
public:
    using TXc12MergedCells::TXc12MergedCells;
};

class TXLSMergedCell : public TXc12MergedCell {};

// Clearing an area or the sheet leaves the autofilter with its columns and range.
class TXLSAutofilter : public TXc12AutoFilter {
public:
    TXLSAutofilter(TXLSClassFactory& factory, TXLSNames* names) : TXc12AutoFilter(factory), Names_(names) {}
    void ClearArea() {}
    void ClearSheet() {}
    TXLSNames* Names() const { return Names_; }

private:
    TXLSNames* Names_;
};

class TXLSAutofilterColumn : public TXc12FilterColumn {};

// Makes the interface's classes for the model; the rest as the model's own factory does. The
// document root is set once it exists, before its parts are created.
class TXLSClassFactoryImpl : public TXc12ClassFactory {
public:
    using TXc12ClassFactory::TXc12ClassFactory;
    std::unique_ptr<TXLSFactoryObject> CreateObject(int kind, TXLSFactoryObject* owner) override;
    void SetManager(TXc12Manager* manager) { Manager_ = manager; }

private:
    TXc12Manager* Manager_ = nullptr;
};

}  // namespace xls
