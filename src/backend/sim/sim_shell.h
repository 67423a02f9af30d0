// The simulated notification area. It records every NIM_* call with a copy
// of the record, keeps the icon's state, can lose the icon (as when the
// panel restarts: NIM_MODIFY then fails until NIM_ADD, and the new icon
// knows only what that NIM_ADD told it), can run with or without a
// notification service (shell version 6 or 4: 488- or 88-byte records) or
// report any other version, and clicks the icon as the panel does.
#pragma once

#include "backend/sim/transcript.h"
#include "platform/shell/shell.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qv::sim {

struct SimNotifyCall {
    DWORD message;
    NOTIFYICONDATAA data;
    BOOL result;
};

struct SimBalloon {
    std::string text;
    std::string title;
    UINT timeoutMs;
    DWORD flags;
};

class SimShell : public qv::platform::IShell {
public:
    explicit SimShell(std::shared_ptr<Transcript> transcript);

    void SetNotificationService(bool present) { service_ = present; }
    void SetVersionFails(bool fails) { versionFails_ = fails; }
    // The major version DllGetVersion reports; 0 follows the service (6 or 4).
    void SetMajorVersion(DWORD major) { major_ = major; }
    void LoseIcon();
    // A mouse message on the icon, sent to its window with its callback
    // message; false when no icon is shown or it has no callback message.
    bool Click(UINT mouseMessage);

    const std::vector<SimNotifyCall>& Calls() const { return calls_; }
    bool IconShown() const { return shown_; }
    const std::string& Tip() const { return tip_; }
    HICON Icon() const { return icon_; }
    UINT CallbackMessage() const { return callbackMessage_; }
    // The balloon on screen, if any.
    const std::optional<SimBalloon>& Balloon() const { return balloon_; }
    int BalloonsShown() const { return balloonsShown_; }

    BOOL NotifyIcon(DWORD message, const NOTIFYICONDATAA& data) override;
    std::optional<DLLVERSIONINFO> Version() override;

private:
    BOOL Apply(DWORD message, const NOTIFYICONDATAA& data);

    std::shared_ptr<Transcript> transcript_;
    bool service_ = true;
    bool versionFails_ = false;
    DWORD major_ = 0;
    bool shown_ = false;
    HWND window_ = nullptr;
    std::string tip_;
    HICON icon_ = nullptr;
    UINT callbackMessage_ = 0;
    std::optional<SimBalloon> balloon_;
    int balloonsShown_ = 0;
    std::vector<SimNotifyCall> calls_;
};

} // namespace qv::sim
