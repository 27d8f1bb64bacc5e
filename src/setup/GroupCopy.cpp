#include "setup/GroupCopy.h"

#include <algorithm>

namespace kvq {

namespace {

bool CopyGroupFromFile(TSetup& target, const std::string& path, std::span<const ByteRange> group,
                       Waiting waiting) {
    TSetup source;
    if (!LoadSetup(source, path, waiting)) return false;
    const auto& from = source.Record.ToBytes();
    auto& to = target.Record.MutableBytes();
    for (const ByteRange& range : group)
        std::copy(from.begin() + range.first, from.begin() + range.last + 1,
                  to.begin() + range.first);
    return true;
}

} // namespace

bool CopyGearboxFromFile(TSetup& target, const std::string& path, Waiting waiting) {
    return CopyGroupFromFile(target, path, GearboxGroup(), waiting);
}

bool CopyChassisFromFile(TSetup& target, const std::string& path, Waiting waiting) {
    return CopyGroupFromFile(target, path, ChassisGroup(), waiting);
}

} // namespace kvq
