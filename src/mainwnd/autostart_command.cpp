#include "mainwnd/autostart_command.h"

#include "platform/text.h"

std::string AutostartCommandLine(std::string_view executable, std::string_view arguments) {
    const std::string_view path = qv::text::Trim(executable);
    const std::string_view args = qv::text::Trim(arguments);
    std::string command;
    if (path.find_first_of("\r\n\t ") != path.npos)
        command.append("\"").append(path).append("\"");
    else
        command.append(path);
    if (!args.empty())
        command.append(" ").append(args);
    return command;
}
