// The signals that end a glaxen-render run early: SIGINT (Ctrl-C), SIGTERM, SIGHUP, SIGQUIT
// and SIGPIPE. A handler only records the first one; the run sees it, stops and cleans up.
// No handler asks for a blocking call to restart, so a signal also ends a wait in an open,
// read or write. Helper threads keep these signals blocked, so they reach the thread that
// does the blocking calls. Needs: POSIX signals.
#pragma once

#include <functional>

// Installs the handlers and clears the record.
void catchInterrupts();
// Puts back the handlers there were before catchInterrupts.
void releaseInterrupts();
// The first signal caught since catchInterrupts, or 0.
int interruptSignal();
// Records signal as if it had arrived: a broken pipe seen as EPIPE where SIGPIPE is ignored.
void recordInterrupt(int signal);
// Runs start with the signals blocked in the calling thread, so that the threads it starts keep
// them blocked and the signals reach the thread that waits in I/O.
void withInterruptsBlocked(const std::function<void()> &start);
// "SIGINT" and so on, for messages.
const char *interruptName(int signal);
