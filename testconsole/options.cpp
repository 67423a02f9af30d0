#include "options.h"

#include "escape.h"

#include <arpa/inet.h>
#include <charconv>
#include <cmath>
#include <cstring>
#include <netinet/in.h>

namespace qv::testconsole {

namespace {

bool ParseInt(const std::string& text, long min, long max, long* out) {
    long value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < min || value > max)
        return false;
    *out = value;
    return true;
}

bool ParseDouble(const std::string& text, double min, double max, double* out) {
    double value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || !std::isfinite(value) || value < min ||
        value > max)
        return false;
    *out = value;
    return true;
}

bool IsNumericAddress(const std::string& host) {
    in_addr v4{};
    in6_addr v6{};
    return inet_pton(AF_INET, host.c_str(), &v4) == 1 ||
           inet_pton(AF_INET6, host.c_str(), &v6) == 1;
}

// HOST:PORT, [IPV6]:PORT; "localhost" means 127.0.0.1 so the bind never
// depends on the resolver.
bool ParseListen(const std::string& text, ConsoleOptions* opts, std::string* error) {
    std::string host;
    std::string port;
    if (!text.empty() && text[0] == '[') {
        const auto close = text.find(']');
        if (close == std::string::npos || close + 1 >= text.size() || text[close + 1] != ':') {
            *error = "--listen: expected [ADDRESS]:PORT, got \"" + text + "\"";
            return false;
        }
        host = text.substr(1, close - 1);
        port = text.substr(close + 2);
    } else {
        const auto colon = text.rfind(':');
        if (colon == std::string::npos || text.find(':') != colon) {
            *error = "--listen: expected ADDRESS:PORT, got \"" + text + "\"";
            return false;
        }
        host = text.substr(0, colon);
        port = text.substr(colon + 1);
    }
    if (host == "localhost")
        host = "127.0.0.1";
    if (!IsNumericAddress(host)) {
        *error = "--listen: \"" + host + "\" is not a numeric IP address";
        return false;
    }
    long value = 0;
    if (!ParseInt(port, 0, 65535, &value)) {
        *error = "--listen: port must be a number from 0 to 65535, got \"" + port + "\"";
        return false;
    }
    opts->host = host;
    opts->port = static_cast<int>(value);
    return true;
}

bool ParseUser(const std::string& text, ConsoleOptions* opts, std::string* error) {
    const auto colon = text.find(':');
    if (colon == std::string::npos || colon == 0) {
        *error = "--user: expected NAME:PASSWORD with a non-empty name";
        return false;
    }
    ConsoleUser user{text.substr(0, colon), text.substr(colon + 1)};
    if (!IsValidUtf8(user.name) || !IsValidUtf8(user.password)) {
        *error = "--user: name and password must be UTF-8";
        return false;
    }
    for (unsigned char c : user.name) {
        if (c < 0x20 || c == 0x7F) {
            *error = "--user: the name must not contain control characters";
            return false;
        }
    }
    for (const auto& other : opts->users) {
        if (other.name == user.name) {
            *error = "--user: \"" + user.name + "\" is given twice";
            return false;
        }
    }
    opts->users.push_back(std::move(user));
    return true;
}

} // namespace

bool IsLoopbackAddress(const std::string& host) {
    in_addr v4{};
    if (inet_pton(AF_INET, host.c_str(), &v4) == 1)
        return (ntohl(v4.s_addr) >> 24) == 127;
    in6_addr v6{};
    if (inet_pton(AF_INET6, host.c_str(), &v6) == 1) {
        if (IN6_IS_ADDR_LOOPBACK(&v6))
            return true;
        if (IN6_IS_ADDR_V4MAPPED(&v6))
            return v6.s6_addr[12] == 127;
    }
    return false;
}

ParsedOptions ParseOptions(const std::vector<std::string>& args) {
    ConsoleOptions opts;
    std::string error;
    auto fail = [&](std::string message) {
        return ParsedOptions{std::nullopt, std::move(message)};
    };

    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> value;
        if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
        }
        const bool isFlag =
            name == "--allow-remote" || name == "--quiet" || name == "--help" || name == "-h";
        if (isFlag) {
            if (value)
                return fail(name + " takes no value");
            if (name == "--allow-remote")
                opts.allowRemote = true;
            else if (name == "--quiet")
                opts.quiet = true;
            else
                opts.help = true;
            continue;
        }
        if (name != "--listen" && name != "--user" && name != "--latency" &&
            name != "--fail-rate" && name != "--calls-every" && name != "--poll-ms")
            return fail("unknown option \"" + name + "\"");
        if (!value) {
            if (i + 1 >= args.size())
                return fail(name + " needs a value");
            value = args[++i];
        }
        if (name == "--listen") {
            if (!ParseListen(*value, &opts, &error))
                return fail(error);
        } else if (name == "--user") {
            if (!ParseUser(*value, &opts, &error))
                return fail(error);
        } else if (name == "--latency") {
            long ms = 0;
            if (!ParseInt(*value, 0, 60000, &ms))
                return fail("--latency: milliseconds from 0 to 60000, got \"" + *value + "\"");
            opts.latencyMs = static_cast<int>(ms);
        } else if (name == "--poll-ms") {
            long ms = 0;
            if (!ParseInt(*value, 100, 600000, &ms))
                return fail("--poll-ms: milliseconds from 100 to 600000, got \"" + *value + "\"");
            opts.pollMs = static_cast<int>(ms);
        } else if (name == "--fail-rate") {
            if (!ParseDouble(*value, 0.0, 1.0, &opts.failRate))
                return fail("--fail-rate: a fraction from 0 to 1, got \"" + *value + "\"");
        } else {
            if (!ParseDouble(*value, 1.0, 86400.0, &opts.callsEverySeconds))
                return fail("--calls-every: seconds from 1 to 86400, got \"" + *value + "\"");
        }
    }
    if (opts.help)
        return {opts, {}};
    if (opts.users.empty())
        return fail("at least one --user NAME:PASSWORD is needed");
    if (!opts.allowRemote && !IsLoopbackAddress(opts.host))
        return fail("refusing to listen on non-loopback address " + opts.host +
                    " without --allow-remote");
    return {opts, {}};
}

const char* UsageText() {
    return "usage: quorvia-console --listen ADDRESS:PORT --user NAME:PASSWORD [--user ...]\n"
           "                       [--latency MS] [--fail-rate P] [--calls-every SECONDS]\n"
           "                       [--poll-ms MS]\n"
           "                       [--allow-remote] [--quiet]\n"
           "\n"
           "  --listen ADDRESS:PORT  numeric address (or localhost); [::1]:PORT for IPv6;\n"
           "                         PORT 0 picks a free port (default 127.0.0.1:0)\n"
           "  --user NAME:PASSWORD   a console account; repeat for more\n"
           "  --latency MS           delay every console answer (not /sim/*)\n"
           "  --fail-rate P          answer this fraction (0..1) of console requests with 500,\n"
           "                         evenly spread: request n fails when floor(n*P) steps up\n"
           "  --calls-every SECONDS  place a simulated call this often (lasts up to 6 s)\n"
           "  --poll-ms MS           the display's poll period (default 3000)\n"
           "  --allow-remote         allow a non-loopback listen address (/sim/* stays\n"
           "                         loopback only)\n"
           "  --quiet                no request log on stderr\n"
           "\n"
           "The first line on stdout is \"listening on http://ADDRESS:PORT/\".\n";
}

} // namespace qv::testconsole
