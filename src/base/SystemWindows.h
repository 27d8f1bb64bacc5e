#pragma once

// What the Windows files of the system seam share: the program's UTF-8 strings and the system's
// UTF-16 at the edge.

#include <string>
#include <string_view>

namespace kvq {

[[nodiscard]] std::wstring Wide(std::string_view text);
[[nodiscard]] std::string Utf8(std::wstring_view text);
// The name for the system's calls: long ones made absolute under "\\?\" (or "\\?\UNC\").
[[nodiscard]] std::wstring SystemName(std::string_view path);

} // namespace kvq
