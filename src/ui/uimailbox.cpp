#include "ui/uimailbox.h"

#include <QMetaObject>

namespace sonvara {

CUiMailbox::CUiMailbox(QObject* parent) : QObject(parent) {}

CUiMailbox::~CUiMailbox() = default;

void CUiMailbox::Post(std::function<void()> fn) {
    bool wake = false;
    {
        std::lock_guard lock(m_Mutex);
        m_Pending.push_back(std::move(fn));
        wake = !m_WakeUpPosted;
        m_WakeUpPosted = true;
    }
    if (wake) {
        QMetaObject::invokeMethod(this, "DeliverPosted", Qt::QueuedConnection);
    }
}

void CUiMailbox::DeliverPosted() {
    {
        std::lock_guard lock(m_Mutex);
        m_WakeUpPosted = false;
    }
    Deliver();
}

void CUiMailbox::Deliver() {
    std::deque<std::function<void()>> ready;
    {
        std::lock_guard lock(m_Mutex);
        ready.swap(m_Pending);
    }
    for (std::function<void()>& fn : ready) {
        fn();
    }
}

}  // namespace sonvara
