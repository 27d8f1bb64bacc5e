#include "setup/SetupRecord.h"

#include "base/Utils.h"

#include <algorithm>
#include <bit>
#include <cassert>

namespace kvq {

SetupRecord SetupRecord::FromBytes(std::span<const std::uint8_t> data) {
    SetupRecord record;
    std::copy_n(data.begin(), std::min(data.size(), kSize), record.bytes_.begin());
    return record;
}

bool SetupRecord::HasMagic() const {
    return bytes_[0] == 'P' && bytes_[1] == 'G' && bytes_[2] == 'T' && bytes_[3] == 'S';
}

std::uint32_t SetupRecord::Word(int slot) const {
    assert(slot >= 1 && slot <= kSlotCount);
    const auto at = static_cast<std::size_t>(slot - 1) * 4;
    return static_cast<std::uint32_t>(bytes_[at]) |
           static_cast<std::uint32_t>(bytes_[at + 1]) << 8 |
           static_cast<std::uint32_t>(bytes_[at + 2]) << 16 |
           static_cast<std::uint32_t>(bytes_[at + 3]) << 24;
}

void SetupRecord::SetWord(int slot, std::uint32_t word) {
    assert(slot >= 1 && slot <= kSlotCount);
    const auto at = static_cast<std::size_t>(slot - 1) * 4;
    for (std::size_t i = 0; i < 4; ++i) bytes_[at + i] = static_cast<std::uint8_t>(word >> (8 * i));
}

float SetupRecord::Float(int slot) const { return std::bit_cast<float>(Word(slot)); }

void SetupRecord::SetFloat(int slot, float value) {
    SetWord(slot, std::bit_cast<std::uint32_t>(value));
}

namespace {

using enum Encoding;

// offset, width, encoding, name: the setup file's layout.
constexpr LayoutEntry kLayout[] = {
    {"Magic", 0, 4, Magic},
    {"Reserved04", 4, 4, Raw},
    {"Reserved08", 8, 4, Raw},
    {"GearboxData12", 12, 4, Raw},
    {"GearboxData16", 16, 4, Raw},
    {"GearRatio1", 20, 4, Float32},
    {"GearRatio2", 24, 4, Float32},
    {"GearRatio3", 28, 4, Float32},
    {"GearRatio4", 32, 4, Float32},
    {"GearRatio5", 36, 4, Float32},
    {"GearRatio6", 40, 4, Float32},
    {"DiffRatio", 44, 4, Float32},
    {"GearboxData48", 48, 4, Raw},
    {"GearboxData52", 52, 4, Raw},
    {"GearIndex1", 56, 4, Int32},
    {"GearIndex2", 60, 4, Int32},
    {"GearIndex3", 64, 4, Int32},
    {"GearIndex4", 68, 4, Int32},
    {"GearIndex5", 72, 4, Int32},
    {"GearIndex6", 76, 4, Int32},
    {"DiffIndex", 80, 4, Int32},
    {"RampAngle2", 84, 4, Float32},
    {"RampAngle1", 88, 4, Float32},
    {"TyrePressureFL", 92, 4, Float32},
    {"TyrePressureFR", 96, 4, Float32},
    {"TyrePressureRL", 100, 4, Float32},
    {"TyrePressureRR", 104, 4, Float32},
    {"WheelRateFL", 108, 4, Float32},
    {"WheelRateFR", 112, 4, Float32},
    {"WheelRateRL", 116, 4, Float32},
    {"WheelRateRR", 120, 4, Float32},
    {"BumpFL", 124, 4, Int32},
    {"BumpFR", 128, 4, Int32},
    {"BumpRL", 132, 4, Int32},
    {"BumpRR", 136, 4, Int32},
    {"ReboundFL", 140, 4, Int32},
    {"ReboundFR", 144, 4, Int32},
    {"ReboundRL", 148, 4, Int32},
    {"ReboundRR", 152, 4, Int32},
    {"CamberFL", 156, 4, Float32},
    {"CamberFR", 160, 4, Float32},
    {"CamberRL", 164, 4, Float32},
    {"CamberRR", 168, 4, Float32},
    {"Reserved172", 172, 32, Raw},
    {"BumpRubberFL", 204, 4, Float32},
    {"BumpRubberFR", 208, 4, Float32},
    {"BumpRubberRL", 212, 4, Float32},
    {"BumpRubberRR", 216, 4, Float32},
    {"ToeInFront", 220, 4, Float32},
    {"ToeInRear", 224, 4, Float32},
    {"RollBarFront", 228, 4, Float32},
    {"RollBarRear", 232, 4, Float32},
    {"RideHeightFront", 236, 4, Float32},
    {"RideHeightRear", 240, 4, Float32},
    {"Clutches", 244, 4, Int32},
    {"Fuel", 248, 4, Float32},
    {"SteeringRatio", 252, 4, Float32},
    {"FrontBrakeBias", 256, 4, Int32},
    {"SymmetricFlag", 260, 1, Byte},
    {"Reserved261", 261, 3, Raw},
};

constexpr ByteRange kGearboxGroup[] = {{12, 91}, {244, 247}};
constexpr ByteRange kChassisGroup[] = {{92, 171}, {204, 243}, {248, 259}};

} // namespace

std::span<const LayoutEntry> RecordLayout() { return kLayout; }
std::span<const ByteRange> GearboxGroup() { return kGearboxGroup; }
std::span<const ByteRange> ChassisGroup() { return kChassisGroup; }

int GearboxKindFromFileName(std::string_view path) {
    const std::string_view name = FileNameOf(path);
    const auto dot = name.rfind('.');
    const std::string_view ext =
        dot == std::string_view::npos ? std::string_view() : name.substr(dot);
    if (ext.size() >= 4 && ext[3] == '3') return 4;
    if (ext.size() >= 4 && ext.substr(1, 3) == "br1") return 6;
    return 5;
}

} // namespace kvq
