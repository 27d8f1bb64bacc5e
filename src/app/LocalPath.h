#pragma once

#include <QFile>
#include <QString>

#include <string>

namespace kvq {

// A path as the file system takes it, and back: the bytes of a name that is no valid UTF-8 stay
// as they are.
inline std::string LocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }
inline QString FromLocalPath(const std::string& path) { return QFile::decodeName(path.c_str()); }

} // namespace kvq
