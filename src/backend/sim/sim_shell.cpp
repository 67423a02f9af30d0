#include "backend/sim/sim_shell.h"

#include "backend/sim/sim_names.h"
#include "platform/ui/winapi.h"

#include <cstring>

namespace qv::sim {

SimShell::SimShell(std::shared_ptr<Transcript> transcript) : transcript_(std::move(transcript)) {}

void SimShell::LoseIcon() {
    shown_ = false;
    balloon_.reset();
    callbackMessage_ = 0;
    icon_ = nullptr;
    tip_.clear();
    transcript_->Add("Shell lost the icon");
}

bool SimShell::Click(UINT mouseMessage) {
    if (!shown_ || callbackMessage_ == 0)
        return false;
    ::SendMessageA(window_, callbackMessage_, 0, static_cast<LPARAM>(mouseMessage));
    return true;
}

std::optional<DLLVERSIONINFO> SimShell::Version() {
    if (versionFails_)
        return std::nullopt;
    DLLVERSIONINFO info;
    info.cbSize = sizeof(DLLVERSIONINFO);
    info.dwMajorVersion = major_ != 0 ? major_ : service_ ? 6 : 4;
    info.dwPlatformID = DLLVER_PLATFORM_WINDOWS;
    return info;
}

BOOL SimShell::NotifyIcon(DWORD message, const NOTIFYICONDATAA& data) {
    const BOOL result = Apply(message, data);
    calls_.push_back({message, data, result});
    std::string line = "Shell_NotifyIcon(" + NimName(message) +
                       ", size=" + std::to_string(data.cbSize) +
                       ", flags=" + NifFlagsName(data.uFlags);
    if (data.uFlags & NIF_TIP)
        line += ", tip=\"" + std::string(data.szTip) + "\"";
    if (data.uFlags & NIF_INFO)
        line += ", info=\"" + std::string(data.szInfo) + "\", title=\"" +
                std::string(data.szInfoTitle) + "\"";
    line += result ? ")" : ") failed";
    transcript_->Add(line);
    return result;
}

BOOL SimShell::Apply(DWORD message, const NOTIFYICONDATAA& data) {
    switch (message) {
    case NIM_ADD:
        if (shown_)
            return FALSE;
        shown_ = true;
        window_ = data.hWnd;
        break;
    case NIM_MODIFY:
        if (!shown_)
            return FALSE;
        break;
    case NIM_DELETE:
        if (!shown_)
            return FALSE;
        shown_ = false;
        balloon_.reset();
        return TRUE;
    default:
        return FALSE;
    }
    if (data.uFlags & NIF_MESSAGE)
        callbackMessage_ = data.uCallbackMessage;
    if (data.uFlags & NIF_ICON)
        icon_ = data.hIcon;
    if (data.uFlags & NIF_TIP)
        tip_ = std::string(data.szTip, strnlen(data.szTip, sizeof data.szTip));
    // Balloon fields exist only in the long record, and show only with a
    // notification service to show them; one that went away fails the call.
    if ((data.uFlags & NIF_INFO) && data.cbSize >= NOTIFYICONDATAA_V2_SIZE) {
        std::string text(data.szInfo, strnlen(data.szInfo, sizeof data.szInfo));
        if (!service_) {
            if (!text.empty())
                return FALSE;
        } else if (text.empty()) {
            balloon_.reset();
        } else {
            balloon_ = SimBalloon{
                text,
                std::string(data.szInfoTitle, strnlen(data.szInfoTitle, sizeof data.szInfoTitle)),
                data.uTimeout, data.dwInfoFlags};
            ++balloonsShown_;
        }
    }
    return TRUE;
}

} // namespace qv::sim
