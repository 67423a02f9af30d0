// Icon images and icon-group directories. The first byte picks the size to
// scale to and whether the data is a cursor.
#include "../fuzz.h"
#include "platform/module/icon.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    const int edge = (data[0] & 0x3F) * 2; // 0 keeps the image's size
    const BOOL icon = (data[0] & 0x80) ? FALSE : TRUE;
    const BYTE* bits = data + 1;
    const std::size_t length = size - 1;
    HICON decoded = CreateIconFromResourceEx(bits, static_cast<DWORD>(length), icon, 0x00030000,
                                             edge, edge, LR_DEFAULTCOLOR);
    qv::fuzz::Require(!decoded ||
                      decoded->argb.size() == std::size_t(decoded->width) * decoded->height);
    DestroyIcon(decoded);
    qv::platform::LookupIconIdFromGroup(bits, length, icon, edge, edge,
                                        (data[0] & 0x40) ? LR_MONOCHROME : LR_DEFAULTCOLOR);
    return 0;
}
