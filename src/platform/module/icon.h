// Icons from icon resources: directory lookup and image decoding.
#pragma once

#include "platform/types.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// A decoded icon: straight (non-premultiplied) ARGB pixels, row 0 at the top.
struct HICON__ {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> argb;
};

inline constexpr UINT LR_DEFAULTCOLOR = 0x0000;
inline constexpr UINT LR_MONOCHROME = 0x0001;
inline constexpr UINT LR_DEFAULTSIZE = 0x0040;
inline constexpr int SM_CXICON_DEFAULT = 32;
// Largest icon edge decoded or scaled to; larger requests are refused.
inline constexpr int kMaxIconEdge = 1024;

// Picks the entry of an icon-group directory (cursor group when icon is
// FALSE) that best fits the size: the exact size, else the nearest (a larger
// image wins a tie, as scaling down looks better), then the depth nearest a
// 32-bit display (1 bit with LR_MONOCHROME), then the first in order.
// cx/cy of 0 mean the standard icon size. Returns its icon resource id, 0
// when the directory is malformed or empty.
int LookupIconIdFromDirectory(const BYTE* directory, BOOL icon);
int LookupIconIdFromDirectoryEx(const BYTE* directory, BOOL icon, int cx, int cy, UINT flags);
// Decodes an icon image: a BITMAPINFOHEADER DIB of 1, 4, 8, 24 or 32 bits per
// pixel with its AND mask (a cursor image starts with its hotspot). PNG images
// and malformed data give null. version must lie in 0x00020000..0x00030000.
// CreateIconFromResource scales to the standard icon size, as the platform's.
HICON CreateIconFromResource(const BYTE* bits, DWORD size, BOOL icon, DWORD version);
// cx/cy of 0 keep the image's own size (the standard size with
// LR_DEFAULTSIZE); otherwise the image is scaled (box filter down, nearest up).
HICON CreateIconFromResourceEx(const BYTE* bits, DWORD size, BOOL icon, DWORD version, int cx,
                               int cy, UINT flags);
BOOL DestroyIcon(HICON icon);

namespace qv::platform {
// LookupIconIdFromDirectoryEx over a directory of known size.
int LookupIconIdFromGroup(const BYTE* directory, std::size_t size, BOOL icon, int cx, int cy,
                          UINT flags);
} // namespace qv::platform
