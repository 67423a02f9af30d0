// A readable record of every platform call the simulation served, in order,
// for tests to compare.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qv::sim {

class Transcript {
public:
    void Add(std::string line) { lines_.push_back(std::move(line)); }
    const std::vector<std::string>& Lines() const { return lines_; }
    void Clear() { lines_.clear(); }
    // Lines that start with the prefix.
    std::vector<std::string> Matching(std::string_view prefix) const;
    std::size_t Count(std::string_view prefix) const { return Matching(prefix).size(); }
    bool Contains(std::string_view line) const;

private:
    std::vector<std::string> lines_;
};

} // namespace qv::sim
