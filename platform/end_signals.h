// The signals that end the program from outside (SIGTERM, SIGHUP, SIGINT): their handlers only
// put the signal's number on a pipe, which the front-end's loop watches beside its input, so
// that the page can still be kept, on the engine's thread, before the program ends as the signal
// asks.
#pragma once

namespace platform {

// Installs the handlers, once per process, and returns the pipe's read end (non-blocking,
// close-on-exec); -1 when no pipe can be made: the signals then keep their default action.
int watch_end_signals();
// The pipe's read end, or -1 before watch_end_signals (or when it failed).
int end_signal_fd();
// The next signal waiting on the pipe, or 0 when none is (never waits).
int take_end_signal();
// Ends the process as sig would have without the handler: its default action restored, the
// signal unblocked and raised; should it come back, _exit(128 + sig).
[[noreturn]] void end_as_signal(int sig);

}  // namespace platform
