// Picking an image from an icon-group directory of arbitrary bytes. The first
// three bytes are the requested width, height and depth.
#include "../fuzz.h"
#include "localized/localized_resources.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3)
        return 0;
    DWORD imageSize = 0;
    (void)PickIconFromDirectory(data + 3, size - 3, data[0], data[1], data[2], &imageSize);
    (void)PickIconFromDirectory(data + 3, size - 3, 48, 48, 32, nullptr);
    return 0;
}
