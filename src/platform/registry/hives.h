// Where each hive lives and how it is read and changed under its lock.
#pragma once

#include "platform/registry/regfile.h"
#include "platform/types.h"

#include <functional>
#include <string>
#include <string_view>

namespace qv::platform::registry {

enum class Hive { CurrentUser, LocalMachine, Users };

// ${XDG_CONFIG_HOME:-~/.config}; a relative XDG_CONFIG_HOME is ignored, as the
// base directory rules ask.
std::string ConfigHome();
// The folder of user.reg; bare profile names resolve here too.
std::string UserRegistryFolder();

struct HiveFile {
    std::string path;      // empty: the hive has no file (HKEY_USERS)
    bool writable = false; // the folder can take a new file
};
HiveFile LocateHive(Hive hive);
// HKEY_CURRENT_USER ...: how the hive's file names its keys.
std::string_view RootName(Hive hive);

// Reads the hive under a shared lock. A missing file is an empty hive.
LONG ReadHive(Hive hive, RegDocument& doc);

// Reads the hive under an exclusive lock and hands it to edit, which returns
// an error code and sets changed when the file must be written. The write
// replaces the file atomically before the lock is released. A file its owner
// made read-only is refused (ERROR_ACCESS_DENIED) with nothing changed;
// temporaries of writers killed during a save are removed.
using HiveEdit = std::function<LONG(RegDocument& doc, bool& changed)>;
LONG UpdateHive(Hive hive, const HiveEdit& edit);

} // namespace qv::platform::registry
