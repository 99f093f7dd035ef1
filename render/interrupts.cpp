// The signals that end a run (see interrupts.h).
#include "render/interrupts.h"

#include <pthread.h>

#include <csignal>
#include <iterator>

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE};
constexpr const char *kNames[] = {"SIGINT", "SIGTERM", "SIGHUP", "SIGQUIT", "SIGPIPE"};

volatile std::sig_atomic_t caught = 0;  // the first signal, or 0
struct sigaction previous[std::size(kSignals)];

// Keeps the first signal only: it decides the exit code.
void onSignal(int signal) {
    if (caught == 0) caught = signal;
}

// The set of the signals above.
sigset_t signalSet() {
    sigset_t set;
    sigemptyset(&set);
    for (int signal : kSignals) sigaddset(&set, signal);
    return set;
}

}  // namespace

// sa_flags without SA_RESTART: a blocked call returns EINTR.
void catchInterrupts() {
    caught = 0;
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    for (size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &action, &previous[i]);
}

// As they were.
void releaseInterrupts() {
    for (size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &previous[i], nullptr);
}

// Read by every loop that may wait.
int interruptSignal() {
    return caught;
}

// The same rule as the handler's.
void recordInterrupt(int signal) {
    onSignal(signal);
}

// The calling thread's mask is as it was afterwards.
void withInterruptsBlocked(const std::function<void()> &start) {
    const sigset_t set = signalSet();
    sigset_t before;
    pthread_sigmask(SIG_BLOCK, &set, &before);
    start();
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
}

// The name the message gives.
const char *interruptName(int signal) {
    for (size_t i = 0; i < std::size(kSignals); ++i)
        if (kSignals[i] == signal) return kNames[i];
    return "a signal";
}
