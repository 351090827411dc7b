#include "skin/skin_manager_link.h"

namespace skin {

namespace {

struct TModuleManager {
    TSkinManagerFactory Factory;
    std::unique_ptr<TSkinManagerLink> Manager;
};

TModuleManager& Module() {
    static TModuleManager module;
    return module;
}

}  // namespace

void SetSkinManagerFactory(TSkinManagerFactory factory) { Module().Factory = std::move(factory); }

TSkinManagerLink* SkinManager() { return Module().Manager.get(); }

TSkinManagerLink* EnsureSkinManager() {
    TModuleManager& module = Module();
    if (!module.Manager && module.Factory) module.Manager = module.Factory();
    return module.Manager.get();
}

void FreeSkinManager() { Module().Manager.reset(); }

}  // namespace skin
