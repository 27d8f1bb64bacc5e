#include "edit/FieldEdit.h"

#include "base/TextFormat.h"
#include "base/Utils.h"
#include "edit/FieldNames.h"
#include "setup/GearTables.h"
#include "setup/Sheet.h"

#include <algorithm>
#include <cctype>
#include <limits>
#include <optional>
#include <string>
#include <type_traits>

namespace kvq {

namespace {

using enum FieldKind;
using enum ListKind;

// The entries a list's index can address at all.
std::pair<int, int> TableRange(ListKind kind) {
    if (kind == RampPairList) return {1, kRampPairCount};
    return {0, kGearRatioCount - 1};
}

template <typename T> T ValueAt(const SetupRecord& record, int slot) {
    if constexpr (std::is_same_v<T, float>)
        return record.Float(slot);
    else
        return record.Int(slot);
}

template <typename T> void StoreAt(SetupRecord& record, int slot, T value) {
    if constexpr (std::is_same_v<T, float>)
        record.SetFloat(slot, value);
    else
        record.SetInt(slot, value);
}

// The partner is brought in line even when the value itself was already stored.
template <typename T>
bool StoreWithPartner(SetupRecord& record, T value, int slot, int partnerSlot) {
    bool changed = false;
    if (value != ValueAt<T>(record, slot)) {
        StoreAt(record, slot, value);
        changed = true;
    }
    if (record.SymmetricFlag() == 1 && partnerSlot != 0 &&
        value != ValueAt<T>(record, partnerSlot)) {
        StoreAt(record, partnerSlot, value);
        changed = true;
    }
    return changed;
}

std::int32_t ToInt32(double value) {
    constexpr double kLow = std::numeric_limits<std::int32_t>::min();
    constexpr double kHigh = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp(value, kLow, kHigh));
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

const LayoutEntry* LayoutEntryOfSlot(int slot) {
    for (const LayoutEntry& entry : RecordLayout())
        if (entry.width == 4 && entry.Slot() == slot) return &entry;
    return nullptr;
}

// The field whose edit writes the record field: the first in table order, as the hit test finds
// it, so the ramp angles go through the pair list (27) exactly while the built-in limits are in
// force.
std::optional<int> EditingField(const LayoutEntry& entry, const CurrentLimits& limits) {
    if (entry.encoding == Encoding::Byte) return kToggleField;
    if (entry.encoding != Encoding::Int32 && entry.encoding != Encoding::Float32)
        return std::nullopt;
    const int slot = entry.Slot();
    for (int field = 1; field <= kFieldCount; ++field) {
        if (field == kRampPairField && !limits.BuiltInInForce()) continue;
        const bool writes =
            VisitField(field, limits.Tables(),
                       Overloaded{[&](const ListLimit& row) {
                                      return row.IndexSlot == slot ||
                                             (row.Kind == RampPairList && row.ValueSlot == slot);
                                  },
                                  [](ToggleRow) { return false; },
                                  [&](const auto& row) { return row.Slot == slot; }});
        if (writes) return field;
    }
    return std::nullopt;
}

[[noreturn]] void ThrowNotSettable(const LayoutEntry& entry, const LimitTables& tables) {
    const std::string name(entry.name);
    for (const ListLimit& row : tables.List) {
        if (row.Kind != RampPairList && row.ValueSlot == entry.Slot())
            throw KvqError(name + ": follows " +
                           std::string(LayoutEntryOfSlot(row.IndexSlot)->name) +
                           ", set that instead");
    }
    throw KvqError(name + ": not a field an edit changes");
}

} // namespace

std::pair<int, int> ListIndexBounds(const ListLimit& row) {
    const auto [first, last] = TableRange(row.Kind);
    return {ClampInt(row.MinIndex, first, last), ClampInt(row.MaxIndex, first, last)};
}

bool StoreEdit(SetupRecord& record, int field, double value, const LimitTables& tables) {
    // What an edit stores is what normalising keeps: the value within the limits in force, and
    // with equal limits that one value, although the editors themselves do not clamp then.
    return VisitField(
        field, tables,
        Overloaded{
            [&](const IntegerLimit& row) {
                return StoreWithPartner(record,
                                        ClampInt(ToInt32(value), row.MinValue, row.MaxValue),
                                        row.Slot, row.PartnerSlot);
            },
            [&](const RealLimit& row) {
                const float settled = ClampFloat(ToSingle(value), row.MinValue, row.MaxValue);
                // A zero is stored without its sign, so the sheet shows none.
                return StoreWithPartner(record, settled == 0.0f ? 0.0f : settled, row.Slot,
                                        row.PartnerSlot);
            },
            [&](const ListLimit& row) {
                const auto [low, high] = ListIndexBounds(row);
                const int index = ClampInt(ToInt32(value), low, high);
                if (row.Kind == RampPairList) {
                    const RampPair pair = RampAnglePair(index);
                    if (pair.angle1 == record.Float(row.ValueSlot) &&
                        pair.angle2 == record.Float(row.IndexSlot))
                        return false;
                    record.SetFloat(row.ValueSlot, pair.angle1);
                    record.SetFloat(row.IndexSlot, pair.angle2);
                    return true;
                }
                // The ratio is written with a new index only, as the list editor does.
                if (index == record.Int(row.IndexSlot)) return false;
                record.SetInt(row.IndexSlot, index);
                record.SetFloat(row.ValueSlot, ExactRatio(index));
                return true;
            },
            [&](ToggleRow) {
                const auto flag = static_cast<std::uint8_t>(ClampInt(ToInt32(value), 0, 1));
                if (flag == record.SymmetricFlag()) return false;
                record.SetSymmetricFlag(flag);
                return true;
            },
        });
}

EditorDescription DescribeEditor(int field, const SetupRecord& record, const LimitTables& tables) {
    const SheetCell cell = CellOfField(field, tables);
    return VisitField(
        field, tables,
        Overloaded{
            [&](const IntegerLimit& row) {
                return EditorDescription{.Kind = IntegerField,
                                         .Cell = cell,
                                         .MinValue = double(row.MinValue),
                                         .MaxValue = double(row.MaxValue),
                                         .Increment = double(row.Increment),
                                         .Value = double(record.Int(row.Slot))};
            },
            [&](const RealLimit& row) {
                const bool rampAngle = field == kRampAngle1Field || field == kRampAngle2Field;
                return EditorDescription{.Kind = RealField,
                                         .Cell = cell,
                                         .MinValue = row.MinValue,
                                         .MaxValue = row.MaxValue,
                                         .Increment = row.Increment,
                                         .Precision = row.Precision,
                                         .Value = record.Float(row.Slot),
                                         .RampAngleSteps = rampAngle && row.Increment == 15.0f};
            },
            [&](const ListLimit& row) {
                const auto [low, high] = ListIndexBounds(row);
                const int index =
                    row.Kind == RampPairList
                        ? RampPairIndex(record.Float(row.ValueSlot), record.Float(row.IndexSlot))
                        : record.Int(row.IndexSlot);
                return EditorDescription{.Kind = ListField,
                                         .Cell = cell,
                                         .MinValue = double(low),
                                         .MaxValue = double(high),
                                         .Value = double(index),
                                         .List = row.Kind};
            },
            [&](ToggleRow) { return EditorDescription{.Kind = ToggleField, .Cell = cell}; },
        });
}

std::string RangeText(int field, const SetupRecord& record, const LimitTables& tables) {
    const EditorDescription editor = DescribeEditor(field, record, tables);
    const std::string name = std::string(FieldName(field)) + ": ";
    const std::string unit(FieldUnit(field));
    switch (editor.Kind) {
    case ToggleField: return name + "Y or N";
    case ListField: {
        auto entry = [&](double index) {
            const std::string text = ListItemText(editor.List, static_cast<int>(index), record);
            return text.substr(text.find_first_not_of(' ')) + unit;
        };
        const int count = static_cast<int>(editor.MaxValue - editor.MinValue) + 1;
        return name + entry(editor.MinValue) + " to " + entry(editor.MaxValue) + ", " +
               std::to_string(count) + (editor.List == RampPairList ? " pairs" : " ratios");
    }
    case IntegerField:
    case RealField: break;
    }
    auto number = [&](double value) { return FormatFixed(value, editor.Precision); };
    if (editor.MinValue == editor.MaxValue)
        return name + "always " + number(editor.MinValue) + unit;
    // A ratio is one on both ends ("7:1 to 20:1"); a unit follows the range ("1 to 46 gallons").
    const std::string low = number(editor.MinValue) + (unit.starts_with(':') ? unit : "");
    return name + low + " to " + number(editor.MaxValue) + unit + ", step " +
           number(editor.Increment);
}

std::string ListItemText(ListKind kind, int index, const SetupRecord& record) {
    switch (kind) {
    case GearList: return GearText(ExactRatio(index), record.Get(field::DiffRatio));
    case DiffList: return DiffText(DisplayedRatio(index));
    case RampPairList: {
        const RampPair pair = RampAnglePair(index);
        return RampAnglesText(pair.angle1, pair.angle2);
    }
    }
    return {};
}

RampAngleStop RampAngleStep(float value, float increment) {
    if (value == 75.0f) return {85.0f, 25.0f};
    if (value == 35.0f) return {45.0f, 15.0f};
    if (value == 70.0f) return {60.0f, increment};
    return {value, increment};
}

namespace {

// The notice for a value given beyond its field's limits, from what the record holds once it is
// set. A ramp angle within the angles of the pairs only moves to its pair, which is no limit.
std::optional<std::string> ClampNotice(const LayoutEntry& entry, std::string_view text,
                                       double given, const SetupRecord& record, bool rampPair) {
    double stored = 0;
    std::string storedText;
    if (entry.encoding == Encoding::Byte) {
        stored = record.SymmetricFlag();
        storedText = std::to_string(record.SymmetricFlag());
    } else if (entry.encoding == Encoding::Int32) {
        stored = record.Int(entry.Slot());
        storedText = std::to_string(record.Int(entry.Slot()));
    } else {
        given = ToSingle(given);
        stored = record.Float(entry.Slot());
        storedText = FormatShortest(record.Float(entry.Slot()));
    }
    if (given == stored) return std::nullopt;
    if (rampPair) {
        float low = RampAnglePair(1).angle1;
        float high = low;
        for (int pair = 1; pair <= kRampPairCount; ++pair)
            for (const float angle : {RampAnglePair(pair).angle1, RampAnglePair(pair).angle2}) {
                low = std::min(low, angle);
                high = std::max(high, angle);
            }
        if (given >= low && given <= high) return std::nullopt;
    }
    return std::string(entry.name) + ": " + std::string(text) + " is " +
           (given > stored ? "above" : "below") + " the limit, set to " + storedText;
}

} // namespace

FieldSetting SetNamedField(SetupRecord& record, std::string_view name, std::string_view text,
                           const CurrentLimits& limits) {
    const auto layout = RecordLayout();
    const auto entry = std::ranges::find_if(
        layout, [&](const LayoutEntry& e) { return EqualIgnoringCase(e.name, name); });
    if (entry == layout.end()) throw KvqError(std::string(name) + ": no such field");
    const std::optional<int> field = EditingField(*entry, limits);
    if (!field) ThrowNotSettable(*entry, limits.Tables());

    const std::string quoted = std::string(entry->name) + ": \"" + std::string(text) + "\"";
    auto settled = [&](double given, bool changed) {
        return FieldSetting{changed,
                            ClampNotice(*entry, text, given, record, *field == kRampPairField)};
    };
    if (entry->encoding != Encoding::Float32) {
        const auto number = ParseInteger(text);
        if (!number) throw KvqError(quoted + " is not an integer");
        return settled(*number, StoreEdit(record, *field, *number, limits.Tables()));
    }
    const auto number = ParseReal(text);
    if (!number) throw KvqError(quoted + " is not a number");
    if (*field != kRampPairField)
        return settled(*number, StoreEdit(record, *field, *number, limits.Tables()));
    // The pair the new angle falls into together with the other angle as it stands.
    const float angle = ToSingle(*number);
    const bool first = entry->Slot() == field::RampAngle1.slot;
    const int pair = first ? RampPairIndex(angle, record.Get(field::RampAngle2))
                           : RampPairIndex(record.Get(field::RampAngle1), angle);
    return settled(*number, StoreEdit(record, kRampPairField, pair, limits.Tables()));
}

std::vector<std::string_view> SettableFieldNames() {
    std::vector<std::string_view> names;
    for (const LayoutEntry& entry : RecordLayout())
        if (EditingField(entry, CurrentLimits{})) names.push_back(entry.name);
    return names;
}

} // namespace kvq
