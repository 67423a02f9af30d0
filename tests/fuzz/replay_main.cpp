// Replays fuzz inputs without libFuzzer, so every normal build runs the seed
// corpus through each target as a test. Arguments are files or folders.
#include "fuzz.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

int main(int argc, char** argv) {
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        using Walk = std::filesystem::recursive_directory_iterator;
        std::vector<std::filesystem::path> files{argv[i]};
        if (std::filesystem::is_directory(files[0]))
            files.assign(Walk(files[0]), Walk());
        for (const auto& file : files) {
            if (!std::filesystem::is_regular_file(file))
                continue;
            std::ifstream in(file, std::ios::binary);
            const std::string bytes{std::istreambuf_iterator<char>(in), {}};
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                   bytes.size());
            ++count;
        }
    }
    std::printf("replayed %d inputs\n", count);
    return count > 0 ? 0 : 1;
}
