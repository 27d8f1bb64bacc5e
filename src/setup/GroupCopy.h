#pragma once

#include "setup/SetupDocument.h"

#include <string>

namespace kvq {

// Replace the gearbox group or the chassis group of the target's record by the same bytes of the
// setup file at path, read as Open reads it; nothing else of the target changes. False, with the
// target untouched, when the file does not exist: the caller decides whether that is an error.
// A file that cannot be read or is no setup throws KvqError as LoadSetup does, target untouched.
bool CopyGearboxFromFile(TSetup& target, const std::string& path, Waiting waiting = Waiting::Never);
bool CopyChassisFromFile(TSetup& target, const std::string& path, Waiting waiting = Waiting::Never);

} // namespace kvq
