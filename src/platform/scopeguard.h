#pragma once

#include <exception>
#include <utility>

namespace sonvara {

// Runs an action when the scope ends: always (CScopeGuard), or only when it ends by an
// exception (OnFailure). The action's own exceptions are swallowed, so that clean-up never
// replaces the error that is on its way.
template <class Action>
class CScopeGuard {
public:
    explicit CScopeGuard(Action action, bool onlyOnFailure = false)
        : m_Action(std::move(action)),
          m_OnlyOnFailure(onlyOnFailure),
          m_Exceptions(std::uncaught_exceptions()) {}
    ~CScopeGuard() {
        if (!m_Active || (m_OnlyOnFailure && std::uncaught_exceptions() <= m_Exceptions)) {
            return;
        }
        try {
            m_Action();
        } catch (...) {
        }
    }
    CScopeGuard(const CScopeGuard&) = delete;
    CScopeGuard& operator=(const CScopeGuard&) = delete;

    // The action will not run.
    void Dismiss() { m_Active = false; }

private:
    Action m_Action;
    bool m_OnlyOnFailure;
    int m_Exceptions;
    bool m_Active = true;
};

// The action runs only when the scope is left by an exception.
template <class Action>
CScopeGuard<Action> OnFailure(Action action) {
    return CScopeGuard<Action>(std::move(action), true);
}

}  // namespace sonvara
