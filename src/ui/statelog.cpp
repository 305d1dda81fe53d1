#include "ui/statelog.h"

namespace sonvara {

Q_LOGGING_CATEGORY(lcState, "sonvara.state", QtWarningMsg)

}  // namespace sonvara
