// SIGTERM, SIGINT and SIGHUP end the program as the end of the user's
// session does: every window is asked WM_QUERYENDSESSION (the main window
// saves its placement, logs out within its bounded wait and removes its
// icon), then the program quits. Further signals while it ends change
// nothing. The handler only writes the signal's number into a pipe; the
// user-interface thread reads it.
//
// The web engine's processes keep SIGINT away from themselves but end at
// once by SIGTERM and SIGHUP: one sent to the whole process group (a closed
// terminal) leaves no page to log out with, and the logout wait runs out.
#pragma once

#include <QObject>
#include <array>
#include <csignal>
#include <memory>

class QSocketNotifier;

namespace qv::qt {

class QtWindowSystem;

class TerminationSignals : public QObject {
    Q_OBJECT
public:
    // One at a time; it takes the three signals until it is destroyed.
    explicit TerminationSignals(QtWindowSystem& system);
    ~TerminationSignals() override;

    // The first signal received, 0 for none.
    int Received() const { return received_; }
    // Ends the process by that signal, as its sender expects; call once
    // everything is cleaned up. Returns for 0.
    static void EndBy(int number);

private:
    void OnReadable();
    void EndProgram();

    QtWindowSystem& system_;
    std::array<int, 2> pipe_{-1, -1};
    std::unique_ptr<QSocketNotifier> notifier_;
    std::array<struct sigaction, 3> previous_{};
    int received_ = 0;
};

} // namespace qv::qt
