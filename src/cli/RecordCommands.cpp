// dump, diff and set: the record field by field.

#include "base/TextFormat.h"
#include "base/Utils.h"
#include "cli/Cli.h"
#include "cli/Commands.h"
#include "edit/FieldEdit.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <optional>
#include <span>
#include <utility>

namespace kvq::cli {

namespace {

using Json = nlohmann::ordered_json;

constexpr int kFilesDiffer = 1;

// record field: the sheet's label, with the wheel or axle it belongs to. Fields the sheet does
// not show, or shows in another sense (the asymmetry letter), go by their name.
constexpr std::pair<std::string_view, std::string_view> kSheetLabels[] = {
    {"GearRatio1", "1st Gear ratio"},
    {"GearRatio2", "2nd Gear ratio"},
    {"GearRatio3", "3rd Gear ratio"},
    {"GearRatio4", "4th Gear ratio"},
    {"GearRatio5", "5th Gear ratio"},
    {"GearRatio6", "6th Gear ratio"},
    {"DiffRatio", "Diff Ratio"},
    {"GearIndex1", "1st Gear index"},
    {"GearIndex2", "2nd Gear index"},
    {"GearIndex3", "3rd Gear index"},
    {"GearIndex4", "4th Gear index"},
    {"GearIndex5", "5th Gear index"},
    {"GearIndex6", "6th Gear index"},
    {"DiffIndex", "Diff Ratio index"},
    {"RampAngle2", "Ramp Angles (second)"},
    {"RampAngle1", "Ramp Angles (first)"},
    {"TyrePressureFL", "Tyre Pressure (psi) FL"},
    {"TyrePressureFR", "Tyre Pressure (psi) FR"},
    {"TyrePressureRL", "Tyre Pressure (psi) RL"},
    {"TyrePressureRR", "Tyre Pressure (psi) RR"},
    {"WheelRateFL", "Wheel Rate (lbs/in) FL"},
    {"WheelRateFR", "Wheel Rate (lbs/in) FR"},
    {"WheelRateRL", "Wheel Rate (lbs/in) RL"},
    {"WheelRateRR", "Wheel Rate (lbs/in) RR"},
    {"BumpFL", "Bump FL"},
    {"BumpFR", "Bump FR"},
    {"BumpRL", "Bump RL"},
    {"BumpRR", "Bump RR"},
    {"ReboundFL", "Rebound FL"},
    {"ReboundFR", "Rebound FR"},
    {"ReboundRL", "Rebound RL"},
    {"ReboundRR", "Rebound RR"},
    {"CamberFL", "Camber (deg) FL"},
    {"CamberFR", "Camber (deg) FR"},
    {"CamberRL", "Camber (deg) RL"},
    {"CamberRR", "Camber (deg) RR"},
    {"BumpRubberFL", "Bump Rubber (in) FL"},
    {"BumpRubberFR", "Bump Rubber (in) FR"},
    {"BumpRubberRL", "Bump Rubber (in) RL"},
    {"BumpRubberRR", "Bump Rubber (in) RR"},
    {"ToeInFront", "Toe-in (in) Front"},
    {"ToeInRear", "Toe-in (in) Rear"},
    {"RollBarFront", "Roll Bar Stiffness (lbs/in) Front"},
    {"RollBarRear", "Roll Bar Stiffness (lbs/in) Rear"},
    {"RideHeightFront", "Static Ride Height (in) Front"},
    {"RideHeightRear", "Static Ride Height (in) Rear"},
    {"Clutches", "Clutches"},
    {"Fuel", "Fuel (gallons)"},
    {"SteeringRatio", "Steering Ratio"},
    {"FrontBrakeBias", "Front Brake Bias (%)"},
};

std::string_view LabelOf(const LayoutEntry& entry) {
    const auto* found = std::ranges::find(kSheetLabels, entry.name,
                                          &std::pair<std::string_view, std::string_view>::first);
    return found == std::end(kSheetLabels) ? entry.name : found->second;
}

std::span<const std::uint8_t> BytesOf(const SetupRecord& record, const LayoutEntry& entry) {
    return std::span(record.ToBytes()).subspan(entry.offset, entry.width);
}

// The value as stored: numbers in decimal, floats as the shortest text that reads back exactly,
// the magic as its characters, the raw bytes in file order as two hex digits each.
std::string ValueText(const SetupRecord& record, const LayoutEntry& entry) {
    switch (entry.encoding) {
    case Encoding::Magic: {
        const auto bytes = BytesOf(record, entry);
        return {bytes.begin(), bytes.end()};
    }
    case Encoding::Raw: {
        static constexpr char kDigits[] = "0123456789abcdef";
        std::string hex;
        for (const std::uint8_t byte : BytesOf(record, entry)) {
            hex.push_back(kDigits[byte >> 4]);
            hex.push_back(kDigits[byte & 0xf]);
        }
        return hex;
    }
    case Encoding::Int32: return std::to_string(record.Int(entry.Slot()));
    case Encoding::Float32: return FormatShortest(record.Float(entry.Slot()));
    case Encoding::Byte: return std::to_string(BytesOf(record, entry).front());
    }
    return {};
}

// Numbers as JSON numbers; a float as the decimal of its shortest text, which a reader's double
// holds and turns back into the same float. A float that is no finite number stays text ("nan").
Json ValueJson(const SetupRecord& record, const LayoutEntry& entry) {
    switch (entry.encoding) {
    case Encoding::Int32: return record.Int(entry.Slot());
    case Encoding::Byte: return BytesOf(record, entry).front();
    case Encoding::Float32:
        if (const float value = record.Float(entry.Slot()); std::isfinite(value))
            return ParseReal(FormatShortest(value)).value();
        break;
    case Encoding::Magic:
    case Encoding::Raw: break;
    }
    return ValueText(record, entry);
}

bool NormaliseChangesNothing(const SetupRecord& record, const CurrentLimits& limits) {
    SetupRecord normalised = record;
    Normalise(normalised, limits);
    return normalised == record;
}

std::string DumpText(const TSetup& setup, const CurrentLimits& limits) {
    std::string out;
    for (const LayoutEntry& entry : RecordLayout())
        out.append(entry.name).append("=").append(ValueText(setup.Record, entry)).push_back('\n');
    out.append("GearboxKind=").append(std::to_string(setup.GearboxKind)).push_back('\n');
    out.append("Normalised=")
        .append(NormaliseChangesNothing(setup.Record, limits) ? "yes" : "no")
        .push_back('\n');
    return out;
}

std::string DumpJson(const std::string& path, const TSetup& setup, const CurrentLimits& limits) {
    Json fields = Json::object();
    for (const LayoutEntry& entry : RecordLayout())
        fields[std::string(entry.name)] = ValueJson(setup.Record, entry);
    const Json line = {
        {"file", path},
        {"gearboxKind", setup.GearboxKind},
        {"normalised", NormaliseChangesNothing(setup.Record, limits)},
        {"fields", std::move(fields)},
    };
    // File names need not be UTF-8; JSON text must be.
    return line.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
}

// The setup, or nothing when it cannot be read, with the reason told.
std::optional<TSetup> TryLoadSetup(const std::string& path) {
    try {
        return LoadSetupOrThrow(path);
    } catch (const KvqError& e) {
        PrintError(e.what());
        return std::nullopt;
    }
}

} // namespace

int RunDump(const std::vector<std::string>& args) {
    const Options options = ParseOptions(args, {"--limits"}, {"--json"});
    if (options.Positional.empty()) throw UsageError("no setup file given");
    const CurrentLimits limits = LimitsFromOptions(options);
    const bool json = options.Has("--json");
    const bool headers = !json && options.Positional.size() > 1;
    return ForEachSetup(options.Positional, [&](const std::string& path, TSetup& setup) {
        if (json) {
            PrintOut(DumpJson(path, setup, limits));
        } else {
            if (headers) PrintOut("==> " + path + " <==\n");
            PrintOut(DumpText(setup, limits));
        }
    });
}

int RunDiff(const std::vector<std::string>& args) {
    const Options options = ParseOptions(args, {}, {});
    if (options.Positional.size() != 2) throw UsageError("give two setup files");
    const std::optional<TSetup> a = TryLoadSetup(options.Positional[0]);
    const std::optional<TSetup> b = TryLoadSetup(options.Positional[1]);
    if (!a || !b) return kDiffTrouble;
    std::string out;
    for (const LayoutEntry& entry : RecordLayout()) {
        if (std::ranges::equal(BytesOf(a->Record, entry), BytesOf(b->Record, entry))) continue;
        out.append(LabelOf(entry))
            .append(": ")
            .append(ValueText(a->Record, entry))
            .append(" -> ")
            .append(ValueText(b->Record, entry))
            .push_back('\n');
    }
    PrintOut(out);
    return out.empty() ? kOk : kFilesDiffer;
}

int RunSet(const std::vector<std::string>& args) {
    const Options options = ParseOptions(args, {"--limits", "-o"}, {"--fields"});
    if (options.Has("--fields")) {
        for (const std::string_view name : SettableFieldNames()) PrintOut(std::string(name) + "\n");
        return kOk;
    }
    if (options.Positional.size() < 2) throw UsageError("give a setup file and FIELD=VALUE");
    const std::string output = OutputFromOptions(options);
    std::vector<std::pair<std::string_view, std::string_view>> assignments;
    for (std::string_view arg : std::span(options.Positional).subspan(1)) {
        const auto equals = arg.find('=');
        if (equals == std::string_view::npos)
            throw UsageError("expected FIELD=VALUE, not " + std::string(arg));
        assignments.emplace_back(arg.substr(0, equals), arg.substr(equals + 1));
    }
    const CurrentLimits limits = LimitsFromOptions(options);
    TSetup setup = LoadSetupOrThrow(options.Positional.front());
    // Every bad assignment is told, and then nothing is written.
    int status = kOk;
    for (const auto& [name, value] : assignments) {
        try {
            SetNamedField(setup.Record, name, value, limits);
        } catch (const KvqError& e) {
            PrintError(e.what());
            status = kBadInput;
        }
    }
    if (status == kOk) WriteOutput(output, setup.Record);
    return status;
}

} // namespace kvq::cli
