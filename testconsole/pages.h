// The console's pages. Every text from outside (user names, display rows) goes
// through escape.h on its way in.
#pragma once

#include "state.h"

#include <string>
#include <string_view>

namespace qv::testconsole {

inline constexpr std::string_view kStartPage = "/app-main.asp?app=3";
inline constexpr std::string_view kTerminalName = "201";

// Top-level login form; userName refills the name field after a failed try.
std::string LoginPage(std::string_view userName, std::string_view message);
// Top-level frameset of the logged-in application.
std::string AppPage(std::string_view user);
// Top-level page while no terminal is assigned: a "terminal" list with only "empty".
std::string TerminalPage(std::string_view user);
std::string ButtonsPage(std::string_view user);
std::string DisplayPage();
// The frame that reloads itself every pollMs and writes the rows into vp_disp.
std::string PollPage(const DisplayRows& rows, int pollMs = 3000);
// Any frame or window of a session that is gone: sends the top window to the start page.
std::string SessionEndedPage();
std::string ConfigPage(std::string_view user);
std::string HelpPage();
std::string ClosePage();
// Reports window.external.CTI_IsBrowser in its title; can call CTI_ChangeRows.
std::string ExternalPage(std::string_view row1, std::string_view row2, bool autoChange);
// retry: the page reloads itself after 3 s (only sensible for GET).
std::string ErrorPage(int status, std::string_view text, bool retry);

} // namespace qv::testconsole
