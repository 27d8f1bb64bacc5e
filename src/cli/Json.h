#pragma once

#include "setup/SetupRecord.h"

#include <nlohmann/json.hpp>

#include <string>

// The companion's JSON output.
namespace kvq::cli {

using Json = nlohmann::ordered_json;

// Every named field of the record as stored, in file order: integers and finite floats as JSON
// numbers (a float as the decimal of its shortest text), text otherwise ("nan", the raw bytes).
[[nodiscard]] Json RecordFieldsJson(const SetupRecord& record);

// The object as one line of JSON Lines. File names need not be UTF-8; JSON text must be.
[[nodiscard]] std::string JsonLine(const Json& object);

} // namespace kvq::cli
