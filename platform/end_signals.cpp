#include "platform/end_signals.h"

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr int kEndSignals[] = {SIGTERM, SIGHUP, SIGINT};

int g_read_end = -1;
volatile sig_atomic_t g_write_end = -1;

// Async-signal-safe: one write of one byte; a full pipe already holds an end to handle.
void note_end_signal(int sig) {
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(sig);
    if (g_write_end >= 0) {
        const ssize_t n = ::write(g_write_end, &byte, 1);
        (void)n;
    }
    errno = saved;
}

}  // namespace

// Contract: see the header. SA_RESTART keeps the calls the signal interrupts (file writes, the
// console's read) going; the loop sees the pipe when it next waits.
int watch_end_signals() {
    if (g_read_end >= 0) return g_read_end;
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return -1;
    g_read_end = ends[0];
    g_write_end = ends[1];
    struct sigaction action {};
    action.sa_handler = note_end_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int sig : kEndSignals) {
        // A signal ignored by whoever started the program (nohup) stays ignored.
        struct sigaction old {};
        if (::sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
        ::sigaction(sig, &action, nullptr);
    }
    return g_read_end;
}

int end_signal_fd() { return g_read_end; }

int take_end_signal() {
    if (g_read_end < 0) return 0;
    unsigned char byte = 0;
    ssize_t n;
    do {
        n = ::read(g_read_end, &byte, 1);
    } while (n < 0 && errno == EINTR);
    return n == 1 ? byte : 0;
}

void end_as_signal(int sig) {
    ::signal(sig, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, sig);
    ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
    ::raise(sig);
    ::_exit(128 + sig);
}

}  // namespace platform
