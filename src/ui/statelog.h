#pragma once

#include <QLoggingCategory>

namespace sonvara {

// The window's state lines: one line each time a command has finished or a view has settled
// (start-up done, a folder listed, tracks added, a job done, a sort, a report saved, files moved,
// tags edited), for people and tools that watch the program from outside, such as the tests
// that drive it under a virtual X server. Off by default; on with
//   QT_LOGGING_RULES="sonvara.state.info=true"
// Each line reads "sonvara.state: WHAT: DETAILS".
Q_DECLARE_LOGGING_CATEGORY(lcState)

}  // namespace sonvara
