#include "setup/Sheet.h"

#include "base/TextFormat.h"

#include <cmath>
#include <limits>
#include <map>
#include <utility>

namespace kvq {

std::int32_t SheetFuel(float fuel) {
    const double rounded = std::nearbyint(static_cast<double>(fuel));
    if (std::isnan(rounded)) return 0;
    constexpr double low = std::numeric_limits<std::int32_t>::min();
    constexpr double high = std::numeric_limits<std::int32_t>::max();
    if (rounded <= low) return std::numeric_limits<std::int32_t>::min();
    if (rounded >= high) return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(rounded);
}

double OverallRatio(float gearRatio, float diffRatio) {
    return static_cast<double>(gearRatio) * static_cast<double>(diffRatio);
}

std::string GearText(float gearRatio, float diffRatio) {
    return Format("%6.3f", {OverallRatio(gearRatio, diffRatio)});
}

std::string DiffText(float diffRatio) { return Format("%5.3f", {diffRatio}); }

std::string RampAnglesText(float angle1, float angle2) {
    return Format("%2.0f/%2.0f", {angle1, angle2});
}

PrintedSheet PrintSheet(const SetupRecord& r, int gearboxKind) {
    using namespace field;
    const float diff = r.Get(DiffRatio);
    auto overall = [&](FloatSlot gear) { return GearText(r.Get(gear), diff); };

    PrintedSheet sheet;
    sheet.Lines.reserve(kSheetLineCount);
    // Appends a line with where its values stand.
    auto line = [&sheet](std::string_view format, std::initializer_list<FormatArg> args) {
        FormattedText text = FormatWithValues(format, args);
        const auto row = static_cast<std::int32_t>(sheet.Lines.size());
        for (const FormattedText::Span& value : text.Values)
            sheet.Values.push_back({row, static_cast<std::int32_t>(value.Start),
                                    static_cast<std::int32_t>(value.Length)});
        sheet.Lines.push_back(std::move(text.Text));
    };
    // The lines stand as the sheet shows them.
    // clang-format off
    line("                  Front", {});
    line("    Left                        Right      Steering Ratio: %2.0f:1",
         {r.Get(SteeringRatio)});
    line("     %2.0f    Tyre Pressure (psi)    %2.0f       Fuel: %2d gallons",
         {r.Get(TyrePressureFL), r.Get(TyrePressureFR), SheetFuel(r.Get(Fuel))});
    line("    %3.0f    Wheel Rate (lbs/in)   %3.0f",
         {r.Get(WheelRateFL), r.Get(WheelRateFR)});
    line("      %d           Bump             %d       Transmission Ratios",
         {r.Get(BumpFL), r.Get(BumpFR)});
    line("      %d          Rebound           %d       1st Gear: %s:1",
         {r.Get(ReboundFL), r.Get(ReboundFR), overall(GearRatio1)});
    line("   %5.2f      Camber (deg)      %5.2f      2nd Gear: %s:1",
         {r.Get(CamberFL), r.Get(CamberFR), overall(GearRatio2)});
    line("    %4.2f    Bump Rubber (in)     %4.2f      3rd Gear: %s:1",
         {r.Get(BumpRubberFL), r.Get(BumpRubberFR), overall(GearRatio3)});
    line("                                           4th Gear: %s:1",
         {overall(GearRatio4)});
    if (gearboxKind >= 5)
        line("    Toe-in:             %6.3f in          5th Gear: %s:1",
             {r.Get(ToeInFront), overall(GearRatio5)});
    else
        line("    Toe-in:             %6.3f in", {r.Get(ToeInFront)});
    if (gearboxKind >= 6)
        line("    Roll Bar Stiffness:  %3.0f lbs/in        6th Gear: %s:1",
             {r.Get(RollBarFront), overall(GearRatio6)});
    else
        line("    Roll Bar Stiffness:  %3.0f lbs/in", {r.Get(RollBarFront)});
    line("    Static Ride Height:  %4.2f in", {r.Get(RideHeightFront)});
    line("    Front Brake Bias:   %3d%%               Diff Ratio:  %s:1",
         {r.Get(FrontBrakeBias), DiffText(diff)});
    line("    Toe-in:             %6.3f in          Ramp Angles: %2.0f/%2.0f",
         {r.Get(ToeInRear), r.Get(RampAngle1), r.Get(RampAngle2)});
    line("    Roll Bar Stiffness:  %3.0f lb/in         Clutches:    %d",
         {r.Get(RollBarRear), r.Get(Clutches)});
    line("    Static Ride Height:  %4.2f in", {r.Get(RideHeightRear)});
    line("", {});
    line("     %2.0f    Tyre Pressure (psi)    %2.0f",
         {r.Get(TyrePressureRL), r.Get(TyrePressureRR)});
    line("    %3.0f    Wheel Rate (lbs/in)   %3.0f",
         {r.Get(WheelRateRL), r.Get(WheelRateRR)});
    line("      %d           Bump             %d", {r.Get(BumpRL), r.Get(BumpRR)});
    line("      %d          Rebound           %d",
         {r.Get(ReboundRL), r.Get(ReboundRR)});
    line("   %5.2f      Camber (deg)      %5.2f", {r.Get(CamberRL), r.Get(CamberRR)});
    line("    %4.2f    Bump Rubber (in)     %4.2f      Asymmetrical: %s",
         {r.Get(BumpRubberRL), r.Get(BumpRubberRR),
          r.SymmetricFlag() == 0 ? "Y" : "N"});
    line("", {});
    line("                   Back", {});
    // clang-format on
    return sheet;
}

std::vector<SheetCell> ValuesPrintedOtherwise(const PrintedSheet& sheet,
                                              const PrintedSheet& other) {
    // Each value with its place: its line and how many values stand before it on that line.
    auto forEachPlace = [](const PrintedSheet& printed, const auto& visit) {
        int before = 0;
        for (std::size_t v = 0; v < printed.Values.size(); ++v) {
            before = v > 0 && printed.Values[v - 1].Row == printed.Values[v].Row ? before + 1 : 0;
            visit(std::pair(printed.Values[v].Row, before), printed.Values[v]);
        }
    };
    std::map<std::pair<std::int32_t, int>, std::string_view> otherTexts;
    forEachPlace(other, [&](auto place, const SheetCell& value) {
        otherTexts.emplace(place, other.TextOf(value));
    });
    std::vector<SheetCell> differing;
    forEachPlace(sheet, [&](auto place, const SheetCell& value) {
        const auto there = otherTexts.find(place);
        if (there == otherTexts.end() || there->second != sheet.TextOf(value))
            differing.push_back(value);
    });
    return differing;
}

} // namespace kvq
