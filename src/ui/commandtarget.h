#pragma once

namespace sonvara {

// One stop of the command routing: the active pane's view, the document, the frame, the
// application. The first target that handles a command takes it; a command nobody handles is
// shown disabled.
class ICommandTarget {
public:
    virtual ~ICommandTarget() = default;
    // True when this target handles the command; `enabled` then says whether it can run now.
    virtual bool QueryCommand(int id, bool& enabled) = 0;
    virtual void ExecuteCommand(int id) = 0;
};

}  // namespace sonvara
