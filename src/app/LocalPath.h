#pragma once

#include "base/Utils.h"

#include <QString>

#include <string>

namespace kvq {

// A path as the file system takes it, and back: the bytes of a name that is no valid UTF-8 stay
// as they are.
inline std::string LocalPath(const QString& path) {
    return FileNameFromUtf16(path.toStdU16String());
}
inline QString FromLocalPath(const std::string& path) {
    return QString::fromStdU16String(FileNameToUtf16(path));
}

} // namespace kvq
