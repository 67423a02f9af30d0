#include "desktop_session.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace qv::test {

std::string RunCommand(const std::string& command, int* status) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        if (status)
            *status = -1;
        return out;
    }
    char buffer[4096];
    while (std::size_t n = fread(buffer, 1, sizeof(buffer), pipe))
        out.append(buffer, n);
    const int rc = pclose(pipe);
    if (status)
        *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return out;
}

bool PollUntil(const std::function<bool()>& condition, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() > end)
            return false;
        // Another process's state: nothing to wait on but time.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

DesktopSession& DesktopSession::Get() {
    static DesktopSession session;
    return session;
}

pid_t DesktopSession::Spawn(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const auto& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : 0;
}

namespace {

// "--fork --print-address=1 --print-pid=1" prints two lines and returns.
bool StartBus(const std::string& arguments, std::string& address, pid_t& pid) {
    const std::string out =
        RunCommand("dbus-daemon " + arguments + " --fork --print-address=1 --print-pid=1");
    const auto newline = out.find('\n');
    if (newline == std::string::npos)
        return false;
    address = out.substr(0, newline);
    pid = static_cast<pid_t>(std::atoi(out.c_str() + newline + 1));
    return !address.empty() && pid > 0;
}

} // namespace

std::string DesktopSession::StartBusesAndWindowManager() {
    char pattern[] = "/tmp/qv-desktop-XXXXXX";
    if (!mkdtemp(pattern))
        return "no temporary folder";
    tempDir_ = pattern;
    std::string address;
    pid_t pid = 0;
    if (!StartBus("--session", address, pid))
        return "no session bus";
    daemons_.push_back(pid);
    setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);

    // A system bus of our own where anyone may own names, logind's too.
    const std::string config = tempDir_ + "/system.conf";
    std::ofstream(config) << R"(<!DOCTYPE busconfig PUBLIC
 "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:dir=)" << tempDir_
                          << R"(</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*"/>
    <allow receive_sender="*"/>
  </policy>
</busconfig>
)";
    if (!StartBus("--config-file=" + config, systemBus_, pid))
        return "no system bus";
    daemons_.push_back(pid);
    setenv("DBUS_SYSTEM_BUS_ADDRESS", systemBus_.c_str(), 1);

    const pid_t wm = Spawn({"openbox", "--sm-disable"});
    if (!wm)
        return "openbox did not start";
    daemons_.push_back(wm);
    const bool up = PollUntil(
        [] {
            return RunCommand("xprop -root _NET_SUPPORTING_WM_CHECK").find("window id") !=
                   std::string::npos;
        },
        10000);
    return up ? std::string() : "openbox did not take the screen";
}

std::string DesktopSession::StartNotificationDaemon() {
    const pid_t dunst = Spawn({"dunst"});
    if (!dunst)
        return "dunst did not start";
    daemons_.push_back(dunst);
    const bool up = PollUntil(
        [] {
            int status = -1;
            RunCommand("dunstctl is-paused 2>/dev/null", &status);
            return status == 0;
        },
        10000);
    return up ? std::string() : "dunst did not reach the bus";
}

std::string DesktopSession::StartTrayHost() {
    trayer_ = Spawn({"trayer", "--edge", "bottom", "--align", "right", "--widthtype", "pixel",
                     "--width", "120", "--height", "28", "--SetDockType", "true", "--expand",
                     "false", "--transparent", "false"});
    return trayer_ ? std::string() : "trayer did not start";
}

void DesktopSession::StopTrayHost() {
    if (trayer_ > 0) {
        kill(trayer_, SIGTERM);
        waitpid(trayer_, nullptr, 0);
        trayer_ = 0;
    }
}

void DesktopSession::StopAll() {
    StopTrayHost();
    for (auto it = daemons_.rbegin(); it != daemons_.rend(); ++it)
        kill(*it, SIGTERM);
    daemons_.clear();
}

} // namespace qv::test
