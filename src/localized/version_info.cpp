#include "localized/version_info.h"

#include "localized/localized_resources.h"
#include "platform/module/resources.h"
#include "platform/text.h"

#include <cstdio>
#include <optional>

namespace {

constexpr WORD kVersionName = 1;
constexpr DWORD kFixedSignature = 0xFEEF04BD;
constexpr std::size_t kNodeHeader = 6; // wLength, wValueLength, wType
constexpr std::size_t kMaxKeyUnits = 127;
constexpr WORD kBinary = 0;
constexpr WORD kText = 1;

std::size_t AlignDword(std::size_t offset) {
    return (offset + 3) & ~std::size_t(3);
}

// A node's header and where its parts lie, all offsets from the block start.
struct Node {
    std::size_t start = 0;
    WORD length = 0;
    WORD valueLength = 0;
    WORD type = 0;
    std::u16string_view key; // into the walk's key buffer; valid until the next read
    std::size_t value = 0;   // just past the key and its padding
    std::size_t valueEnd = 0;
};

class Walker {
public:
    explicit Walker(std::span<const BYTE> block) : block_(block) {}

    WORD Word(std::size_t at) const { return WORD(block_[at] | (block_[at + 1] << 8)); }

    // Reads the node at offset within end; nullopt when it does not fit.
    std::optional<Node> Read(std::size_t offset, std::size_t end, std::u16string& keyBuffer) const {
        if (offset > end || end - offset < kNodeHeader)
            return std::nullopt;
        Node node;
        node.start = offset;
        node.length = Word(offset);
        node.valueLength = Word(offset + 2);
        node.type = Word(offset + 4);
        keyBuffer.clear();
        std::size_t at = offset + kNodeHeader;
        for (;;) {
            if (end - at < 2)
                return std::nullopt; // key without terminator
            const WORD unit = Word(at);
            at += 2;
            if (unit == 0)
                break;
            keyBuffer.push_back(char16_t(unit));
        }
        node.key = keyBuffer;
        node.value = AlignDword(at);
        if (node.value > end)
            node.value = end; // padding cut off by the end counts as present
        const std::size_t valueBytes =
            node.type == kText ? std::size_t(node.valueLength) * 2 : node.valueLength;
        node.valueEnd = node.value + valueBytes;
        return node;
    }

    std::size_t RootEnd() const {
        if (block_.size() < 2)
            return 0;
        const std::size_t length = Word(0);
        return length < block_.size() ? length : block_.size();
    }

    const BYTE* At(std::size_t offset) const { return block_.data() + offset; }

private:
    std::span<const BYTE> block_;
};

// Document order: a node, its children, its next sibling. Skipping a node's
// key and value leads to whichever comes next, so no inner lengths are needed.
std::optional<Node> FindNode(const Walker& walker, WORD type, std::u16string_view key) {
    const std::size_t end = walker.RootEnd();
    std::u16string keyBuffer;
    std::size_t offset = 0;
    while (auto node = walker.Read(offset, end, keyBuffer)) {
        if (node->type == type && node->key == key) {
            node->key = {}; // points into this walk's buffer
            return node;
        }
        // Each step passes at least the header and a terminator.
        offset = AlignDword(node->valueEnd);
    }
    return std::nullopt;
}

std::string FileVersion(const Walker& walker, std::size_t end) {
    const auto root = FindNode(walker, kBinary, u"VS_VERSION_INFO");
    if (!root || end - root->value < 16)
        return {};
    const BYTE* fixed = walker.At(root->value);
    auto dword = [&](int index) {
        const BYTE* p = fixed + index * 4;
        return DWORD(p[0]) | (DWORD(p[1]) << 8) | (DWORD(p[2]) << 16) | (DWORD(p[3]) << 24);
    };
    if (dword(0) != kFixedSignature)
        return {};
    const DWORD ms = dword(2);
    const DWORD ls = dword(3);
    char text[32];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", unsigned(HIWORD(ms)), unsigned(LOWORD(ms)),
                  unsigned(HIWORD(ls)), unsigned(LOWORD(ls)));
    return text;
}

std::string StringValue(const Walker& walker, std::size_t end, std::u16string_view key) {
    const auto fileInfo = FindNode(walker, kText, u"StringFileInfo");
    if (!fileInfo)
        return {};
    // Only the first string table counts, whatever its language.
    std::u16string keyBuffer;
    const auto table = walker.Read(AlignDword(fileInfo->valueEnd), end, keyBuffer);
    if (!table || table->length == 0 || table->type != kText)
        return {};
    const std::size_t tableEnd =
        table->length < end - table->start ? table->start + table->length : end;

    std::size_t offset = AlignDword(table->valueEnd);
    while (auto entry = walker.Read(offset, tableEnd, keyBuffer)) {
        if (entry->length < kNodeHeader)
            break;
        const std::size_t entryEnd =
            entry->length < tableEnd - entry->start ? entry->start + entry->length : tableEnd;
        if (entry->type == kText && entry->key == key && entry->value < entryEnd) {
            // The value ends at its terminator, at wValueLength or at the entry's end.
            std::size_t units = (entryEnd - entry->value) / 2;
            if (entry->valueLength < units)
                units = entry->valueLength;
            std::u16string value;
            for (std::size_t i = 0; i < units; ++i) {
                const WORD unit = walker.Word(entry->value + 2 * i);
                if (unit == 0)
                    break;
                value.push_back(char16_t(unit));
            }
            // An empty value does not end the search.
            if (!value.empty())
                return qv::text::Utf16ToUtf8(value);
        }
        offset = AlignDword(entry->start + entry->length);
    }
    return {};
}

} // namespace

namespace qv::resources {

const BYTE* FindVersionNode(std::span<const BYTE> block, WORD type, std::u16string_view key) {
    const Walker walker(block);
    const auto node = FindNode(walker, type, key);
    return node ? walker.At(node->value) : nullptr;
}

std::string VersionInfoString(std::span<const BYTE> block, LPCSTR key) {
    const Walker walker(block);
    const std::size_t end = walker.RootEnd();
    if (!key)
        return FileVersion(walker, end);
    const std::u16string wide = qv::text::Utf8ToUtf16(key);
    if (wide.size() > kMaxKeyUnits)
        return {};
    return StringValue(walker, end, wide);
}

} // namespace qv::resources

const BYTE* FindVersionNode(const BYTE* block, WORD type, LPCWSTR key) {
    if (!block || !key)
        return nullptr;
    const std::size_t rootLength = WORD(block[0] | (block[1] << 8));
    return qv::resources::FindVersionNode({block, rootLength}, type, std::u16string_view(key));
}

std::string GetVersionInfoString(LPCSTR key) {
    DWORD size = 0;
    HGLOBAL data = FindLocalizedResource(MAKEINTRESOURCEA(kVersionName),
                                         MAKEINTRESOURCEA(RT_VERSION_ID), &size);
    if (!data)
        return {};
    const auto* block = static_cast<const BYTE*>(LockResource(data));
    if (!block)
        return {};
    return qv::resources::VersionInfoString({block, size}, key);
}
