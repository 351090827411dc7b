#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

#include "skin/skin_manager_link.h"

class QWidget;

namespace skin {

class TSkinData;
class TVidAvevForm;

// The module's one skin manager. An application-wide event filter watches the windows of the
// GUI thread: the first activation of a top-level window skins it with the skin component
// chosen for it, and a destroyed window's skinner goes with it. Commands of the skin
// components (1 activate, 2 deactivate, 3 refresh, 6 purge) run from a one-shot timer.
class TSkinManage : public QObject, public TSkinManagerLink {
public:
    TSkinManage();
    ~TSkinManage() override;

    // Makes this manager the module's manager on the skin components' first need.
    static void Install();

    void AddSkinData(TSkinData& data) override;
    void RemoveSkinData(TSkinData& data) override;
    void InstallHook() override;
    void SetCommandData(TSkinData* data) override { FCommandData = data; }
    void PostCommand(int command, int intervalMs) override;
    int Started() const override { return FStarted; }
    void SetStarted(int value) override { FStarted = value; }
    void SetActive(bool value) override { FActive = value; }
    void SkinOwnerForm(TSkinData& data) override;
    void ReloadSkinners() override;

    bool Active() const { return FActive; }
    bool SkinWindow(QWidget* window);
    void SkinForm(QWidget* form);
    TVidAvevForm* FindSkinner(const QWidget* window) const;
    TSkinData* FindSkinData(const QWidget* window) const;
    bool ShouldSkin(const QWidget* window, const std::string& className) const;
    void PurgeDead();
    void PurgeReleased();
    void UnskinAll();
    void RunCommand();
    const std::vector<std::unique_ptr<TVidAvevForm>>& Skinners() const { return FSkinners; }
    int PendingCommand() const { return FTimer.isActive() ? FCommand : 0; }

    static constexpr int CommandActivate = 1, CommandDeactivate = 2, CommandRefresh = 3, CommandPurge = 6;
    static constexpr int ChildIntervalMs = 300;
    static constexpr int NoSkinTag = 99;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Unskin(TVidAvevForm& skinner);

    QTimer FTimer;
    std::vector<std::unique_ptr<TVidAvevForm>> FSkinners;
    std::vector<TSkinData*> FSkinDatas;
    bool FActive = false;
    bool FSkinAll = false;
    int FStarted = 0;
    int FCommand = 0;
    TSkinData* FCommandData = nullptr;
    TSkinData* FMainSkinData = nullptr;
    bool FHooked = false;
};

}  // namespace skin
