#include "edit/FieldTable.h"

#include "base/Utils.h"
#include "setup/GearTables.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <utility>

namespace kvq {

namespace {

using enum FieldKind;
using enum ListKind;
using namespace field;

// Field number: kind, row in that kind's limit table.
// clang-format off
constexpr std::array<FieldEntry, kFieldCount> kFieldTable = {{
    /*  1 */ {RealField, 1},     /*  2 */ {RealField, 2},     /*  3 */ {RealField, 3},
    /*  4 */ {RealField, 4},     /*  5 */ {RealField, 5},     /*  6 */ {RealField, 6},
    /*  7 */ {IntegerField, 1},  /*  8 */ {IntegerField, 2},  /*  9 */ {IntegerField, 3},
    /* 10 */ {IntegerField, 4},  /* 11 */ {ListField, 1},     /* 12 */ {RealField, 7},
    /* 13 */ {RealField, 8},     /* 14 */ {ListField, 2},     /* 15 */ {RealField, 9},
    /* 16 */ {RealField, 10},    /* 17 */ {ListField, 3},     /* 18 */ {ListField, 4},
    /* 19 */ {RealField, 11},    /* 20 */ {ListField, 5},     /* 21 */ {RealField, 12},
    /* 22 */ {ListField, 6},     /* 23 */ {RealField, 13},    /* 24 */ {IntegerField, 5},
    /* 25 */ {ListField, 7},     /* 26 */ {RealField, 14},    /* 27 */ {ListField, 8},
    /* 28 */ {RealField, 15},    /* 29 */ {IntegerField, 6},  /* 30 */ {RealField, 16},
    /* 31 */ {RealField, 17},    /* 32 */ {RealField, 18},    /* 33 */ {RealField, 19},
    /* 34 */ {RealField, 20},    /* 35 */ {IntegerField, 7},  /* 36 */ {IntegerField, 8},
    /* 37 */ {IntegerField, 9},  /* 38 */ {IntegerField, 10}, /* 39 */ {RealField, 21},
    /* 40 */ {RealField, 22},    /* 41 */ {RealField, 23},    /* 42 */ {RealField, 24},
    /* 43 */ {ToggleField, 0},   /* 44 */ {RealField, 25},    /* 45 */ {RealField, 26},
}};
// clang-format on

constexpr LimitTables kBuiltIn = {
    // Row, Col, Width, MinValue, MaxValue, Increment, Slot, PartnerSlot
    .Integer = {{
        /* field  7 */ {4, 6, 1, 1, 5, 1, BumpFL.slot, BumpFR.slot},
        /* field  8 */ {4, 35, 1, 1, 5, 1, BumpFR.slot, BumpFL.slot},
        /* field  9 */ {5, 6, 1, 1, 5, 1, ReboundFL.slot, ReboundFR.slot},
        /* field 10 */ {5, 35, 1, 1, 5, 1, ReboundFR.slot, ReboundFL.slot},
        /* field 24 */ {12, 24, 3, 0, 100, 1, FrontBrakeBias.slot, 0},
        /* field 29 */ {14, 56, 1, 1, 6, 1, Clutches.slot, 0},
        /* field 35 */ {19, 6, 1, 1, 5, 1, BumpRL.slot, BumpRR.slot},
        /* field 36 */ {19, 35, 1, 1, 5, 1, BumpRR.slot, BumpRL.slot},
        /* field 37 */ {20, 6, 1, 1, 5, 1, ReboundRL.slot, ReboundRR.slot},
        /* field 38 */ {20, 35, 1, 1, 5, 1, ReboundRR.slot, ReboundRL.slot},
    }},
    // Row, Col, Width, MinValue, MaxValue, Increment, Precision, Slot, PartnerSlot
    .Real = {{
        /* field  1 */ {1, 59, 2, 7, 20, 1, 0, SteeringRatio.slot, 0},
        /* field  2 */ {2, 5, 2, 16, 30, 1, 0, TyrePressureFL.slot, TyrePressureFR.slot},
        /* field  3 */ {2, 34, 2, 16, 30, 1, 0, TyrePressureFR.slot, TyrePressureFL.slot},
        /* field  4 */ {2, 49, 2, 1, 46, 1, 0, Fuel.slot, 0},
        /* field  5 */ {3, 4, 3, 50, 100, 5, 0, WheelRateFL.slot, WheelRateFR.slot},
        /* field  6 */ {3, 33, 3, 50, 100, 5, 0, WheelRateFR.slot, WheelRateFL.slot},
        /* field 12 */ {6, 3, 5, -5, 2, 0.25f, 2, CamberFL.slot, CamberFR.slot},
        /* field 13 */ {6, 32, 5, -5, 2, 0.25f, 2, CamberFR.slot, CamberFL.slot},
        /* field 15 */ {7, 4, 4, 1, 2.5f, 0.25f, 2, BumpRubberFL.slot, BumpRubberFR.slot},
        /* field 16 */ {7, 33, 4, 1, 2.5f, 0.25f, 2, BumpRubberFR.slot, BumpRubberFL.slot},
        /* field 19 */ {9, 24, 6, -0.5f, 0.5f, 0.025f, 3, ToeInFront.slot, 0},
        /* field 21 */ {10, 25, 3, 0, 200, 10, 0, RollBarFront.slot, 0},
        /* field 23 */ {11, 25, 4, 1, 5, 0.25f, 2, RideHeightFront.slot, 0},
        /* field 26 */ {13, 24, 6, -0.5f, 0.5f, 0.025f, 3, ToeInRear.slot, 0},
        /* field 28 */ {14, 25, 3, 0, 200, 10, 0, RollBarRear.slot, 0},
        /* field 30 */ {15, 25, 4, 1, 5, 0.25f, 2, RideHeightRear.slot, 0},
        /* field 31 */ {17, 5, 2, 16, 30, 1, 0, TyrePressureRL.slot, TyrePressureRR.slot},
        /* field 32 */ {17, 34, 2, 16, 30, 1, 0, TyrePressureRR.slot, TyrePressureRL.slot},
        /* field 33 */ {18, 4, 3, 70, 120, 5, 0, WheelRateRL.slot, WheelRateRR.slot},
        /* field 34 */ {18, 33, 3, 70, 120, 5, 0, WheelRateRR.slot, WheelRateRL.slot},
        /* field 39 */ {21, 3, 5, -5, 2, 0.25f, 2, CamberRL.slot, CamberRR.slot},
        /* field 40 */ {21, 32, 5, -5, 2, 0.25f, 2, CamberRR.slot, CamberRL.slot},
        /* field 41 */ {22, 4, 4, 1, 2.5f, 0.25f, 2, BumpRubberRL.slot, BumpRubberRR.slot},
        /* field 42 */ {22, 33, 4, 1, 2.5f, 0.25f, 2, BumpRubberRR.slot, BumpRubberRL.slot},
        /* field 44 */ {13, 56, 2, 30, 85, 15, 0, RampAngle1.slot, 0},
        /* field 45 */ {13, 59, 2, 30, 85, 15, 0, RampAngle2.slot, 0},
    }},
    // Row, Col, Width, ListKind, MinIndex, MaxIndex, ValueSlot, IndexSlot
    .List = {{
        /* field 11 */ {5, 53, 6, GearList, 0, 9, GearRatio1.slot, GearIndex1.slot},
        /* field 14 */ {6, 53, 6, GearList, 10, 24, GearRatio2.slot, GearIndex2.slot},
        /* field 17 */ {7, 53, 6, GearList, 25, 85, GearRatio3.slot, GearIndex3.slot},
        /* field 18 */ {8, 53, 6, GearList, 25, 85, GearRatio4.slot, GearIndex4.slot},
        /* field 20 */ {9, 53, 6, GearList, 25, 85, GearRatio5.slot, GearIndex5.slot},
        /* field 22 */ {10, 53, 6, GearList, 25, 85, GearRatio6.slot, GearIndex6.slot},
        /* field 25 */ {12, 56, 5, DiffList, 86, 89, DiffRatio.slot, DiffIndex.slot},
        /* field 27 */ {13, 56, 5, RampPairList, 1, 16, RampAngle1.slot, RampAngle2.slot},
    }},
};

// Integer division rounding towards minus infinity, so that a pointer left of or above the view
// lands on no cell.
int FloorDiv(int a, int b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0); }

} // namespace

const FieldEntry& FieldTableEntry(int field) {
    return kFieldTable.at(static_cast<std::size_t>(field - 1));
}

const LimitTables& BuiltInLimits() { return kBuiltIn; }

namespace {

// 5th and 6th gear are on the sheet only when the gearbox has them.
bool FieldShown(int field, int gearboxKind) {
    return !(field == kSixthGearField && gearboxKind < 6) &&
           !(field == kFifthGearField && gearboxKind < 5);
}

} // namespace

SheetCell CellOfField(int field, const LimitTables& tables) {
    return VisitField(field, tables,
                      Overloaded{[](ToggleRow) { return kToggleCell; },
                                 [](const auto& row) {
                                     return SheetCell{row.Row, row.Col, row.Width};
                                 }});
}

int FieldAt(int x, int y, int gearboxKind, const CellMetrics& metrics,
            const CurrentLimits& limits) {
    const int row = FloorDiv(y, metrics.LineHeight);
    const int column = FloorDiv(x, metrics.CharWidth);
    int candidate = 0;
    for (int field = 1; field <= kFieldCount && candidate == 0; ++field) {
        const SheetCell cell = CellOfField(field, limits.Tables());
        if (row != cell.Row || column < cell.Col || column > cell.Col + cell.Width) continue;
        if (field == kRampPairField && !limits.BuiltInInForce()) continue;
        candidate = field;
    }
    return FieldShown(candidate, gearboxKind) ? candidate : 0;
}

std::vector<int> FieldsOnSheet(int gearboxKind, const CurrentLimits& limits) {
    std::vector<std::pair<SheetCell, int>> found;
    for (int field = 1; field <= kFieldCount; ++field) {
        const SheetCell cell = CellOfField(field, limits.Tables());
        const int x = cell.Col * kNormalMetrics.CharWidth;
        const int y = cell.Row * kNormalMetrics.LineHeight;
        if (FieldAt(x, y, gearboxKind, kNormalMetrics, limits) == field)
            found.emplace_back(cell, field);
    }
    std::ranges::sort(found, [](const auto& a, const auto& b) {
        return std::pair(a.first.Row, a.first.Col) < std::pair(b.first.Row, b.first.Col);
    });
    std::vector<int> fields;
    fields.reserve(found.size());
    for (const auto& [cell, field] : found) fields.push_back(field);
    return fields;
}

int MoveFieldCursor(int from, FieldMove move, int gearboxKind, const CurrentLimits& limits) {
    const std::vector<int> fields = FieldsOnSheet(gearboxKind, limits);
    if (fields.empty()) return 0;
    if (move == FieldMove::Last) return fields.back();
    if (move == FieldMove::First || std::ranges::find(fields, from) == fields.end())
        return fields.front();
    // Distances in half characters between the middles of the values.
    auto middle = [&](int field) {
        const SheetCell cell = CellOfField(field, limits.Tables());
        return 2 * cell.Col + cell.Width;
    };
    const int row = CellOfField(from, limits.Tables()).Row;
    int best = from;
    std::pair<int, int> bestDistance{INT_MAX, INT_MAX};
    for (const int field : fields) {
        const int rows = CellOfField(field, limits.Tables()).Row - row;
        const int columns = middle(field) - middle(from);
        const bool inDirection = (move == FieldMove::Up && rows < 0) ||
                                 (move == FieldMove::Down && rows > 0) ||
                                 (move == FieldMove::Left && rows == 0 && columns < 0) ||
                                 (move == FieldMove::Right && rows == 0 && columns > 0);
        const std::pair distance{std::abs(rows), std::abs(columns)};
        if (inDirection && distance < bestDistance) {
            best = field;
            bestDistance = distance;
        }
    }
    return best;
}

void Normalise(SetupRecord& record, const CurrentLimits& limits) {
    for (int field = 1; field <= kFieldCount; ++field) {
        VisitField(
            field, limits.Tables(),
            Overloaded{
                [&](const IntegerLimit& r) {
                    record.SetInt(r.Slot, ClampInt(record.Int(r.Slot), r.MinValue, r.MaxValue));
                },
                [&](const RealLimit& r) {
                    record.SetFloat(r.Slot,
                                    ClampFloat(record.Float(r.Slot), r.MinValue, r.MaxValue));
                },
                [&](const ListLimit& r) {
                    if (r.Kind == RampPairList) {
                        if (!limits.BuiltInInForce()) return;
                        const RampPair pair = RampAnglePair(
                            RampPairIndex(record.Float(r.ValueSlot), record.Float(r.IndexSlot)));
                        record.SetFloat(r.ValueSlot, pair.angle1);
                        record.SetFloat(r.IndexSlot, pair.angle2);
                        return;
                    }
                    // Bounds from a limits file may reach beyond the table; the index never
                    // does.
                    const int index = ClampInt(record.Int(r.IndexSlot), ClampGearIndex(r.MinIndex),
                                               ClampGearIndex(r.MaxIndex));
                    record.SetInt(r.IndexSlot, index);
                    record.SetFloat(r.ValueSlot, ExactRatio(index));
                },
                [](ToggleRow) {},
            });
    }
}

} // namespace kvq
