#include "tool/InterruptCleanup.h"

#include <csignal>
#include <cstring>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace zanth {
namespace {

// Every signal whose default action ends the process and that the tool may
// receive while it writes (not the ones a fault raises: SIGSEGV, SIGBUS, ...).
const int kSignals[] = {
    SIGINT, SIGTERM,
#if !defined(_WIN32)
    SIGHUP, SIGQUIT, SIGPIPE, SIGUSR1, SIGUSR2, SIGALRM, SIGXFSZ, SIGXCPU, SIGVTALRM, SIGPROF,
#endif
};
constexpr int kSignalCount = sizeof(kSignals) / sizeof(kSignals[0]);

// Read by the handler: a fixed buffer, and a flag set only once the name is whole.
char g_path[4096];
volatile std::sig_atomic_t g_armed = 0;

extern "C" void removeAndReraise(int sig) {
    if (g_armed) {
#if defined(_WIN32)
        _unlink(g_path);
#else
        unlink(g_path);
#endif
        g_armed = 0;
    }
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

#if defined(_WIN32)
typedef void (*Handler)(int);
Handler g_previous[kSignalCount];
#else
struct sigaction g_previous[kSignalCount];
#endif

}  // namespace

InterruptCleanup::InterruptCleanup() {
    for (int i = 0; i < kSignalCount; ++i) {
#if defined(_WIN32)
        g_previous[i] = std::signal(kSignals[i], removeAndReraise);
#else
        struct sigaction action;
        std::memset(&action, 0, sizeof(action));
        action.sa_handler = removeAndReraise;
        sigemptyset(&action.sa_mask);
        for (int s : kSignals) sigaddset(&action.sa_mask, s);  // one handler at a time
        sigaction(kSignals[i], &action, &g_previous[i]);
        // A signal the tool was started ignoring (nohup, a shell's trap) stays ignored.
        if (!(g_previous[i].sa_flags & SA_SIGINFO) && g_previous[i].sa_handler == SIG_IGN) {
            sigaction(kSignals[i], &g_previous[i], nullptr);
        }
#endif
    }
}

InterruptCleanup::~InterruptCleanup() {
    watch("");
    for (int i = 0; i < kSignalCount; ++i) {
#if defined(_WIN32)
        std::signal(kSignals[i], g_previous[i] == SIG_ERR ? SIG_DFL : g_previous[i]);
#else
        sigaction(kSignals[i], &g_previous[i], nullptr);
#endif
    }
}

bool InterruptCleanup::watch(const std::string& path) {
    g_armed = 0;
    if (path.empty() || path.size() >= sizeof(g_path)) return path.empty();
    std::memcpy(g_path, path.c_str(), path.size() + 1);
    g_armed = 1;
    return true;
}

SignalsHeld::SignalsHeld() {
#if !defined(_WIN32)
    sigset_t held;
    sigemptyset(&held);
    for (int s : kSignals) sigaddset(&held, s);
    sigprocmask(SIG_BLOCK, &held, &previous_);
#endif
}

SignalsHeld::~SignalsHeld() {
#if !defined(_WIN32)
    sigprocmask(SIG_SETMASK, &previous_, nullptr);
#endif
}

}  // namespace zanth
