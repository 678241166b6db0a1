// Removes one temporary file when the tool is interrupted (SIGINT, SIGTERM,
// SIGHUP): the handler unlinks the registered name, then lets the signal end
// the process as it would have. While an InterruptCleanup lives its handlers
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

// Holds SIGINT, SIGTERM and SIGHUP back while it lives: a file can be created
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
