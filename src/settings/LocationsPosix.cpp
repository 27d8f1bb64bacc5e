#include "settings/Locations.h"

#include <cstdlib>

namespace kvq {

std::string UsersOwnFolder() {
    return UserConfigFolder(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
}

} // namespace kvq
