#pragma once

// Caps on what one snapshot carries, so a huge document costs bounded time and
// memory. Elements past the element cap are left out (the snapshot says so);
// longer texts are cut (the element says so).

#include <cstddef>

namespace qv::bridge {

inline constexpr std::size_t kMaxSnapshotElements = 100'000;
// name, type, href, value and the title, in UTF-16 code units
inline constexpr std::size_t kMaxAttributeChars = 64 * 1024;
// one script's text
inline constexpr std::size_t kMaxScriptChars = 1024 * 1024;
// all script texts of one snapshot together; later scripts arrive empty and cut
inline constexpr std::size_t kMaxTotalScriptChars = 4 * 1024 * 1024;
// snapshots of one document whose element lists the page keeps for commands
inline constexpr int kKeptSnapshots = 3;
// how long a frame's opening or going may wait for a report to go out with
inline constexpr int kLazyReportMillis = 200;
// windows a page has open at once through window.open; further requests get none
inline constexpr std::size_t kMaxOpenWindows = 4;

} // namespace qv::bridge
