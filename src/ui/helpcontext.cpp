#include "ui/helpcontext.h"

#include <atomic>

namespace sonvara {

namespace {
// Written by the UI thread only; atomic so that any thread may read it.
std::atomic<int> g_HelpContext{kHelpMain};
}  // namespace

int CHelpContext::Get() {
    return g_HelpContext.load();
}
void CHelpContext::Set(int n) {
    g_HelpContext.store(n);
}

CHelpContextScope::CHelpContextScope(int n) : m_Saved(CHelpContext::Get()) {
    CHelpContext::Set(n);
}
CHelpContextScope::~CHelpContextScope() {
    CHelpContext::Set(m_Saved);
}

}  // namespace sonvara
