#include "rc/embedded.h"

#include "platform/module/resources.h"

#include <memory>
#include <utility>
#include <vector>

extern "C" {
extern const std::byte qv_res_image_begin[];
extern const std::byte qv_res_image_end[];
}

namespace qv::res {

std::span<const std::byte> EmbeddedResourceImage() {
    return {qv_res_image_begin, qv_res_image_end};
}

HINSTANCE InstallEmbeddedResources(std::string exePath) {
    // Handles and locked data handed out stay valid for the whole process, so
    // an installed module is never freed, even when a later call replaces it.
    static std::vector<std::unique_ptr<HINSTANCE__>> installed;
    auto module = qv::platform::LoadResourceModule(EmbeddedResourceImage(), std::move(exePath));
    if (!module)
        return nullptr;
    HINSTANCE handle = module.get();
    installed.push_back(std::move(module));
    AfxSetResourceHandle(handle);
    return handle;
}

} // namespace qv::res
