#pragma once

#include <functional>
#include <memory>

namespace skin {

class TSkinData;

// What a skin component asks of the module's skin manager: registration, the thread hook, the
// deferred commands (1 activate, 2 deactivate, 3 refresh) and skinning its owner form.
class TSkinManagerLink {
public:
    virtual ~TSkinManagerLink() = default;

    virtual void AddSkinData(TSkinData& data) = 0;
    virtual void RemoveSkinData(TSkinData& data) = 0;
    virtual void InstallHook() = 0;
    virtual void SetCommandData(TSkinData* data) = 0;
    virtual void PostCommand(int command, int intervalMs) = 0;
    virtual int Started() const = 0;
    virtual void SetStarted(int value) = 0;
    virtual void SetActive(bool value) = 0;
    virtual void SkinOwnerForm(TSkinData& data) = 0;
    // Caption buttons of the windows that use the command's skin component are built again.
    virtual void ReloadSkinners() = 0;
};

// The module's one manager, made by the factory on first need; none while no factory is set
// (the component then only holds its skin).
using TSkinManagerFactory = std::function<std::unique_ptr<TSkinManagerLink>()>;
void SetSkinManagerFactory(TSkinManagerFactory factory);
TSkinManagerLink* SkinManager();
TSkinManagerLink* EnsureSkinManager();
// Frees the manager (the module's end).
void FreeSkinManager();

}  // namespace skin
