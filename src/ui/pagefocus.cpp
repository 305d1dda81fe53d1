#include "ui/pagefocus.h"

#include <QWidget>

namespace sonvara {

QWidget* FocusFirstControl(QWidget* page) {
    if (page == nullptr) {
        return nullptr;
    }
    // The focus chain runs through the page's children in their Tab order.
    for (QWidget* w = page->nextInFocusChain(); w != nullptr && w != page;
         w = w->nextInFocusChain()) {
        if (page->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus &&
            w->isEnabled() && w->isVisibleTo(page)) {
            w->setFocus(Qt::TabFocusReason);
            return w;
        }
    }
    return nullptr;
}

}  // namespace sonvara
