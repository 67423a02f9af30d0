#include "platform/module/res_image.h"

#include "platform/module/byte_reader.h"
#include "platform/text.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

namespace qv::platform {
namespace {

// RESOURCEHEADER without the type and name: DataSize, HeaderSize, then after
// the names DataVersion, MemoryFlags, LanguageId, Version, Characteristics.
constexpr std::size_t kFixedHeaderBytes = 8 + 16;
constexpr std::size_t kMinHeaderBytes = kFixedHeaderBytes + 4 + 4; // two ordinals

// A type or name field: 0xFFFF and an ordinal, or a zero-terminated string.
std::optional<ResourceName> ReadName(ByteReader& in) {
    const std::size_t start = in.offset();
    if (in.u16() == 0xFFFF) {
        const WORD id = in.u16();
        if (!in.ok())
            return std::nullopt;
        return ResourceName::Ordinal(id);
    }
    if (!in.seek(start))
        return std::nullopt;
    std::string text = in.wideString();
    if (!in.ok())
        return std::nullopt;
    return ResourceName{false, 0, qv::text::AsciiUpper(text)};
}

// Ordinals before strings, then by value.
int Compare(const ResourceName& a, const ResourceName& b) {
    if (a.isOrdinal != b.isOrdinal)
        return a.isOrdinal ? -1 : 1;
    if (a.isOrdinal)
        return a.ordinal < b.ordinal ? -1 : (a.ordinal > b.ordinal ? 1 : 0);
    return a.text.compare(b.text);
}

int Compare(const ResourceEntry& e, const ResourceName& type, const ResourceName& name) {
    const int byType = Compare(e.type, type);
    return byType != 0 ? byType : Compare(e.name, name);
}

} // namespace

ResourceName ResourceName::String(std::string_view name) {
    if (name.size() > 1 && name[0] == '#') {
        unsigned value = 0;
        const auto* first = name.data() + 1;
        const auto* last = name.data() + name.size();
        auto [ptr, ec] = std::from_chars(first, last, value);
        if (ec == std::errc() && ptr == last && value <= 0xFFFF)
            return Ordinal(static_cast<WORD>(value));
    }
    return ResourceName{false, 0, qv::text::AsciiUpper(name)};
}

std::optional<ResourceName> ResourceName::FromWin32(LPCSTR name) {
    if (IS_INTRESOURCE(name))
        return Ordinal(LOWORD(reinterpret_cast<std::uintptr_t>(name)));
    return String(name);
}

std::shared_ptr<const ResourceImage> ResourceImage::Parse(std::span<const std::byte> image) {
    const std::span<const BYTE> bytes(reinterpret_cast<const BYTE*>(image.data()), image.size());
    std::shared_ptr<ResourceImage> result(new ResourceImage);
    ByteReader in(bytes);
    bool first = true;
    while (in.remaining() > 0) {
        const std::size_t start = in.offset();
        const DWORD dataSize = in.u32();
        const DWORD headerSize = in.u32();
        if (!in.ok() || headerSize < kMinHeaderBytes || headerSize % 4 != 0 ||
            headerSize > bytes.size() - start || dataSize > bytes.size() - start - headerSize)
            return nullptr;
        // The names must end before the fixed fields that close the header.
        ByteReader header(bytes.subspan(start, headerSize - 16));
        header.skip(8);
        auto type = ReadName(header);
        auto name = type ? ReadName(header) : std::nullopt;
        if (!name)
            return nullptr;
        in.seek(start + headerSize - 16);
        ResourceEntry entry;
        entry.type = std::move(*type);
        entry.name = std::move(*name);
        entry.dataVersion = in.u32();
        entry.memoryFlags = in.u16();
        entry.language = in.u16();
        entry.version = in.u32();
        entry.characteristics = in.u32();
        entry.data = in.bytes(dataSize);
        if (!in.ok())
            return nullptr;
        in.alignDword();
        if (first) {
            // A resource file opens with an empty record of type 0, name 0;
            // without it the bytes are something else.
            if (dataSize != 0 || !entry.type.isOrdinal || entry.type.ordinal != 0 ||
                !entry.name.isOrdinal || entry.name.ordinal != 0)
                return nullptr;
            first = false;
            continue;
        }
        result->entries_.push_back(std::move(entry));
    }
    if (first)
        return nullptr;
    auto& entries = result->entries_;
    result->order_.resize(entries.size());
    for (std::uint32_t i = 0; i < entries.size(); ++i)
        result->order_[i] = i;
    std::stable_sort(result->order_.begin(), result->order_.end(),
                     [&](std::uint32_t a, std::uint32_t b) {
                         const int c = Compare(entries[a], entries[b].type, entries[b].name);
                         return c != 0 ? c < 0 : entries[a].language < entries[b].language;
                     });
    return result;
}

std::shared_ptr<const ResourceImage> ResourceImage::ParseCopy(std::span<const std::byte> image) {
    std::vector<std::byte> copy(image.begin(), image.end());
    auto parsed = Parse(copy);
    if (!parsed)
        return nullptr;
    // The entries point into the vector's heap block, which a move keeps.
    auto owner = std::const_pointer_cast<ResourceImage>(parsed);
    owner->owned_ = std::move(copy);
    return owner;
}

std::pair<const std::uint32_t*, const std::uint32_t*>
ResourceImage::Range(const ResourceName& type, const ResourceName& name) const {
    const auto* begin = order_.data();
    const auto* end = begin + order_.size();
    const auto* low = std::lower_bound(begin, end, 0, [&](std::uint32_t index, int) {
        return Compare(entries_[index], type, name) < 0;
    });
    const auto* high = std::upper_bound(low, end, 0, [&](int, std::uint32_t index) {
        return Compare(entries_[index], type, name) > 0;
    });
    return {low, high};
}

const ResourceEntry* ResourceImage::Find(const ResourceName& type, const ResourceName& name,
                                         LANGID language) const {
    // Duplicates keep file order, so the first copy in the file wins.
    const auto [low, high] = Range(type, name);
    const auto* at = std::lower_bound(low, high, language, [&](std::uint32_t index, LANGID l) {
        return entries_[index].language < l;
    });
    return at != high && entries_[*at].language == language ? &entries_[*at] : nullptr;
}

std::vector<LANGID> ResourceImage::Languages(const ResourceName& type,
                                             const ResourceName& name) const {
    std::vector<LANGID> languages;
    const auto [low, high] = Range(type, name);
    for (const auto* at = low; at != high; ++at)
        if (languages.empty() || languages.back() != entries_[*at].language)
            languages.push_back(entries_[*at].language);
    return languages;
}

const ResourceEntry* ResourceImage::EntryContaining(const void* address) const {
    const auto at = reinterpret_cast<std::uintptr_t>(address);
    for (const auto& entry : entries_) {
        const auto begin = reinterpret_cast<std::uintptr_t>(entry.data.data());
        if (at >= begin && at < begin + entry.data.size())
            return &entry;
    }
    return nullptr;
}

} // namespace qv::platform
