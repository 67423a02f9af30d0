// Diagnostics: the decisions a user would otherwise guess at (login filled or
// not, a call raised or notified, a settings file refused ...), one line each
// on stderr, which the journal keeps. Off by default; QUORVIA_DEBUG or
// --debug names the categories, "all" switches on every one.
#pragma once

#include "platform/types.h"

#include <string>
#include <string_view>

// The platform's debugger output: here the text goes to stderr, whole.
void OutputDebugStringA(LPCSTR text);

namespace qv::platform {

enum class TraceCategory : unsigned {
    Registry = 1, // the settings files
    Console = 2,  // the console automation: login, logout, the terminal retry
    Shell = 4,    // notification icon, notifications, the call announced
    Bridge = 8,   // reports of the page bridge
};

// "console,shell", "all", "" (none); names in any case, separated by commas
// or blanks. False, with the first unknown name in *unknown, when one is not
// a category; the known ones still count.
bool ParseTraceCategories(std::string_view list, unsigned& mask, std::string* unknown = nullptr);

// Reads QUORVIA_DEBUG, then takes "--debug" (all) or "--debug=LIST" out of
// argv, so the rest of the command line reads as before. Both add up. An
// unknown name is said on stderr once.
void ConfigureTracing(int& argc, char** argv);

inline unsigned g_traceMask = 0;
inline void SetTraceMask(unsigned mask) {
    g_traceMask = mask;
}
inline bool TraceEnabled(TraceCategory category) {
    return (g_traceMask & static_cast<unsigned>(category)) != 0;
}
// One line "quorvia: <category>: <text>"; use QV_TRACE, which formats nothing
// while the category is off.
void TraceF(TraceCategory category, const char* format, ...) __attribute__((format(printf, 2, 3)));

} // namespace qv::platform

#define QV_TRACE(category, ...)                                                                    \
    do {                                                                                           \
        if (::qv::platform::TraceEnabled(::qv::platform::TraceCategory::category))                 \
            ::qv::platform::TraceF(::qv::platform::TraceCategory::category, __VA_ARGS__);          \
    } while (0)
