// The compiled resources (quorvia.res) linked into the program.
#pragma once

#include "platform/types.h"

#include <cstddef>
#include <span>
#include <string>

namespace qv::res {

// The .res image as built from quorvia.rc.
std::span<const std::byte> EmbeddedResourceImage();

// Makes the embedded image the program's resource module (the framework's
// resource handle). exePath is the module's file name (res:// URLs name it).
// The module lives for the rest of the process; null if the image is broken.
HINSTANCE InstallEmbeddedResources(std::string exePath);

} // namespace qv::res
