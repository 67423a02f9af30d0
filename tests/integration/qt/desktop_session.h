// The desktop the tests run on, inside the X server xvfb-run gives them: a
// private session bus with dunst, a private system bus, openbox and trayer.
// Started before the QApplication, so Qt sees the buses from the start.
#pragma once

#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace qv::test {

class DesktopSession {
public:
    // Starts the buses (environment variables set) and openbox. Returns a
    // reason when something could not start.
    std::string StartBusesAndWindowManager();
    // Needs the buses; dunst and trayer.
    std::string StartNotificationDaemon();
    std::string StartTrayHost();
    void StopTrayHost();
    void StopAll();

    const std::string& SystemBusAddress() const { return systemBus_; }

    static DesktopSession& Get();

private:
    pid_t Spawn(const std::vector<std::string>& argv);

    std::string tempDir_;
    std::string systemBus_;
    std::vector<pid_t> daemons_; // killed at the end
    pid_t trayer_ = 0;
};

// Runs a shell command; its standard output, and its exit status in *status.
std::string RunCommand(const std::string& command, int* status = nullptr);
// Polls an outside condition (another process's state) until it holds.
bool PollUntil(const std::function<bool()>& condition, int timeoutMs);

} // namespace qv::test
