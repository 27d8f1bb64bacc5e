#pragma once

#include <string>
#include <vector>

// The companion's commands; each takes the arguments after its name and returns the exit status.
namespace kvq::cli {

int RunSheet(const std::vector<std::string>& args);
int RunNormalise(const std::vector<std::string>& args);
int RunImport(const std::vector<std::string>& args);
int RunCopyGearbox(const std::vector<std::string>& args);
int RunCopyChassis(const std::vector<std::string>& args);
int RunDump(const std::vector<std::string>& args);
int RunDiff(const std::vector<std::string>& args);
int RunGears(const std::vector<std::string>& args);
int RunSet(const std::vector<std::string>& args);
int RunList(const std::vector<std::string>& args);

} // namespace kvq::cli
