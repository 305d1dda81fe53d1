#pragma once

#include <sys/resource.h>

#include <functional>

namespace sonvara::test {

// Runs body in a child process and returns its exit status (100 + the signal when it was
// killed). fileLimit sets RLIMIT_FSIZE, so that writes past it fail as on a full disk (with
// SIGXFSZ ignored); unprivileged drops to user nobody (tests run as root in CI, and root may
// read and write any file); an alarm ends a child that hangs.
int InChildProcess(const std::function<int()>& body, rlim_t fileLimit = RLIM_INFINITY,
                   bool unprivileged = false);

}  // namespace sonvara::test
