// quorvia-reg: the registry files from a shell, in the manner of reg.exe.
#include "cmdline.h"
#include "regtool.h"

#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    auto parsed = qv::regtool::ParseCommandLine(args);
    if (!parsed.command) {
        std::cerr << parsed.error << "\n";
        return 1;
    }
    qv::regtool::Console console{std::cout, std::cerr, [](const std::string& question) {
                                     // A prompt without a terminal would hang a script.
                                     if (!::isatty(STDIN_FILENO))
                                         return std::optional<bool>();
                                     std::cout << question << " " << std::flush;
                                     std::string answer;
                                     if (!std::getline(std::cin, answer))
                                         return std::optional<bool>(false);
                                     return std::optional<bool>(
                                         !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y'));
                                 }};
    return qv::regtool::Run(*parsed.command, console);
}
