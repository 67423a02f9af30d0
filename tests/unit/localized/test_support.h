// Shared helpers: the program's real resources, the fixture resources and the
// user's language, each set for one scope.
#pragma once

#include "localized/localized_resources.h"
#include "platform/module/resources.h"
#include "platform/types.h"
#include "rc/embedded.h"
#include "support/support.h"

#include <memory>
#include <span>

namespace qv::restest {

using qv::test::ReadBytes;
using qv::test::ScopedLocale;

// The embedded resources, installed once as the program does at start-up.
inline HINSTANCE RealModule() {
    static HINSTANCE module = qv::res::InstallEmbeddedResources("/opt/quorvia/quorvia");
    return module;
}

inline HINSTANCE FixtureModule() {
    static std::unique_ptr<HINSTANCE__> module =
        qv::platform::LoadResourceModuleCopy(ReadBytes(QV_RESOURCES_FIXTURE_RES));
    return module.get();
}

// Makes module the resource handle for one scope.
class ScopedResources {
public:
    explicit ScopedResources(HINSTANCE module) : previous_(AfxGetResourceHandle()) {
        AfxSetResourceHandle(module);
    }
    ~ScopedResources() { AfxSetResourceHandle(previous_); }
    ScopedResources(const ScopedResources&) = delete;
    ScopedResources& operator=(const ScopedResources&) = delete;

private:
    HINSTANCE previous_;
};

// A locale and the language id it stands for.
struct Locale {
    const char* name;
    LANGID id;
};

inline constexpr Locale kGerman{"de_DE.UTF-8", 0x0407};
inline constexpr Locale kSwissGerman{"de_CH.UTF-8", 0x0807};
inline constexpr Locale kFrench{"fr_FR.UTF-8", 0x040C};
inline constexpr Locale kBelgianFrench{"fr_BE.UTF-8", 0x080C};
inline constexpr Locale kDutch{"nl_NL.UTF-8", 0x0413};
inline constexpr Locale kBelgianDutch{"nl_BE.UTF-8", 0x0813};
inline constexpr Locale kUsEnglish{"en_US.UTF-8", 0x0409};
inline constexpr Locale kJapanese{"ja_JP.UTF-8", 0x0411};

// Locked data of a resource found by the localised lookup; empty when missing.
inline std::span<const BYTE> LockLocalizedBytes(WORD name, WORD type) {
    DWORD size = 0;
    HGLOBAL data = FindLocalizedResource(MAKEINTRESOURCEA(name), MAKEINTRESOURCEA(type), &size);
    return data ? std::span<const BYTE>(static_cast<const BYTE*>(LockResource(data)), size)
                : std::span<const BYTE>();
}

} // namespace qv::restest
