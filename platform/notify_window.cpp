#include "platform/notify_window.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <mutex>

namespace platform {
namespace {

const QEvent::Type MessageEventType = static_cast<QEvent::Type>(QEvent::registerEventType());

class TMessageEvent : public QEvent {
public:
    explicit TMessageEvent(TMessage message) : QEvent(MessageEventType), Message(std::move(message)) {}
    TMessage Message;
};

}  // namespace

class TNotifyReceiver : public QObject {
public:
    explicit TNotifyReceiver(TNotifyWindow::TWindowProc windowProc) : WindowProc_(std::move(windowProc)) {}

    bool event(QEvent* e) override {
        if (e->type() != MessageEventType) return QObject::event(e);
        WindowProc_(static_cast<TMessageEvent*>(e)->Message);
        return true;
    }

private:
    TNotifyWindow::TWindowProc WindowProc_;
};

struct TNotifyShared {
    std::mutex Mutex;
    TNotifyReceiver* Receiver = nullptr;  // null once the window is gone
};

bool TNotifyTarget::Post(TMessage message) const {
    if (!Shared_) return false;
    std::lock_guard lock(Shared_->Mutex);
    if (!Shared_->Receiver) return false;
    // Qt takes ownership of the posted event and deletes it after delivery.
    auto event = std::make_unique<TMessageEvent>(std::move(message));
    QCoreApplication::postEvent(Shared_->Receiver, event.release());
    return true;
}

TNotifyWindow::TNotifyWindow(TWindowProc windowProc)
    : Shared_(std::make_shared<TNotifyShared>()), Receiver_(std::make_unique<TNotifyReceiver>(std::move(windowProc))) {
    Shared_->Receiver = Receiver_.get();
}

TNotifyWindow::~TNotifyWindow() {
    {
        std::lock_guard lock(Shared_->Mutex);
        Shared_->Receiver = nullptr;
    }
    // Destroying the receiver removes its queued events, freeing their blocks.
    Receiver_.reset();
}

}  // namespace platform
