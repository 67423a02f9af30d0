// What the system relies on from any window system and shell, as one set of
// typed tests. A backend's test binary instantiates them with its Desktop:
//   Desktop()                       installs the backend's window system and shell
//   bool Eventually(condition)      delivers messages until it holds (false: it never did)
//   void Shown(HWND)                waits until a shown window is on screen
//   Foreign OpenForeign()           another application's window, the user in it
//   void UserActivates(Foreign)     the user clicks into it
//   bool Above(HWND, Foreign)       ours is stacked above it
//   bool Active(Foreign)            it has the keyboard
//   void PressArrow(HWND, int)      the user presses an up-down arrow (+1 upper)
#pragma once

#include "platform/module/dialog_template.h"
#include "platform/shell/shell.h"
#include "platform/ui/winapi.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace qv::contract {

struct Seen {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

inline constexpr UINT kKeep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
inline constexpr UINT kIconMessage = WM_USER + 1;

inline std::string Text(const RECT& r) {
    return ::testing::PrintToString(std::vector<LONG>{r.left, r.top, r.right, r.bottom});
}

template <class Desktop> class WindowSystemContract : public ::testing::Test {
protected:
    // A top-level window whose procedure records every message.
    HWND CreateWindow(const char* caption = "Contract") {
        platform::DialogTemplate dialog;
        dialog.style = WS_OVERLAPPEDWINDOW | DS_SETFONT;
        dialog.font = platform::DialogFont{8, 0, false, 0, "MS Sans Serif"};
        dialog.caption = caption;
        dialog.x = 40;
        dialog.y = 30;
        dialog.cx = 180;
        dialog.cy = 110;
        dialog.controls = {
            Control("Edit", 10, ES_AUTOHSCROLL),
            Control(UPDOWN_CLASSA, 11, UDS_AUTOBUDDY | UDS_SETBUDDYINT | UDS_WRAP | UDS_ALIGNRIGHT),
            Control("Button", 12, BS_AUTOCHECKBOX, "Check")};
        return CreateRecordingDialog(dialog);
    }
    HWND CreateRecordingDialog(const platform::DialogTemplate& dialog, HWND owner = nullptr) {
        return platform::GetWindowSystem()->CreateDialogWindow(
            dialog, {}, owner, [this](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
                seen.push_back({h, m, w, l});
                return ::DefWindowProcA(h, m, w, l);
            });
    }
    HWND ShowWindow(const char* caption = "Contract") {
        HWND hwnd = CreateWindow(caption);
        ::ShowWindow(hwnd, SW_SHOWNORMAL);
        desktop.Shown(hwnd);
        // Placed once the window manager has framed it, and still there a
        // moment later: a busy manager may apply its own placement late.
        RECT r{};
        const auto placed = [&] {
            return ::GetWindowRect(hwnd, &r) && r == RECT{200, 150, 600, 450};
        };
        bool steady = false;
        for (int attempt = 0; attempt < 3 && !steady; ++attempt) {
            ::MoveWindow(hwnd, 200, 150, 400, 300, FALSE);
            steady = desktop.Eventually(placed) && desktop.Settled(placed);
        }
        EXPECT_TRUE(steady) << Text(r);
        return hwnd;
    }
    std::vector<Seen> SeenOf(HWND hwnd, UINT message) const {
        std::vector<Seen> out;
        for (const Seen& each : seen)
            if (each.hwnd == hwnd && each.message == message)
                out.push_back(each);
        return out;
    }
    // The last WPARAM of a message to the window, once it came.
    bool Last(HWND hwnd, UINT message, WPARAM wParam) {
        return desktop.Eventually([&] {
            const auto all = SeenOf(hwnd, message);
            return !all.empty() && all.back().wParam == wParam;
        });
    }
    // Icon 1 of the window with its tip, in a record of the given size.
    NOTIFYICONDATAA Record(HWND hwnd, DWORD size) {
        NOTIFYICONDATAA data;
        data.cbSize = size;
        data.hWnd = hwnd;
        data.uID = 1;
        data.uFlags = NIF_MESSAGE | NIF_TIP;
        data.uCallbackMessage = kIconMessage;
        std::strcpy(data.szTip, "Quorvia - Logged out");
        return data;
    }
    void TearDown() override {
        for (HWND hwnd : platform::GetWindowSystem()->Tree().TopLevel())
            ::DestroyWindow(hwnd);
    }

    static platform::DialogControl Control(const char* className, DWORD id, DWORD style,
                                           std::string text = {}) {
        platform::DialogControl control;
        control.id = id;
        control.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | style;
        control.windowClass.text = className;
        control.title.text = std::move(text);
        control.x = 10 + 60 * (id - 10);
        control.y = 10;
        control.cx = id == 11 ? 11 : 50;
        control.cy = 14;
        return control;
    }

    Desktop desktop;
    std::vector<Seen> seen;
};

TYPED_TEST_SUITE_P(WindowSystemContract);

TYPED_TEST_P(WindowSystemContract, MinimiseHideRestoreAndMaximiseKeepTheNormalRectangle) {
    HWND hwnd = this->ShowWindow();
    WINDOWPLACEMENT before;
    ASSERT_TRUE(::GetWindowPlacement(hwnd, &before));
    EXPECT_EQ(before.showCmd, UINT(SW_SHOWNORMAL));

    ::ShowWindow(hwnd, SW_MINIMIZE);
    EXPECT_TRUE(::IsIconic(hwnd));
    EXPECT_TRUE(this->Last(hwnd, WM_SIZE, SIZE_MINIMIZED));
    // Hidden in the notification area it still counts as minimised.
    ::ShowWindow(hwnd, SW_HIDE);
    EXPECT_TRUE(::IsIconic(hwnd));
    EXPECT_FALSE(::IsWindowVisible(hwnd));
    WINDOWPLACEMENT hidden;
    ASSERT_TRUE(::GetWindowPlacement(hwnd, &hidden));
    EXPECT_EQ(hidden.showCmd, UINT(SW_SHOWMINIMIZED));
    EXPECT_EQ(hidden.rcNormalPosition, before.rcNormalPosition);

    ::ShowWindow(hwnd, SW_RESTORE);
    ::SetForegroundWindow(hwnd);
    EXPECT_TRUE(::IsWindowVisible(hwnd));
    EXPECT_FALSE(::IsIconic(hwnd));
    EXPECT_TRUE(this->Last(hwnd, WM_SIZE, SIZE_RESTORED));
    EXPECT_TRUE(this->Last(hwnd, WM_NCACTIVATE, TRUE));
    WINDOWPLACEMENT after;
    EXPECT_TRUE(this->desktop.Eventually([&] {
        return ::GetWindowPlacement(hwnd, &after) &&
               after.rcNormalPosition == before.rcNormalPosition;
    })) << Text(after.rcNormalPosition)
        << " before " << Text(before.rcNormalPosition);

    // Maximised, it keeps the rectangle it had as its restored one.
    ::MoveWindow(hwnd, 120, 90, 420, 330, FALSE);
    ASSERT_TRUE(this->desktop.Eventually([&] {
        RECT r{};
        return ::GetWindowRect(hwnd, &r) && r == RECT{120, 90, 540, 420};
    }));
    ::ShowWindow(hwnd, SW_MAXIMIZE);
    EXPECT_TRUE(::IsZoomed(hwnd));
    EXPECT_TRUE(this->Last(hwnd, WM_SIZE, SIZE_MAXIMIZED));
    // Asked once the window manager has made it larger.
    EXPECT_TRUE(this->desktop.Eventually([&] {
        RECT r{};
        return ::GetWindowRect(hwnd, &r) && r.right - r.left > 420 && r.bottom - r.top > 330;
    }));
    ASSERT_TRUE(::GetWindowPlacement(hwnd, &after));
    EXPECT_EQ(after.showCmd, UINT(SW_SHOWMAXIMIZED));
    EXPECT_EQ(after.rcNormalPosition, (RECT{120, 90, 540, 420}));
}

TYPED_TEST_P(WindowSystemContract, ActivationChangesArriveAsNcActivate) {
    HWND first = this->ShowWindow("First");
    HWND second = this->ShowWindow("Second");
    ::SetForegroundWindow(first);
    ASSERT_TRUE(this->desktop.Eventually([&] { return ::GetForegroundWindow() == first; }));
    ::SetForegroundWindow(second);
    ASSERT_TRUE(this->desktop.Eventually([&] { return ::GetForegroundWindow() == second; }));
    EXPECT_TRUE(this->Last(first, WM_NCACTIVATE, FALSE));
    EXPECT_TRUE(this->Last(second, WM_NCACTIVATE, TRUE));
}

TYPED_TEST_P(WindowSystemContract, TopmostBandWithoutActivationThenBottom) {
    HWND hwnd = this->ShowWindow();
    auto other = this->desktop.OpenForeign();
    ASSERT_TRUE(this->desktop.Eventually([&] { return !this->desktop.Above(hwnd, other); }));
    ASSERT_TRUE(this->desktop.Active(other));
    // The program has seen the user leave.
    ASSERT_TRUE(this->desktop.Eventually([&] { return ::GetForegroundWindow() != hwnd; }));

    ::SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, kKeep);
    ::SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, kKeep);
    EXPECT_TRUE(this->desktop.Eventually([&] { return this->desktop.Above(hwnd, other); }));
    // Raised, not activated: the user stays where he is.
    EXPECT_TRUE(this->desktop.Active(other));
    EXPECT_NE(::GetForegroundWindow(), hwnd);
    EXPECT_TRUE(this->SeenOf(hwnd, WM_NCACTIVATE).empty() ||
                this->SeenOf(hwnd, WM_NCACTIVATE).back().wParam == FALSE);

    // The user clicks into the other window: ours stays above it.
    this->desktop.UserActivates(other);
    ASSERT_TRUE(this->desktop.Eventually([&] { return this->desktop.Active(other); }));
    EXPECT_TRUE(this->desktop.Above(hwnd, other));

    ::SetWindowPos(hwnd, HWND_NOTOPMOST, 0, 0, 0, 0, kKeep);
    ::SetWindowPos(hwnd, HWND_BOTTOM, 0, 0, 0, 0, kKeep);
    EXPECT_TRUE(this->desktop.Eventually([&] { return !this->desktop.Above(hwnd, other); }));
    EXPECT_TRUE(this->desktop.Active(other));
    EXPECT_TRUE(::IsWindowVisible(hwnd));
}

TYPED_TEST_P(WindowSystemContract, UpDownKeepsItsPositionInItsBuddy) {
    HWND hwnd = this->CreateWindow();
    HWND edit = ::GetDlgItem(hwnd, 10);
    HWND spin = ::GetDlgItem(hwnd, 11);
    ASSERT_TRUE(edit && spin);
    const auto range = [&] {
        int low = 0, high = 0;
        ::SendMessageA(spin, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low),
                       reinterpret_cast<LPARAM>(&high));
        return std::pair{low, high};
    };
    const auto position = [&](BOOL* error = nullptr) {
        return ::SendMessageA(spin, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(error));
    };
    // The platform's default range runs backwards.
    EXPECT_EQ(range(), (std::pair{100, 0}));

    ::SendMessageA(spin, UDM_SETRANGE32, 1, 30);
    EXPECT_EQ(range(), (std::pair{1, 30}));
    ::SendMessageA(spin, UDM_SETPOS32, 0, 29);
    EXPECT_EQ(platform::GetWindowTextString(edit), "29");
    this->desktop.PressArrow(spin, +1);
    EXPECT_EQ(platform::GetWindowTextString(edit), "30");
    this->desktop.PressArrow(spin, +1); // wraps
    EXPECT_EQ(platform::GetWindowTextString(edit), "1");

    // What the user typed is the position; what is no number is an error.
    BOOL error = TRUE;
    for (const char* typed : {" 12 ", "+12"}) {
        ::SetWindowTextA(edit, typed);
        EXPECT_EQ(position(&error), 12) << typed;
        EXPECT_FALSE(error);
    }
    for (const char* typed : {"12x", "", "-", "+-3", "31", "99999999999"}) {
        ::SetWindowTextA(edit, typed);
        error = FALSE;
        EXPECT_EQ(position(&error), 12) << typed;
        EXPECT_TRUE(error) << typed;
    }

    // A range given the other way round holds positions between its ends,
    // and its upper arrow runs towards the second one.
    ::SendMessageA(spin, UDM_SETRANGE32, 30, 1);
    ::SetWindowTextA(edit, "12");
    EXPECT_EQ(::SendMessageA(spin, UDM_SETPOS32, 0, 500), 12);
    EXPECT_EQ(position(), 30);
    ::SendMessageA(spin, UDM_SETPOS32, 0, -500);
    EXPECT_EQ(platform::GetWindowTextString(edit), "1");
    this->desktop.PressArrow(spin, -1);
    EXPECT_EQ(platform::GetWindowTextString(edit), "2");
    this->desktop.PressArrow(spin, +1);
    this->desktop.PressArrow(spin, +1); // wraps
    EXPECT_EQ(platform::GetWindowTextString(edit), "30");
}

TYPED_TEST_P(WindowSystemContract, ChecksAndTooltipTools) {
    HWND hwnd = this->CreateWindow();
    HWND check = ::GetDlgItem(hwnd, 12);
    ::SendMessageA(check, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(::SendMessageA(check, BM_GETCHECK, 0, 0), LRESULT(BST_CHECKED));
    ::SendMessageA(check, BM_SETCHECK, BST_UNCHECKED, 0);
    EXPECT_EQ(::SendMessageA(check, BM_GETCHECK, 0, 0), LRESULT(BST_UNCHECKED));

    HWND tip = platform::GetWindowSystem()->CreateToolTipWindow(hwnd);
    ASSERT_TRUE(tip);
    EXPECT_EQ(::SendMessageA(tip, TTM_SETMAXTIPWIDTH, 0, 250), -1);
    EXPECT_EQ(::SendMessageA(tip, TTM_GETMAXTIPWIDTH, 0, 0), 250);
    char text[] = "first";
    TOOLINFOA tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd;
    tool.uId = reinterpret_cast<UINT_PTR>(check);
    tool.lpszText = text;
    EXPECT_TRUE(::SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool)));
    // Added again, the tool is replaced, not doubled.
    EXPECT_TRUE(::SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool)));
    EXPECT_EQ(::SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
    // No tool for a window that is gone.
    HWND gone = ::GetDlgItem(hwnd, 10);
    ::DestroyWindow(gone);
    TOOLINFOA stale = tool;
    stale.uId = reinterpret_cast<UINT_PTR>(gone);
    EXPECT_FALSE(::SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&stale)));
    ::SendMessageA(tip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    EXPECT_EQ(::SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0), 0);
}

REGISTER_TYPED_TEST_SUITE_P(WindowSystemContract,
                            MinimiseHideRestoreAndMaximiseKeepTheNormalRectangle,
                            ActivationChangesArriveAsNcActivate,
                            TopmostBandWithoutActivationThenBottom,
                            UpDownKeepsItsPositionInItsBuddy, ChecksAndTooltipTools);

template <class Desktop> class ShellContract : public WindowSystemContract<Desktop> {};

TYPED_TEST_SUITE_P(ShellContract);

TYPED_TEST_P(ShellContract, OnlyTheTwoKnownRecordSizesAreTaken) {
    HWND hwnd = this->CreateWindow();
    for (DWORD size : {DWORD(0), DWORD(100), DWORD(NOTIFYICONDATAA_V2_SIZE + 4)}) {
        auto data = this->Record(hwnd, size);
        EXPECT_FALSE(::Shell_NotifyIconA(NIM_ADD, &data)) << size;
    }
    EXPECT_FALSE(::Shell_NotifyIconA(NIM_ADD, nullptr));
    for (DWORD size : {NOTIFYICONDATAA_V1_SIZE, NOTIFYICONDATAA_V2_SIZE}) {
        auto data = this->Record(hwnd, size);
        EXPECT_TRUE(::Shell_NotifyIconA(NIM_ADD, &data)) << size;
        EXPECT_TRUE(::Shell_NotifyIconA(NIM_DELETE, &data)) << size;
    }
}

TYPED_TEST_P(ShellContract, AnIconIsChangedOnlyWhileItIsThere) {
    HWND hwnd = this->CreateWindow();
    auto data = this->Record(hwnd, NOTIFYICONDATAA_V2_SIZE);
    EXPECT_FALSE(::Shell_NotifyIconA(NIM_MODIFY, &data));
    EXPECT_FALSE(::Shell_NotifyIconA(NIM_DELETE, &data));
    ASSERT_TRUE(::Shell_NotifyIconA(NIM_ADD, &data));
    std::strcpy(data.szTip, "Quorvia - Logged in");
    EXPECT_TRUE(::Shell_NotifyIconA(NIM_MODIFY, &data));
    EXPECT_TRUE(::Shell_NotifyIconA(NIM_DELETE, &data));
    EXPECT_FALSE(::Shell_NotifyIconA(NIM_MODIFY, &data));
    EXPECT_FALSE(::Shell_NotifyIconA(0x77, &data));
}

TYPED_TEST_P(ShellContract, WithANotificationServiceBalloonsCanShow) {
    DLLVERSIONINFO version;
    version.cbSize = sizeof version;
    ASSERT_EQ(::DllGetVersion(&version), S_OK);
    EXPECT_GE(version.dwMajorVersion, 5u);
    version.cbSize = 8; // too small a record
    EXPECT_EQ(::DllGetVersion(&version), E_INVALIDARG);
}

REGISTER_TYPED_TEST_SUITE_P(ShellContract, OnlyTheTwoKnownRecordSizesAreTaken,
                            AnIconIsChangedOnlyWhileItIsThere,
                            WithANotificationServiceBalloonsCanShow);

} // namespace qv::contract
