#pragma once

#include "setup/SetupRecord.h"

namespace kvq {

// The record every text import starts from, and the program's example setup: a complete, valid
// setup of six gears.
[[nodiscard]] const SetupRecord& ImportTemplate();

} // namespace kvq
