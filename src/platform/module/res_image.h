// The parsed contents of a compiled Win32 resource file (.res): a sequence of
// RESOURCEHEADER records, each followed by its data.
#pragma once

#include "platform/types.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qv::platform {

// A resource type or name: an ordinal, or a string kept upper-cased (UTF-8)
// as the resource compilers store it.
struct ResourceName {
    bool isOrdinal = true;
    WORD ordinal = 0;
    std::string text;

    static ResourceName Ordinal(WORD id) { return ResourceName{true, id, {}}; }
    // "#123" is the ordinal 123, as on Windows; other strings compare
    // case-insensitively (ASCII).
    static ResourceName String(std::string_view name);
    // An LPCSTR as the Win32 calls take it (MAKEINTRESOURCE or a string).
    static std::optional<ResourceName> FromWin32(LPCSTR name);

    bool operator==(const ResourceName&) const = default;
};

} // namespace qv::platform

// One resource of a ResourceImage; FindResourceExA hands out pointers to it.
// It lives as long as the image it belongs to.
struct HRSRC__ {
    qv::platform::ResourceName type;
    qv::platform::ResourceName name;
    WORD language = 0;
    WORD memoryFlags = 0;
    DWORD dataVersion = 0;
    DWORD version = 0;
    DWORD characteristics = 0;
    std::span<const BYTE> data;
};

namespace qv::platform {

using ResourceEntry = HRSRC__;

class ResourceImage {
public:
    // Parses an image the caller keeps alive for as long as the result.
    // Null when the bytes are not a well-formed resource file.
    static std::shared_ptr<const ResourceImage> Parse(std::span<const std::byte> image);
    // Same, but the image keeps its own copy of the bytes.
    static std::shared_ptr<const ResourceImage> ParseCopy(std::span<const std::byte> image);

    // Every resource in file order (the leading empty record left out).
    const std::vector<ResourceEntry>& Entries() const { return entries_; }
    // The copy in exactly this language, or null.
    const ResourceEntry* Find(const ResourceName& type, const ResourceName& name,
                              LANGID language) const;
    // The languages the resource exists in, ascending, without duplicates.
    std::vector<LANGID> Languages(const ResourceName& type, const ResourceName& name) const;
    // The entry whose data holds the address, or null; lets callers of the
    // pointer-only Win32 calls bound their reads.
    const ResourceEntry* EntryContaining(const void* address) const;

private:
    // Indices into entries_ sorted by type, name, language, file order.
    std::pair<const std::uint32_t*, const std::uint32_t*> Range(const ResourceName& type,
                                                                const ResourceName& name) const;

    std::vector<std::byte> owned_;
    std::vector<ResourceEntry> entries_;
    std::vector<std::uint32_t> order_;
};

} // namespace qv::platform
