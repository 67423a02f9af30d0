#include "test_support.h"

#include "localized/localized_resources.h"

namespace qv::restest {

std::span<const BYTE> LockLocalizedBytes(WORD name, WORD type) {
    DWORD size = 0;
    HGLOBAL data = FindLocalizedResource(MAKEINTRESOURCEA(name), MAKEINTRESOURCEA(type), &size);
    if (!data)
        return {};
    return {static_cast<const BYTE*>(LockResource(data)), size};
}

} // namespace qv::restest
