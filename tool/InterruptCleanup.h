// Removes one temporary file when a signal ends the tool (SIGINT, SIGTERM,
// SIGHUP, SIGQUIT, SIGPIPE, SIGUSR1, SIGUSR2, SIGALRM, SIGXFSZ, SIGXCPU,
// SIGVTALRM, SIGPROF; on Windows SIGINT and SIGTERM): the handler unlinks the
// registered name, then lets the signal end the process as it would have.
// Signals the tool was started ignoring stay ignored. While an InterruptCleanup lives its handlers
// are installed; the previous ones come back when it goes.
#pragma once

#include <string>

#if !defined(_WIN32)
#include <signal.h>
#endif

namespace zanth {

class InterruptCleanup {
public:
    InterruptCleanup();
    ~InterruptCleanup();
    InterruptCleanup(const InterruptCleanup&) = delete;
    InterruptCleanup& operator=(const InterruptCleanup&) = delete;

    // The file to remove on interruption (one at a time); "" forgets it.
    // Returns false when the name is too long to be registered.
    static bool watch(const std::string& path);
};

// Holds those signals back while it lives: a file can be created
// and registered without a signal arriving in between. Held signals are
// delivered when it goes.
class SignalsHeld {
public:
    SignalsHeld();
    ~SignalsHeld();
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
#if !defined(_WIN32)
    sigset_t previous_;
#endif
};

}  // namespace zanth
