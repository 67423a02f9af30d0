// Icons from icon resources: directory lookup and image decoding.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/types.h"

// A decoded icon: straight (non-premultiplied) ARGB pixels, row 0 at the top.
struct HICON__ {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> argb;
};

inline constexpr UINT LR_DEFAULTCOLOR = 0;
inline constexpr int SM_CXICON_DEFAULT = 32;

// Picks the entry of an icon-group directory that best fits the size and the
// display depth; returns its icon resource id, 0 when none.
int LookupIconIdFromDirectory(const BYTE* directory, BOOL icon);
int LookupIconIdFromDirectoryEx(const BYTE* directory, BOOL icon, int cx, int cy, UINT flags);
// Decodes an icon image (BITMAPINFOHEADER DIB with AND mask, or PNG is refused).
// cx/cy of 0 keep the image's own size; otherwise the image is scaled.
HICON CreateIconFromResource(const BYTE* bits, DWORD size, BOOL icon, DWORD version);
HICON CreateIconFromResourceEx(const BYTE* bits, DWORD size, BOOL icon, DWORD version, int cx,
                               int cy, UINT flags);
BOOL DestroyIcon(HICON icon);
