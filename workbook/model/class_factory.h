#pragma once

#include <memory>
#include <typeinfo>

#include "workbook/model/exceptions.h"

namespace xls {

class TXc12GraphicManager;

// Everything the class factory makes derives from this, so that one creation call serves the
// thirteen kinds.
class TXLSFactoryObject {
public:
    virtual ~TXLSFactoryObject() = default;
};

// The kinds of sheet-level objects the model lets the component make (the component hands out
// subclasses that add behaviour).
enum TXLSClassKind : int {
    xckNames = 0,
    xckName = 1,
    xckMergedCells = 2,
    xckMergedCell = 3,
    xckHyperlinks = 4,
    xckHyperlink = 5,
    xckDataValidations = 6,
    xckDataValidation = 7,
    xckConditionalFormat = 8,
    xckConditionalFormats = 9,
    xckAutofilter = 10,
    xckAutofilterColumn = 11,
    xckDrawing = 12,
};

class TXLSClassFactory {
public:
    virtual ~TXLSClassFactory() = default;
    // Any other kind yields nullptr. Owner is the list or sheet the object belongs to.
    virtual std::unique_ptr<TXLSFactoryObject> CreateObject(int kind, TXLSFactoryObject* owner) = 0;

    // The object of a kind as the class the model expects; raises when the factory makes none
    // or one of another class.
    template <class T>
    std::unique_ptr<T> Create(int kind, TXLSFactoryObject* owner) {
        std::unique_ptr<TXLSFactoryObject> object = CreateObject(kind, owner);
        T* typed = dynamic_cast<T*>(object.get());
        if (typed == nullptr) throw EXLSError("Class factory can not create the object");
        object.release();
        return std::unique_ptr<T>(typed);
    }
};

// The model's own classes: a document without the component's interface objects.
class TXc12ClassFactory : public TXLSClassFactory {
public:
    explicit TXc12ClassFactory(TXc12GraphicManager* graphicManager = nullptr) : GraphicManager_(graphicManager) {}
    std::unique_ptr<TXLSFactoryObject> CreateObject(int kind, TXLSFactoryObject* owner) override;
    void SetGraphicManager(TXc12GraphicManager* value) { GraphicManager_ = value; }

private:
    TXc12GraphicManager* GraphicManager_;
};

}  // namespace xls
