#include "platform/faultguard.h"

#ifdef _WIN32

namespace sonvara {

// No files are mapped on Windows (see mappedfile.cpp): nothing can fault.
bool RunReadGuarded(const void*, std::size_t, void (*walk)(void*), void* context) {
    walk(context);
    return true;
}

}  // namespace sonvara

#else

#include <csetjmp>
#include <csignal>
#include <mutex>

namespace sonvara {

// Why a signal handler and siglongjmp. A read of a mapped page that no longer has a file page
// behind it raises SIGBUS on the reading thread, synchronously, at that instruction; the read
// cannot be made to fail instead. The other ways out were worse: re-checking the size with
// fstat before each page still leaves the race between the check and the read; locking the
// file (leases, F_SEAL) is not available for ordinary files of other owners; mapping a zero
// page over the hole from the handler and going on would walk zeros as if they were the file.
// Jumping back to the start of the walk is what the reads would have given: an error for the
// file, and nothing else changed.
//
// Soundness with several walkers at once (`-j N`):
//  - The jump buffer is per thread (thread_local), and SIGBUS from a memory access is
//    delivered to the thread that made it, so a handler only ever jumps within its own thread
//    and only into a walk that is still running there (the guard is unlinked before the walk
//    returns or throws). Guards nest through their `outer` link.
//  - One process-wide handler, installed once (std::call_once) before the first guarded walk.
//    A fault outside every guarded range, on any thread, is handed to the handler that was
//    installed before ours (the sanitizers', an application's), or to the default action,
//    which ends the process as it would have without us.
//  - The handler touches only the thread-local pointer (initial-exec TLS in our static
//    libraries; it is written before the walk starts, so it is allocated), the saved previous
//    action, and calls sigaction, raise and siglongjmp, which are safe in a handler for a
//    synchronous fault.
//  - sigsetjmp saves the signal mask, so SIGBUS, blocked while the handler runs, is unblocked
//    again by the jump.
//  - Only the guarded walk's own frames are dropped by the jump; the rule in faultguard.h
//    keeps them free of destructors. The walk's results live in its caller's objects.

namespace {

struct GuardFrame {
    const char* begin = nullptr;
    const char* end = nullptr;
    GuardFrame* outer = nullptr;
    sigjmp_buf jump;
};

thread_local GuardFrame* t_Guard = nullptr;

struct sigaction g_Previous;  // the SIGBUS action before ours; written once, before ours is set
std::once_flag g_Installed;

void HandToPrevious(int signal, siginfo_t* info, void* context) {
    if ((g_Previous.sa_flags & SA_SIGINFO) != 0) {
        if (g_Previous.sa_sigaction != nullptr) {
            g_Previous.sa_sigaction(signal, info, context);
        }
        return;
    }
    if (g_Previous.sa_handler != SIG_DFL && g_Previous.sa_handler != SIG_IGN) {
        g_Previous.sa_handler(signal);
        return;
    }
    // The default action (a bus error cannot be ignored: the read would fault again). The
    // signal is blocked while this handler runs, so the one raised here arrives on return and
    // ends the process with the usual status and core.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(signal, &fallback, nullptr);
    raise(signal);
}

void OnBusError(int signal, siginfo_t* info, void* context) {
    GuardFrame* guard = t_Guard;
    const char* at = static_cast<const char*>(info->si_addr);
    // si_code > 0: raised by the kernel for a memory access, not sent by kill or raise.
    for (GuardFrame* g = guard; g != nullptr && info->si_code > 0; g = g->outer) {
        if (at >= g->begin && at < g->end) {
            siglongjmp(g->jump, 1);
        }
    }
    HandToPrevious(signal, info, context);
}

void InstallHandler() {
    sigaction(SIGBUS, nullptr, &g_Previous);
    struct sigaction action {};
    action.sa_sigaction = OnBusError;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    sigaction(SIGBUS, &action, nullptr);
}

}  // namespace

bool RunReadGuarded(const void* begin, std::size_t size, void (*walk)(void*), void* context) {
    std::call_once(g_Installed, InstallHandler);
    GuardFrame frame;
    frame.begin = static_cast<const char*>(begin);
    frame.end = frame.begin + size;
    frame.outer = t_Guard;
    // Nothing of this frame changes between here and a jump back to it.
    if (sigsetjmp(frame.jump, 1) != 0) {
        t_Guard = frame.outer;
        return false;
    }
    t_Guard = &frame;
    try {
        walk(context);
    } catch (...) {
        t_Guard = frame.outer;
        throw;
    }
    t_Guard = frame.outer;
    return true;
}

}  // namespace sonvara

#endif
