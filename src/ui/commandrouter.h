#pragma once

#include <QString>

class QAction;
class QObject;

namespace sonvara {

// What the panes need from the frame's command routing: actions bound to a command id (for
// their context menus), enabled and disabled with every other action of that id.
class ICommandRouter {
public:
    virtual ~ICommandRouter() = default;
    virtual QAction* CommandAction(int id, const QString& text, QObject* owner) = 0;
    virtual void UpdateCommandUI() = 0;
};

}  // namespace sonvara
