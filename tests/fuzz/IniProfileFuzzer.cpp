// A settings file, then a section, a key and a value, "%%" lines between them: the value is
// written and read back, and so are the program's own settings written after it.
#include "FuzzInput.h"
#include "base/Utils.h"
#include "settings/IniProfile.h"

#include <algorithm>
#include <string>

using namespace kvq;
using fuzz::Require;

namespace {

constexpr std::string_view kMissing = "\x01missing";

// Read gives the value back whole, or its beginning when it is longer than a value may be.
bool ReadsAs(std::string_view read, std::string_view value) {
    if (value.size() <= IniProfile::kMaxValueLength) return read == value;
    return !read.empty() && value.starts_with(read);
}

bool SameName(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return std::ranges::equal(a, b, {}, lower, lower);
}

// Writes the key and reads it back; false, with the text unchanged, when it cannot be written.
bool WriteReadsBack(IniProfile& profile, std::string_view section, std::string_view key,
                    std::string_view value) {
    const std::string before = profile.Text();
    try {
        profile.Write(section, key, value);
    } catch (const KvqError&) {
        Require(profile.Text() == before, "a refused write changes nothing");
        return false;
    }
    Require(ReadsAs(profile.Read(section, key, kMissing), value), "the value written reads back");
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto [text, section, key, value] = fuzz::Parts<4>(data, size);
    IniProfile profile{std::string(text)};
    (void)profile.Read(section, key, kMissing);
    if (!WriteReadsBack(profile, section, key, value)) return 0;

    // The program's own settings after it: each write leaves every other key alone.
    const struct {
        std::string_view section, key, value;
    } settings[] = {
        {"Position", "Top", "-120"},
        {"Position", "Left", "4096"},
        {"Files", "LastFile", value},
        {"Flags", "KVQDefault", "0"},
    };
    bool overwritten = false;
    for (const auto& s : settings) {
        Require(WriteReadsBack(profile, s.section, s.key, s.value), "settings can be written");
        overwritten = overwritten || (SameName(s.section, section) && SameName(s.key, key));
    }
    for (const auto& s : settings)
        Require(ReadsAs(profile.Read(s.section, s.key, kMissing), s.value),
                "settings keep their values");
    if (!overwritten)
        Require(ReadsAs(profile.Read(section, key, kMissing), value),
                "other keys keep their values");
    return 0;
}
