#include "mainwnd/autostart_command.h"

namespace {

constexpr std::string_view kWhiteSpace = " \t\r\n\v\f";

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(kWhiteSpace);
    if (first == text.npos)
        return {};
    return text.substr(first, text.find_last_not_of(kWhiteSpace) - first + 1);
}

} // namespace

std::string AutostartCommandLine(std::string_view executable, std::string_view arguments) {
    const std::string_view path = Trim(executable);
    const std::string_view args = Trim(arguments);
    std::string command;
    if (path.find_first_of("\r\n\t ") != path.npos)
        command.append("\"").append(path).append("\"");
    else
        command.append(path);
    if (!args.empty())
        command.append(" ").append(args);
    return command;
}
