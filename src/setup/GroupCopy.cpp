#include "setup/GroupCopy.h"

#include <algorithm>

namespace kvq {

namespace {

bool CopyGroupFromFile(TSetup& target, const std::string& path, std::span<const ByteRange> group) {
    TSetup source;
    if (!LoadSetup(source, path)) return false;
    const auto& from = source.Record.ToBytes();
    auto& to = target.Record.MutableBytes();
    for (const ByteRange& range : group)
        std::copy(from.begin() + range.first, from.begin() + range.last + 1,
                  to.begin() + range.first);
    return true;
}

} // namespace

bool CopyGearboxFromFile(TSetup& target, const std::string& path) {
    return CopyGroupFromFile(target, path, GearboxGroup());
}

bool CopyChassisFromFile(TSetup& target, const std::string& path) {
    return CopyGroupFromFile(target, path, ChassisGroup());
}

} // namespace kvq
