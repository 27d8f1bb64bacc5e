// dump, diff, gears and set: the record field by field, and its gear ladder.

#include "base/TextFormat.h"
#include "base/Utils.h"
#include "cli/Cli.h"
#include "cli/Commands.h"
#include "cli/Json.h"
#include "edit/FieldEdit.h"
#include "setup/Comparison.h"
#include "setup/FieldText.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>
#include <span>
#include <utility>

namespace kvq::cli {

namespace {

constexpr int kFilesDiffer = 1;

// Numbers as JSON numbers; a float as the decimal of its shortest text, which a reader's double
// holds and turns back into the same float. A float that is no finite number stays text ("nan").
Json ValueJson(const SetupRecord& record, const LayoutEntry& entry) {
    switch (entry.encoding) {
    case Encoding::Int32: return record.Int(entry.Slot());
    case Encoding::Byte: return FieldBytes(record, entry).front();
    case Encoding::Float32:
        if (const float value = record.Float(entry.Slot()); std::isfinite(value))
            return ParseReal(FormatShortest(value)).value();
        break;
    case Encoding::Magic:
    case Encoding::Raw: break;
    }
    return StoredValueText(record, entry);
}

bool NormaliseChangesNothing(const SetupRecord& record, const CurrentLimits& limits) {
    SetupRecord normalised = record;
    Normalise(normalised, limits);
    return normalised == record;
}

std::string DumpText(const TSetup& setup, const CurrentLimits& limits) {
    std::string out;
    for (const LayoutEntry& entry : RecordLayout())
        out.append(entry.name)
            .append("=")
            .append(StoredValueText(setup.Record, entry))
            .push_back('\n');
    out.append("GearboxKind=").append(std::to_string(setup.GearboxKind)).push_back('\n');
    out.append("Normalised=")
        .append(NormaliseChangesNothing(setup.Record, limits) ? "yes" : "no")
        .push_back('\n');
    return out;
}

Json DumpJson(const std::string& path, const TSetup& setup, const CurrentLimits& limits) {
    return {
        {"file", path},
        {"gearboxKind", setup.GearboxKind},
        {"normalised", NormaliseChangesNothing(setup.Record, limits)},
        {"fields", RecordFieldsJson(setup.Record)},
    };
}

// The gear, its overall ratio with three decimals and the engine speed change at the upshift
// into it with one, as a line of text or a JSON object.
std::string GearsText(const TSetup& setup) {
    std::string out;
    for (const GearStep& step : GearLadder(setup.Record, setup.GearboxKind)) {
        out.append(std::to_string(step.Gear)).append(" ").append(FormatFixed(step.OverallRatio, 3));
        if (step.UpshiftPercent) out.append(" ").append(FormatFixed(*step.UpshiftPercent, 1));
        out.push_back('\n');
    }
    return out;
}

Json GearsJson(const std::string& path, const TSetup& setup) {
    // A rounded figure as the number its text reads as; a ratio that is no finite number as text.
    auto number = [](double value, int decimals) -> Json {
        const std::string text = FormatFixed(value, decimals);
        if (const auto parsed = ParseReal(text)) return *parsed;
        return text;
    };
    Json gears = Json::array();
    for (const GearStep& step : GearLadder(setup.Record, setup.GearboxKind)) {
        gears.push_back({{"gear", step.Gear},
                         {"overallRatio", number(step.OverallRatio, 3)},
                         {"upshiftPercent",
                          step.UpshiftPercent ? number(*step.UpshiftPercent, 1) : Json(nullptr)}});
    }
    return {{"file", path}, {"gearboxKind", setup.GearboxKind}, {"gears", std::move(gears)}};
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

// Prints each file's setup: as text, headed by "==> FILE <==" when there are several, or with
// --json as one JSON object a line (JSON Lines).
int PrintEachSetup(const Options& options, const std::function<std::string(const TSetup&)>& text,
                   const std::function<Json(const std::string& path, const TSetup&)>& json) {
    const bool asJson = options.Has("--json");
    const bool headers = !asJson && options.Positional.size() > 1;
    return ForEachSetup(options.Positional, [&](const std::string& path, TSetup& setup) {
        if (asJson) {
            PrintOut(JsonLine(json(path, setup)));
        } else {
            if (headers) PrintOut("==> " + path + " <==\n");
            PrintOut(text(setup));
        }
    });
}

} // namespace

Json RecordFieldsJson(const SetupRecord& record) {
    Json fields = Json::object();
    for (const LayoutEntry& entry : RecordLayout())
        fields[std::string(entry.name)] = ValueJson(record, entry);
    return fields;
}

std::string JsonLine(const Json& object) {
    return object.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
}

int RunDump(const std::vector<std::string>& args) {
    const Options options = ParseOptions(args, {"--limits"}, {"--json"});
    if (options.Positional.empty()) throw UsageError("no setup file given");
    const CurrentLimits limits = LimitsFromOptions(options);
    return PrintEachSetup(
        options, [&](const TSetup& setup) { return DumpText(setup, limits); },
        [&](const std::string& path, const TSetup& setup) {
            return DumpJson(path, setup, limits);
        });
}

int RunGears(const std::vector<std::string>& args) {
    const Options options = ParseOptions(args, {}, {"--json"});
    if (options.Positional.empty()) throw UsageError("no setup file given");
    return PrintEachSetup(options, &GearsText, &GearsJson);
}

int RunDiff(const std::vector<std::string>& args) {
    const Options options = ParseOptions(args, {"--limits"}, {"--normalised"});
    if (options.Positional.size() != 2) throw UsageError("give two setup files");
    const bool normalised = options.Has("--normalised");
    if (options.Value("--limits") && !normalised) throw UsageError("--limits needs --normalised");
    const CurrentLimits limits = LimitsFromOptions(options);
    std::optional<TSetup> a = TryLoadSetup(options.Positional[0]);
    std::optional<TSetup> b = TryLoadSetup(options.Positional[1]);
    if (!a || !b) return kDiffTrouble;
    // As the window shows them once opened.
    if (normalised)
        for (TSetup* setup : {&*a, &*b}) Normalise(setup->Record, limits);
    std::string out;
    for (const FieldDifference& difference : CompareRecords(a->Record, b->Record))
        out.append(DifferenceLine(difference)).push_back('\n');
    PrintOut(out);
    return out.empty() ? kOk : kFilesDiffer;
}

int RunSet(const std::vector<std::string>& args) {
    const Options options = ParseOptions(args, {"--limits", "-o"}, {"--fields", "--quiet"});
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
    std::vector<std::string> clamped;
    for (const auto& [name, value] : assignments) {
        try {
            const FieldSetting setting = SetNamedField(setup.Record, name, value, limits);
            if (setting.Clamped) clamped.push_back(*setting.Clamped);
        } catch (const KvqError& e) {
            PrintError(e.what());
            status = kBadInput;
        }
    }
    if (status != kOk) return status;
    // What was written differs from what was asked: said unless the caller wants quiet.
    if (!options.Has("--quiet"))
        for (const std::string& notice : clamped) PrintError(notice);
    WriteOutput(output, setup.Record);
    return status;
}

} // namespace kvq::cli
