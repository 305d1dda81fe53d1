#include "support/childprocess.h"

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

namespace sonvara::test {

int InChildProcess(const std::function<int()>& body, rlim_t fileLimit, bool unprivileged) {
    const pid_t child = ::fork();
    if (child < 0) {
        return -1;
    }
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        ::alarm(60);
        if (fileLimit != RLIM_INFINITY) {
            rlimit limit{fileLimit, fileLimit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        if (unprivileged && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            ::_exit(90);
        }
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

}  // namespace sonvara::test
