#include "platform/stopscope.h"

namespace sonvara {

namespace {
thread_local CStopScope* t_Scope = nullptr;
}  // namespace

CStopScope::CStopScope(std::function<bool()> stop) : m_Stop(std::move(stop)), m_Outer(t_Scope) {
    t_Scope = this;
}

CStopScope::~CStopScope() {
    t_Scope = m_Outer;
}

bool StopRequested() {
    // The innermost scope, or any scope around it, may ask.
    for (CStopScope* scope = t_Scope; scope != nullptr; scope = scope->m_Outer) {
        if (scope->m_Stop && scope->m_Stop()) {
            t_Scope->m_Stopped = true;
            return true;
        }
    }
    return false;
}

}  // namespace sonvara
