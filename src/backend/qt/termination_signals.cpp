#include "backend/qt/termination_signals.h"

#include "backend/qt/qt_window_system.h"

#include <QSocketNotifier>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace qv::qt {

namespace {

constexpr std::array<int, 3> kSignals{SIGTERM, SIGINT, SIGHUP};

// Set only while no handler of ours is installed.
int g_writeEnd = -1;

void OnSignal(int number) {
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(number);
    // A full pipe already holds a signal the program will see.
    [[maybe_unused]] const ssize_t written = ::write(g_writeEnd, &byte, 1);
    errno = saved;
}

} // namespace

TerminationSignals::TerminationSignals(QtWindowSystem& system) : system_(system) {
    if (g_writeEnd >= 0 || ::pipe2(pipe_.data(), O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    g_writeEnd = pipe_[1];
    notifier_ = std::make_unique<QSocketNotifier>(pipe_[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &TerminationSignals::OnReadable);
    struct sigaction action {};
    action.sa_handler = &OnSignal;
    sigemptyset(&action.sa_mask);
    // Other threads' system calls go on as if nothing had happened.
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        sigaction(kSignals[i], &action, &previous_[i]);
}

TerminationSignals::~TerminationSignals() {
    if (!notifier_)
        return;
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        sigaction(kSignals[i], &previous_[i], nullptr);
    notifier_.reset();
    g_writeEnd = -1;
    ::close(pipe_[0]);
    ::close(pipe_[1]);
}

void TerminationSignals::OnReadable() {
    unsigned char byte = 0;
    while (::read(pipe_[0], &byte, 1) == 1) {
        if (received_ != 0)
            continue;
        received_ = byte;
        // From the event loop, not from inside the notifier: the logout
        // waits pump events, and a socket notifier's dispatch may hold
        // back the others until it returns.
        QMetaObject::invokeMethod(this, &TerminationSignals::EndProgram, Qt::QueuedConnection);
    }
}

void TerminationSignals::EndProgram() {
    system_.BroadcastQueryEndSession();
    system_.Queue().PostQuit(0);
}

void TerminationSignals::EndBy(int number) {
    if (number == 0)
        return;
    std::signal(number, SIG_DFL);
    std::raise(number);
}

} // namespace qv::qt
