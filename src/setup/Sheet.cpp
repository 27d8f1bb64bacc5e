#include "setup/Sheet.h"

#include "base/TextFormat.h"

#include <cmath>
#include <limits>

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

std::vector<std::string> SheetLines(const SetupRecord& r, int gearboxKind) {
    using namespace field;
    const float diff = r.Get(DiffRatio);
    auto overall = [&](FloatSlot gear) { return GearText(r.Get(gear), diff); };

    std::vector<std::string> lines;
    lines.reserve(kSheetLineCount);
    // The lines stand as the sheet shows them.
    // clang-format off
    lines.push_back("                  Front");
    lines.push_back(Format("    Left                        Right      Steering Ratio: %2.0f:1",
                           {r.Get(SteeringRatio)}));
    lines.push_back(Format("     %2.0f    Tyre Pressure (psi)    %2.0f       Fuel: %2d gallons",
                           {r.Get(TyrePressureFL), r.Get(TyrePressureFR), SheetFuel(r.Get(Fuel))}));
    lines.push_back(Format("    %3.0f    Wheel Rate (lbs/in)   %3.0f",
                           {r.Get(WheelRateFL), r.Get(WheelRateFR)}));
    lines.push_back(Format("      %d           Bump             %d       Transmission Ratios",
                           {r.Get(BumpFL), r.Get(BumpFR)}));
    lines.push_back(Format("      %d          Rebound           %d       1st Gear: %s:1",
                           {r.Get(ReboundFL), r.Get(ReboundFR), overall(GearRatio1)}));
    lines.push_back(Format("   %5.2f      Camber (deg)      %5.2f      2nd Gear: %s:1",
                           {r.Get(CamberFL), r.Get(CamberFR), overall(GearRatio2)}));
    lines.push_back(Format("    %4.2f    Bump Rubber (in)     %4.2f      3rd Gear: %s:1",
                           {r.Get(BumpRubberFL), r.Get(BumpRubberFR), overall(GearRatio3)}));
    lines.push_back(Format("                                           4th Gear: %s:1",
                           {overall(GearRatio4)}));
    if (gearboxKind >= 5)
        lines.push_back(Format("    Toe-in:             %6.3f in          5th Gear: %s:1",
                               {r.Get(ToeInFront), overall(GearRatio5)}));
    else
        lines.push_back(Format("    Toe-in:             %6.3f in", {r.Get(ToeInFront)}));
    if (gearboxKind >= 6)
        lines.push_back(Format("    Roll Bar Stiffness:  %3.0f lbs/in        6th Gear: %s:1",
                               {r.Get(RollBarFront), overall(GearRatio6)}));
    else
        lines.push_back(Format("    Roll Bar Stiffness:  %3.0f lbs/in", {r.Get(RollBarFront)}));
    lines.push_back(Format("    Static Ride Height:  %4.2f in", {r.Get(RideHeightFront)}));
    lines.push_back(Format("    Front Brake Bias:   %3d%%               Diff Ratio:  %s:1",
                           {r.Get(FrontBrakeBias), DiffText(diff)}));
    lines.push_back(Format("    Toe-in:             %6.3f in          Ramp Angles: %s",
                           {r.Get(ToeInRear), RampAnglesText(r.Get(RampAngle1), r.Get(RampAngle2))}));
    lines.push_back(Format("    Roll Bar Stiffness:  %3.0f lb/in         Clutches:    %d",
                           {r.Get(RollBarRear), r.Get(Clutches)}));
    lines.push_back(Format("    Static Ride Height:  %4.2f in", {r.Get(RideHeightRear)}));
    lines.push_back("");
    lines.push_back(Format("     %2.0f    Tyre Pressure (psi)    %2.0f",
                           {r.Get(TyrePressureRL), r.Get(TyrePressureRR)}));
    lines.push_back(Format("    %3.0f    Wheel Rate (lbs/in)   %3.0f",
                           {r.Get(WheelRateRL), r.Get(WheelRateRR)}));
    lines.push_back(Format("      %d           Bump             %d", {r.Get(BumpRL), r.Get(BumpRR)}));
    lines.push_back(Format("      %d          Rebound           %d",
                           {r.Get(ReboundRL), r.Get(ReboundRR)}));
    lines.push_back(Format("   %5.2f      Camber (deg)      %5.2f", {r.Get(CamberRL), r.Get(CamberRR)}));
    lines.push_back(Format("    %4.2f    Bump Rubber (in)     %4.2f      Asymmetrical: %s",
                           {r.Get(BumpRubberRL), r.Get(BumpRubberRR),
                            r.SymmetricFlag() == 0 ? "Y" : "N"}));
    lines.push_back("");
    lines.push_back("                   Back");
    // clang-format on
    return lines;
}

} // namespace kvq
