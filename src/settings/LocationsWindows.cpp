#include "settings/Locations.h"

#include "base/System.h"

namespace kvq {

std::string UsersOwnFolder() { return UserAppDataFolder(sys::EnvironmentVariable("APPDATA")); }

std::string_view UsersOwnFolderRule() { return "%APPDATA%\\kvqsetup"; }

} // namespace kvq
