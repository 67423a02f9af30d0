// Values of the program's own version block (VS_VERSIONINFO, resource type
// 16, name 1). Read afresh on every call; nothing is cached.
#pragma once

#include "platform/types.h"

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

// The text of key in the first string table, or with a null key the file
// version from the fixed record ("1.4.2.0"). Empty on any failure. Keys
// compare exactly (case-sensitive) and may be up to 127 characters long.
std::string GetVersionInfoString(LPCSTR key);

// The value of the first node, in document order, with this type (0 binary,
// 1 text) and key; null when none. The walk stays within the root node's
// wLength, which the caller vouches for: use the sized form for outside data.
const BYTE* FindVersionNode(const BYTE* block, WORD type, LPCWSTR key);

namespace qv::resources {

// FindVersionNode over a block of known size: bounded by the smaller of the
// size and the root's wLength. Malformed nodes end the walk.
const BYTE* FindVersionNode(std::span<const BYTE> block, WORD type, std::u16string_view key);
// GetVersionInfoString over a block of known size.
std::string VersionInfoString(std::span<const BYTE> block, LPCSTR key);

} // namespace qv::resources
