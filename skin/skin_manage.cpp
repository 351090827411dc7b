#include "skin/skin_manage.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QWidget>
#include <algorithm>
#include <cctype>

#include "skin/skin_data.h"
#include "skin/skin_events.h"
#include "skin/vidavev_form.h"

namespace skin {

namespace {

std::string ClassNameOf(const QWidget* window) { return window->metaObject()->className(); }

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Windows that are never framed: menus, tool tips, splash screens and the desktop.
bool IsFramedWindow(const QWidget* window) {
    if (!window->isWindow()) return false;
    switch (window->windowType()) {
        case Qt::Window:
        case Qt::Dialog: return true;
        default: return false;
    }
}

bool IsStandardDialog(const QWidget* window) { return qobject_cast<const QDialog*>(window) != nullptr; }

}  // namespace

TSkinManage::TSkinManage() {
    FTimer.setSingleShot(true);
    FTimer.setInterval(100);
    connect(&FTimer, &QTimer::timeout, this, [this] { RunCommand(); });
}

TSkinManage::~TSkinManage() {
    FStarted = 4;
    FActive = false;
    FTimer.stop();
    if (FHooked && qApp) qApp->removeEventFilter(this);
    for (auto& skinner : FSkinners) skinner->ReleaseWindow();
    FSkinners.clear();
}

void TSkinManage::Install() {
    SetSkinManagerFactory([] { return std::make_unique<TSkinManage>(); });
}

void TSkinManage::AddSkinData(TSkinData& data) {
    FSkinDatas.push_back(&data);
    if (!FMainSkinData && data.SkinFormtype() == TSkinFormType::sfMainform) FMainSkinData = &data;
}

void TSkinManage::RemoveSkinData(TSkinData& data) {
    std::erase(FSkinDatas, &data);
    if (FMainSkinData == &data) FMainSkinData = nullptr;
    if (FCommandData == &data) FCommandData = nullptr;
    // A skinner never outlives the skin it paints with.
    for (size_t i = FSkinners.size(); i-- > 0;) {
        if (FSkinners[i]->SkinData() != &data) continue;
        FSkinners[i]->ReleaseWindow();
        FSkinners.erase(FSkinners.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

void TSkinManage::InstallHook() {
    if (FHooked || !qApp) return;
    qApp->installEventFilter(this);
    FHooked = true;
}

bool TSkinManage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::WindowActivate && watched->isWidgetType()) {
        auto* window = static_cast<QWidget*>(watched);
        if (window->isWindow()) {
            if (FStarted == 0) FStarted = 1;
            SkinWindow(window);
        }
    }
    return false;
}

void TSkinManage::PostCommand(int command, int intervalMs) {
    FCommand = command;
    FTimer.setInterval(intervalMs);
    if (FStarted == 0) {
        if (command == CommandActivate) FActive = true;
        if (command == CommandDeactivate) FActive = false;
        return;
    }
    FTimer.start();
}

bool TSkinManage::SkinWindow(QWidget* window) {
    if (!window || !FActive) return false;
    PurgeDead();
    QEvent query(SkinEventType(TSkinEvent::Query));
    query.ignore();
    QCoreApplication::sendEvent(window, &query);
    if (query.isAccepted() || FindSkinner(window)) return false;
    if (!IsFramedWindow(window)) return false;
    if (window->width() * window->height() == 0) return false;
    if (window->property("Tag").toInt() == NoSkinTag) return false;
    const std::string className = ClassNameOf(window);
    if (!ShouldSkin(window, className)) return false;
    TSkinData* data = FindSkinData(window);
    if (!data || data->Loading()) return false;
    auto skinner = std::make_unique<TVidAvevForm>(*this, *window);
    skinner->AttachForm(*data);
    FSkinners.push_back(std::move(skinner));
    return true;
}

void TSkinManage::SkinForm(QWidget* form) {
    if (!form || !form->isVisible() || !form->isWindow()) return;
    SkinWindow(form);
}

void TSkinManage::SkinOwnerForm(TSkinData& data) {
    if (auto* owner = qobject_cast<QWidget*>(data.Owner())) SkinWindow(owner->window());
}

void TSkinManage::ReloadSkinners() {
    for (auto& skinner : FSkinners)
        if (skinner->SkinData() == FCommandData) skinner->FreeCaptionButtons();
}

TVidAvevForm* TSkinManage::FindSkinner(const QWidget* window) const {
    for (const auto& skinner : FSkinners)
        if (skinner->Window() == window) return skinner.get();
    return nullptr;
}

TSkinData* TSkinManage::FindSkinData(const QWidget* window) const {
    auto last = [&](auto accept) -> TSkinData* {
        for (auto it = FSkinDatas.rbegin(); it != FSkinDatas.rend(); ++it)
            if (accept(**it)) return *it;
        return nullptr;
    };
    if (TSkinData* own = last(
            [&](TSkinData& d) { return d.SkinFormtype() == TSkinFormType::sfOnlyThisForm && d.Owner() == window; }))
        return own;
    if (IsStandardDialog(window))
        if (TSkinData* dialog = last([](TSkinData& d) { return d.SkinFormtype() == TSkinFormType::sfDialog; }))
            return dialog;
    if (TSkinData* main = last([](TSkinData& d) { return d.SkinFormtype() == TSkinFormType::sfMainform; })) return main;
    return FSkinDatas.empty() ? nullptr : FSkinDatas.front();
}

bool TSkinManage::ShouldSkin(const QWidget*, const std::string& className) const {
    if (!FMainSkinData) return true;
    const std::string lower = Lower(className);
    if (!FMainSkinData->Options().Has(TSkinOption::xoPreview) && lower.find("preview") != std::string::npos)
        return false;
    bool doSkin = true;
    FMainSkinData->DoFormSkin(className, doSkin);
    return doSkin;
}

void TSkinManage::PurgeDead() {
    if (FStarted == 4) return;
    // A window that is gone takes its skinner with it; released skinners are freed here.
    std::erase_if(FSkinners, [](const std::unique_ptr<TVidAvevForm>& s) {
        return !s->Window() || s->State() == TVidAvevForm::StateReleased;
    });
}

void TSkinManage::PurgeReleased() {
    if (FStarted == 4) return;
    std::erase_if(FSkinners,
                  [](const std::unique_ptr<TVidAvevForm>& s) { return s->State() == TVidAvevForm::StateReleased; });
}

void TSkinManage::Unskin(TVidAvevForm& skinner) {
    skinner.UnskinWindow();
    if (QWidget* window = skinner.Window()) window->update();
}

void TSkinManage::UnskinAll() {
    FActive = false;
    for (auto it = FSkinners.rbegin(); it != FSkinners.rend(); ++it) (*it)->ReleaseWindow();
    FSkinners.clear();
}

void TSkinManage::RunCommand() {
    FTimer.stop();
    TSkinData* data = FCommandData;
    if (!data) return;
    const bool onlyThisForm = data->SkinFormtype() == TSkinFormType::sfOnlyThisForm;
    switch (FCommand) {
        case CommandActivate:
            FActive = true;
            FSkinAll = true;
            PurgeDead();
            if (onlyThisForm) {
                SkinOwnerForm(*data);
            } else {
                const QWidgetList windows = QApplication::topLevelWidgets();
                for (auto it = windows.rbegin(); it != windows.rend(); ++it) SkinForm(*it);
            }
            FSkinAll = false;
            break;
        case CommandDeactivate:
            FActive = false;
            PurgeDead();
            for (size_t i = FSkinners.size(); i-- > 0;) {
                if (onlyThisForm && FSkinners[i]->SkinData() != data) continue;
                Unskin(*FSkinners[i]);
                FSkinners.erase(FSkinners.begin() + static_cast<std::ptrdiff_t>(i));
                if (onlyThisForm) break;
            }
            break;
        case CommandRefresh:
            PurgeDead();
            for (auto& skinner : FSkinners)
                if (skinner->SkinData() == data) {
                    skinner->FreeCaptionButtons();
                    skinner->LoadFrameMetrics();
                }
            for (auto& skinner : FSkinners)
                if (skinner->SkinData() == data) skinner->RefreshSkin();
            break;
        case CommandPurge: PurgeReleased(); break;
        default: break;
    }
    data->DoSkinChanged();
    FCommandData = nullptr;
}

}  // namespace skin
