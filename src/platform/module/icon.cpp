#include "platform/module/icon.h"

#include "platform/module/byte_reader.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <span>

namespace {

using qv::platform::ByteReader;

constexpr int kDisplayDepth = 32;
// The pointer-only directory call trusts its caller as the platform does;
// this is the most a directory with 65535 entries can take.
constexpr std::size_t kLargestDirectory = 6 + 65535 * 14;

struct GroupEntry {
    int width;
    int height;
    int bitCount;
    WORD id;
};

int DepthFromColours(int colours) {
    if (colours == 2)
        return 1;
    if (colours > 0 && colours <= 16)
        return 4;
    return 8;
}

std::vector<GroupEntry> ReadGroup(std::span<const BYTE> data, BOOL icon) {
    ByteReader in(data);
    const WORD reserved = in.u16();
    const WORD type = in.u16();
    const WORD count = in.u16();
    std::vector<GroupEntry> entries;
    if (!in.ok() || reserved != 0 || type != (icon ? 1 : 2))
        return entries;
    for (WORD i = 0; i < count; ++i) {
        GroupEntry entry{};
        if (icon) {
            // Width and height are bytes; 0 stands for 256.
            const BYTE width = in.u8();
            const BYTE height = in.u8();
            const BYTE colours = in.u8();
            in.u8();
            in.u16(); // planes
            const WORD bits = in.u16();
            entry.width = width ? width : 256;
            entry.height = height ? height : 256;
            entry.bitCount = bits ? bits : DepthFromColours(colours);
        } else {
            // Cursor groups store the doubled DIB height.
            entry.width = in.u16();
            entry.height = in.u16() / 2;
            in.u16();
            entry.bitCount = in.u16();
        }
        in.u32(); // bytes in resource
        entry.id = in.u16();
        if (!in.ok())
            return {};
        entries.push_back(entry);
    }
    return entries;
}

// Premultiplied channels for averaging, straight ARGB in and out.
struct Accum {
    std::uint64_t a = 0, r = 0, g = 0, b = 0, n = 0;
    void add(std::uint32_t p) {
        const std::uint32_t alpha = p >> 24;
        a += alpha;
        r += ((p >> 16) & 0xFF) * alpha;
        g += ((p >> 8) & 0xFF) * alpha;
        b += (p & 0xFF) * alpha;
        ++n;
    }
    std::uint32_t result() const {
        if (a == 0)
            return 0;
        const auto channel = [&](std::uint64_t sum) {
            return static_cast<std::uint32_t>((sum + a / 2) / a);
        };
        const auto alpha = static_cast<std::uint32_t>((a + n / 2) / n);
        return (alpha << 24) | (channel(r) << 16) | (channel(g) << 8) | channel(b);
    }
};

void Scale(HICON__& icon, int cx, int cy) {
    std::vector<std::uint32_t> out(std::size_t(cx) * std::size_t(cy));
    const auto span = [](int d, int src, int dst, int& from, int& to) {
        from = static_cast<int>(std::int64_t(d) * src / dst);
        to = static_cast<int>(std::int64_t(d + 1) * src / dst);
        if (to <= from)
            to = from + 1; // enlarging: nearest neighbour
    };
    for (int y = 0; y < cy; ++y) {
        int y0, y1;
        span(y, icon.height, cy, y0, y1);
        for (int x = 0; x < cx; ++x) {
            int x0, x1;
            span(x, icon.width, cx, x0, x1);
            Accum sum;
            for (int sy = y0; sy < y1; ++sy)
                for (int sx = x0; sx < x1; ++sx)
                    sum.add(icon.argb[std::size_t(sy) * icon.width + sx]);
            out[std::size_t(y) * cx + x] = sum.result();
        }
    }
    icon.width = cx;
    icon.height = cy;
    icon.argb = std::move(out);
}

std::unique_ptr<HICON__> DecodeDib(std::span<const BYTE> data) {
    ByteReader in(data);
    const DWORD headerSize = in.u32();
    const LONG width = static_cast<LONG>(in.u32());
    const LONG doubledHeight = static_cast<LONG>(in.u32());
    const WORD planes = in.u16();
    const WORD bitCount = in.u16();
    const DWORD compression = in.u32();
    in.skip(12); // image size, resolution
    const DWORD coloursUsed = in.u32();
    if (!in.ok() || headerSize < 40 || headerSize > data.size() || planes != 1 ||
        compression != 0 || width <= 0 || width > kMaxIconEdge || doubledHeight <= 0 ||
        doubledHeight / 2 > kMaxIconEdge || doubledHeight < 2)
        return nullptr;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32)
        return nullptr;
    // The header's height covers the colour image and the AND mask.
    const int height = doubledHeight / 2;

    in.seek(headerSize);
    std::vector<std::uint32_t> palette;
    if (bitCount <= 8) {
        const DWORD full = 1u << bitCount;
        const DWORD entries = coloursUsed == 0 || coloursUsed > full ? full : coloursUsed;
        for (DWORD i = 0; i < entries; ++i) {
            const DWORD quad = in.u32();
            palette.push_back(0xFF000000u | (quad & 0x00FFFFFF));
        }
    }
    const std::size_t xorStride = ((std::size_t(width) * bitCount + 31) / 32) * 4;
    const std::size_t andStride = ((std::size_t(width) + 31) / 32) * 4;
    const auto xorBits = in.bytes(xorStride * height);
    const auto andBits = in.bytes(andStride * height);
    if (!in.ok())
        return nullptr;

    auto icon = std::make_unique<HICON__>();
    icon->width = width;
    icon->height = height;
    icon->argb.resize(std::size_t(width) * height);
    bool anyAlpha = false;
    for (int y = 0; y < height; ++y) {
        // Rows are stored bottom-up.
        const BYTE* row = xorBits.data() + std::size_t(height - 1 - y) * xorStride;
        for (int x = 0; x < width; ++x) {
            std::uint32_t pixel;
            if (bitCount <= 8) {
                const std::size_t bit = std::size_t(x) * bitCount;
                const unsigned shift = 8 - bitCount - bit % 8;
                const unsigned index = (row[bit / 8] >> shift) & ((1u << bitCount) - 1);
                pixel = index < palette.size() ? palette[index] : 0xFF000000u;
            } else {
                const BYTE* p = row + std::size_t(x) * (bitCount / 8);
                pixel =
                    0xFF000000u | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[1]) << 8) | p[0];
                if (bitCount == 32) {
                    pixel = (pixel & 0x00FFFFFF) | (std::uint32_t(p[3]) << 24);
                    anyAlpha = anyAlpha || p[3] != 0;
                }
            }
            icon->argb[std::size_t(y) * width + x] = pixel;
        }
    }
    // A 32-bit image with an alpha channel ignores the mask; all others (and
    // old 32-bit images whose alpha is all zero) take transparency from it.
    const bool useMask = !(bitCount == 32 && anyAlpha);
    for (int y = 0; y < height; ++y) {
        const BYTE* row = andBits.data() + std::size_t(height - 1 - y) * andStride;
        for (int x = 0; x < width; ++x) {
            auto& pixel = icon->argb[std::size_t(y) * width + x];
            if (!useMask)
                continue;
            const bool transparent = (row[x / 8] >> (7 - x % 8)) & 1;
            pixel = transparent ? 0 : (pixel | 0xFF000000u);
        }
    }
    return icon;
}

} // namespace

namespace qv::platform {

int LookupIconIdFromGroup(const BYTE* directory, std::size_t size, BOOL icon, int cx, int cy,
                          UINT flags) {
    if (!directory)
        return 0;
    const auto entries = ReadGroup({directory, size}, icon);
    if (cx <= 0)
        cx = SM_CXICON_DEFAULT;
    if (cy <= 0)
        cy = SM_CXICON_DEFAULT;
    const int depth = (flags & LR_MONOCHROME) ? 1 : kDisplayDepth;
    const GroupEntry* best = nullptr;
    long bestSize = 0;
    bool bestLarger = false;
    int bestDepth = 0;
    for (const auto& entry : entries) {
        const long sizeDistance =
            std::labs(long(entry.width) - cx) + std::labs(long(entry.height) - cy);
        const bool larger = entry.width >= cx && entry.height >= cy;
        const int depthDistance = std::abs(entry.bitCount - depth);
        const bool better =
            !best || sizeDistance < bestSize ||
            (sizeDistance == bestSize && larger && !bestLarger) ||
            (sizeDistance == bestSize && larger == bestLarger && depthDistance < bestDepth);
        if (better) {
            best = &entry;
            bestSize = sizeDistance;
            bestLarger = larger;
            bestDepth = depthDistance;
        }
    }
    return best ? best->id : 0;
}

} // namespace qv::platform

int LookupIconIdFromDirectory(const BYTE* directory, BOOL icon) {
    return LookupIconIdFromDirectoryEx(directory, icon, 0, 0, LR_DEFAULTCOLOR);
}

int LookupIconIdFromDirectoryEx(const BYTE* directory, BOOL icon, int cx, int cy, UINT flags) {
    if (!directory)
        return 0;
    // Only the count decides how far the reader goes; read it first so no
    // byte past the entries is touched.
    const std::size_t count = directory[4] | (std::size_t(directory[5]) << 8);
    const std::size_t size = std::min(kLargestDirectory, 6 + count * 14);
    return qv::platform::LookupIconIdFromGroup(directory, size, icon, cx, cy, flags);
}

HICON CreateIconFromResource(const BYTE* bits, DWORD size, BOOL icon, DWORD version) {
    return CreateIconFromResourceEx(bits, size, icon, version, 0, 0, LR_DEFAULTSIZE);
}

HICON CreateIconFromResourceEx(const BYTE* bits, DWORD size, BOOL icon, DWORD version, int cx,
                               int cy, UINT flags) {
    if (!bits || version < 0x00020000 || version > 0x00030000 || cx < 0 || cy < 0 ||
        cx > kMaxIconEdge || cy > kMaxIconEdge)
        return nullptr;
    std::span<const BYTE> data(bits, size);
    if (!icon) {
        if (data.size() < 4)
            return nullptr;
        data = data.subspan(4); // hotspot
    }
    static constexpr BYTE kPng[] = {0x89, 'P', 'N', 'G'};
    if (data.size() >= 4 && std::equal(kPng, kPng + 4, data.begin()))
        return nullptr;
    auto decoded = DecodeDib(data);
    if (!decoded)
        return nullptr;
    if (flags & LR_DEFAULTSIZE) {
        if (cx == 0)
            cx = SM_CXICON_DEFAULT;
        if (cy == 0)
            cy = SM_CXICON_DEFAULT;
    }
    if (cx == 0)
        cx = decoded->width;
    if (cy == 0)
        cy = decoded->height;
    if (cx != decoded->width || cy != decoded->height)
        Scale(*decoded, cx, cy);
    return decoded.release();
}

BOOL DestroyIcon(HICON icon) {
    if (!icon)
        return FALSE;
    delete icon;
    return TRUE;
}
