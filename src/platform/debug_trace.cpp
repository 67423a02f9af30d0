#include "platform/debug_trace.h"

#include "platform/text.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace qv::platform {
namespace {

struct Name {
    const char* text;
    TraceCategory category;
};
constexpr Name kNames[] = {{"registry", TraceCategory::Registry},
                           {"console", TraceCategory::Console},
                           {"shell", TraceCategory::Shell},
                           {"bridge", TraceCategory::Bridge}};
constexpr unsigned kAll = 0xF;

const char* NameOf(TraceCategory category) {
    for (const auto& name : kNames)
        if (name.category == category)
            return name.text;
    return "?";
}

void Warn(const std::string& unknown) {
    const std::string line = "quorvia: unknown debug category \"" + unknown +
                             "\" (registry, console, shell, bridge or all)\n";
    OutputDebugStringA(line.c_str());
}

} // namespace

bool ParseTraceCategories(std::string_view list, unsigned& mask, std::string* unknown) {
    bool ok = true;
    while (!list.empty()) {
        const auto end = list.find_first_of(", \t");
        const std::string word = qv::text::AsciiLower(list.substr(0, end));
        list = end == std::string_view::npos ? std::string_view{} : list.substr(end + 1);
        if (word.empty())
            continue;
        unsigned bit = word == "all" ? kAll : 0;
        for (const auto& name : kNames)
            if (word == name.text)
                bit = static_cast<unsigned>(name.category);
        if (bit == 0 && ok) {
            ok = false;
            if (unknown)
                *unknown = word;
        }
        mask |= bit;
    }
    return ok;
}

void ConfigureTracing(int& argc, char** argv) {
    unsigned mask = 0;
    std::string unknown;
    bool ok = true;
    if (const char* variable = std::getenv("QUORVIA_DEBUG"))
        ok = ParseTraceCategories(variable, mask, &unknown);
    int kept = argc > 0 ? 1 : 0;
    for (int i = kept; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--debug") {
            mask = kAll;
        } else if (arg.starts_with("--debug=")) {
            std::string bad;
            if (!ParseTraceCategories(arg.substr(8), mask, &bad) && ok) {
                ok = false;
                unknown = bad;
            }
        } else {
            argv[kept++] = argv[i];
        }
    }
    if (kept < argc)
        argv[kept] = nullptr;
    argc = kept;
    if (!ok)
        Warn(unknown);
    SetTraceMask(mask);
}

void TraceF(TraceCategory category, const char* format, ...) {
    char text[1024];
    int used = std::snprintf(text, sizeof text, "quorvia: %s: ", NameOf(category));
    va_list args;
    va_start(args, format);
    std::vsnprintf(text + used, sizeof text - used, format, args);
    va_end(args);
    // A cut line ends on a character boundary and still gets its newline.
    std::string line(qv::text::CutUtf8(text, sizeof text - 2));
    line += '\n';
    OutputDebugStringA(line.c_str());
}

} // namespace qv::platform

void OutputDebugStringA(LPCSTR text) {
    if (!text)
        return;
    // One write per line, so lines of several processes do not interleave.
    const std::size_t size = std::strlen(text);
    for (std::size_t done = 0; done < size;) {
        const ssize_t n = ::write(STDERR_FILENO, text + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
}
