#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace kvq {

// A value of the record by its slot: slot n is the little-endian 32-bit word at byte 4 * (n - 1).
struct IntSlot {
    int slot;
};
struct FloatSlot {
    int slot;
};

// The named fields of the record by slot, as the setup file lays them out.
namespace field {
inline constexpr int Magic = 1;
inline constexpr int Reserved04 = 2;
inline constexpr int Reserved08 = 3;
inline constexpr int GearboxData12 = 4;
inline constexpr int GearboxData16 = 5;
inline constexpr FloatSlot GearRatio1{6};
inline constexpr FloatSlot GearRatio2{7};
inline constexpr FloatSlot GearRatio3{8};
inline constexpr FloatSlot GearRatio4{9};
inline constexpr FloatSlot GearRatio5{10};
inline constexpr FloatSlot GearRatio6{11};
inline constexpr FloatSlot DiffRatio{12};
inline constexpr int GearboxData48 = 13;
inline constexpr int GearboxData52 = 14;
inline constexpr IntSlot GearIndex1{15};
inline constexpr IntSlot GearIndex2{16};
inline constexpr IntSlot GearIndex3{17};
inline constexpr IntSlot GearIndex4{18};
inline constexpr IntSlot GearIndex5{19};
inline constexpr IntSlot GearIndex6{20};
inline constexpr IntSlot DiffIndex{21};
inline constexpr FloatSlot RampAngle2{22};
inline constexpr FloatSlot RampAngle1{23};
inline constexpr FloatSlot TyrePressureFL{24};
inline constexpr FloatSlot TyrePressureFR{25};
inline constexpr FloatSlot TyrePressureRL{26};
inline constexpr FloatSlot TyrePressureRR{27};
inline constexpr FloatSlot WheelRateFL{28};
inline constexpr FloatSlot WheelRateFR{29};
inline constexpr FloatSlot WheelRateRL{30};
inline constexpr FloatSlot WheelRateRR{31};
inline constexpr IntSlot BumpFL{32};
inline constexpr IntSlot BumpFR{33};
inline constexpr IntSlot BumpRL{34};
inline constexpr IntSlot BumpRR{35};
inline constexpr IntSlot ReboundFL{36};
inline constexpr IntSlot ReboundFR{37};
inline constexpr IntSlot ReboundRL{38};
inline constexpr IntSlot ReboundRR{39};
inline constexpr FloatSlot CamberFL{40};
inline constexpr FloatSlot CamberFR{41};
inline constexpr FloatSlot CamberRL{42};
inline constexpr FloatSlot CamberRR{43};
inline constexpr int Reserved172 = 44; // eight words, 44..51
inline constexpr FloatSlot BumpRubberFL{52};
inline constexpr FloatSlot BumpRubberFR{53};
inline constexpr FloatSlot BumpRubberRL{54};
inline constexpr FloatSlot BumpRubberRR{55};
inline constexpr FloatSlot ToeInFront{56};
inline constexpr FloatSlot ToeInRear{57};
inline constexpr FloatSlot RollBarFront{58};
inline constexpr FloatSlot RollBarRear{59};
inline constexpr FloatSlot RideHeightFront{60};
inline constexpr FloatSlot RideHeightRear{61};
inline constexpr IntSlot Clutches{62};
inline constexpr FloatSlot Fuel{63};
inline constexpr FloatSlot SteeringRatio{64};
inline constexpr IntSlot FrontBrakeBias{65};
inline constexpr std::size_t SymmetricFlagOffset = 260; // low byte of slot 66
} // namespace field

// The 264-byte setup record: the whole content of a setup file and the in-memory image of an
// open setup. Every byte is kept as read, so what the program does not interpret passes through.
class SetupRecord {
public:
    static constexpr std::size_t kSize = 264;
    static constexpr int kSlotCount = 66;
    using Bytes = std::array<std::uint8_t, kSize>;

    // All zero.
    constexpr SetupRecord() = default;

    // The record from the start of a file's content: bytes beyond those given are zero, bytes
    // beyond 264 are not read.
    [[nodiscard]] static SetupRecord FromBytes(std::span<const std::uint8_t> data);

    [[nodiscard]] const Bytes& ToBytes() const { return bytes_; }
    [[nodiscard]] Bytes& MutableBytes() { return bytes_; }

    // True when bytes 0..3 are exactly "PGTS".
    [[nodiscard]] bool HasMagic() const;

    // Slot access, slot 1..66.
    [[nodiscard]] std::uint32_t Word(int slot) const;
    void SetWord(int slot, std::uint32_t word);
    [[nodiscard]] std::int32_t Int(int slot) const { return static_cast<std::int32_t>(Word(slot)); }
    void SetInt(int slot, std::int32_t value) { SetWord(slot, static_cast<std::uint32_t>(value)); }
    [[nodiscard]] float Float(int slot) const;
    void SetFloat(int slot, float value);

    // Named field access.
    [[nodiscard]] std::int32_t Get(IntSlot f) const { return Int(f.slot); }
    [[nodiscard]] float Get(FloatSlot f) const { return Float(f.slot); }
    void Set(IntSlot f, std::int32_t value) { SetInt(f.slot, value); }
    void Set(FloatSlot f, float value) { SetFloat(f.slot, value); }

    [[nodiscard]] std::uint8_t SymmetricFlag() const { return bytes_[field::SymmetricFlagOffset]; }
    void SetSymmetricFlag(std::uint8_t flag) { bytes_[field::SymmetricFlagOffset] = flag; }

    friend bool operator==(const SetupRecord&, const SetupRecord&) = default;

private:
    Bytes bytes_{};
};

// How a named field of the layout is encoded.
enum class Encoding { Magic, Raw, Int32, Float32, Byte };

// One row of the record's layout: a named field, where it lies and how it is encoded.
struct LayoutEntry {
    std::string_view name;
    std::size_t offset;
    std::size_t width;
    Encoding encoding;

    // The slot the field starts in.
    [[nodiscard]] constexpr int Slot() const { return static_cast<int>(offset / 4) + 1; }
};

// Every named field of the record in file order, as the setup file defines them.
[[nodiscard]] std::span<const LayoutEntry> RecordLayout();

// The byte ranges [first, last] that the copy commands move.
struct ByteRange {
    std::size_t first;
    std::size_t last;
};
[[nodiscard]] std::span<const ByteRange> GearboxGroup();
[[nodiscard]] std::span<const ByteRange> ChassisGroup();

// Number of forward gears (4, 5 or 6) that a setup's file name gives it: an extension whose third
// character after the dot is "3" gives 4, an extension starting "br1" gives 6, all else 5.
[[nodiscard]] int GearboxKindFromFileName(std::string_view path);

} // namespace kvq
