#include "backend/sim/transcript.h"

#include <algorithm>

namespace qv::sim {

std::vector<std::string> Transcript::Matching(std::string_view prefix) const {
    std::vector<std::string> out;
    for (const auto& line : lines_) {
        if (std::string_view(line).starts_with(prefix))
            out.push_back(line);
    }
    return out;
}

bool Transcript::Contains(std::string_view line) const {
    return std::find(lines_.begin(), lines_.end(), line) != lines_.end();
}

} // namespace qv::sim
