#include "ui/helpcontext.h"

namespace sonvara {

CHelpContextScope::CHelpContextScope(CHelpContext* context, int n) : m_Context(context) {
    if (m_Context != nullptr) {
        m_Saved = m_Context->Get();
        m_Context->Set(n);
    }
}

CHelpContextScope::~CHelpContextScope() {
    if (m_Context != nullptr) {
        m_Context->Set(m_Saved);
    }
}

}  // namespace sonvara
