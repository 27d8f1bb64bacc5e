#include "settings/Locations.h"

#include <cstdlib>

namespace kvq {

std::string UsersOwnFolder() {
    return UserConfigFolder(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
}

std::string_view UsersOwnFolderRule() {
    return "$XDG_CONFIG_HOME/kvqsetup (~/.config/kvqsetup without XDG_CONFIG_HOME)";
}

} // namespace kvq
