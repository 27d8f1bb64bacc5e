#include "setup/FieldText.h"

#include "base/TextFormat.h"

#include <algorithm>
#include <utility>

namespace kvq {

namespace {

// record field: the sheet's label, with the wheel or axle it belongs to.
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

} // namespace

std::span<const std::uint8_t> FieldBytes(const SetupRecord& record, const LayoutEntry& entry) {
    return std::span(record.ToBytes()).subspan(entry.offset, entry.width);
}

std::string_view FieldLabel(const LayoutEntry& entry) {
    const auto* found = std::ranges::find(kSheetLabels, entry.name,
                                          &std::pair<std::string_view, std::string_view>::first);
    return found == std::end(kSheetLabels) ? entry.name : found->second;
}

std::string StoredValueText(const SetupRecord& record, const LayoutEntry& entry) {
    switch (entry.encoding) {
    case Encoding::Magic: {
        const auto bytes = FieldBytes(record, entry);
        return {bytes.begin(), bytes.end()};
    }
    case Encoding::Raw: {
        static constexpr char kDigits[] = "0123456789abcdef";
        std::string hex;
        for (const std::uint8_t byte : FieldBytes(record, entry)) {
            hex.push_back(kDigits[byte >> 4]);
            hex.push_back(kDigits[byte & 0xf]);
        }
        return hex;
    }
    case Encoding::Int32: return std::to_string(record.Int(entry.Slot()));
    case Encoding::Float32: return FormatShortest(record.Float(entry.Slot()));
    case Encoding::Byte: return std::to_string(FieldBytes(record, entry).front());
    }
    return {};
}

} // namespace kvq
