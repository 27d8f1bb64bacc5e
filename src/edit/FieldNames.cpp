#include "edit/FieldNames.h"

#include "edit/FieldTable.h"

#include <array>
#include <cstddef>

namespace kvq {

namespace {

// In the order of the editable field table.
constexpr std::array<std::string_view, kFieldCount> kFieldNames = {
    /*  1 */ "Steering Ratio",
    /*  2 */ "Tyre Pressure FL",
    /*  3 */ "Tyre Pressure FR",
    /*  4 */ "Fuel",
    /*  5 */ "Wheel Rate FL",
    /*  6 */ "Wheel Rate FR",
    /*  7 */ "Bump FL",
    /*  8 */ "Bump FR",
    /*  9 */ "Rebound FL",
    /* 10 */ "Rebound FR",
    /* 11 */ "1st Gear",
    /* 12 */ "Camber FL",
    /* 13 */ "Camber FR",
    /* 14 */ "2nd Gear",
    /* 15 */ "Bump Rubber FL",
    /* 16 */ "Bump Rubber FR",
    /* 17 */ "3rd Gear",
    /* 18 */ "4th Gear",
    /* 19 */ "Toe-in Front",
    /* 20 */ "5th Gear",
    /* 21 */ "Roll Bar Stiffness Front",
    /* 22 */ "6th Gear",
    /* 23 */ "Static Ride Height Front",
    /* 24 */ "Front Brake Bias",
    /* 25 */ "Diff Ratio",
    /* 26 */ "Toe-in Rear",
    /* 27 */ "Ramp Angles",
    /* 28 */ "Roll Bar Stiffness Rear",
    /* 29 */ "Clutches",
    /* 30 */ "Static Ride Height Rear",
    /* 31 */ "Tyre Pressure RL",
    /* 32 */ "Tyre Pressure RR",
    /* 33 */ "Wheel Rate RL",
    /* 34 */ "Wheel Rate RR",
    /* 35 */ "Bump RL",
    /* 36 */ "Bump RR",
    /* 37 */ "Rebound RL",
    /* 38 */ "Rebound RR",
    /* 39 */ "Camber RL",
    /* 40 */ "Camber RR",
    /* 41 */ "Bump Rubber RL",
    /* 42 */ "Bump Rubber RR",
    /* 43 */ "Asymmetrical",
    /* 44 */ "Ramp Angles (first)",
    /* 45 */ "Ramp Angles (second)",
};

// In the same order, as the sheet prints them after the values.
constexpr std::array<std::string_view, kFieldCount> kFieldUnits = {
    /*  1 */ ":1",      /*  2 */ " psi",    /*  3 */ " psi", /*  4 */ " gallons",
    /*  5 */ " lbs/in", /*  6 */ " lbs/in", /*  7 */ "",     /*  8 */ "",
    /*  9 */ "",        /* 10 */ "",        /* 11 */ ":1",   /* 12 */ " deg",
    /* 13 */ " deg",    /* 14 */ ":1",      /* 15 */ " in",  /* 16 */ " in",
    /* 17 */ ":1",      /* 18 */ ":1",      /* 19 */ " in",  /* 20 */ ":1",
    /* 21 */ " lbs/in", /* 22 */ ":1",      /* 23 */ " in",  /* 24 */ "%",
    /* 25 */ ":1",      /* 26 */ " in",     /* 27 */ "",     /* 28 */ " lb/in",
    /* 29 */ "",        /* 30 */ " in",     /* 31 */ " psi", /* 32 */ " psi",
    /* 33 */ " lbs/in", /* 34 */ " lbs/in", /* 35 */ "",     /* 36 */ "",
    /* 37 */ "",        /* 38 */ "",        /* 39 */ " deg", /* 40 */ " deg",
    /* 41 */ " in",     /* 42 */ " in",     /* 43 */ "",     /* 44 */ "",
    /* 45 */ "",
};

} // namespace

std::string_view FieldUnit(int field) {
    return kFieldUnits.at(static_cast<std::size_t>(field - 1));
}

std::string_view FieldName(int field) {
    return kFieldNames.at(static_cast<std::size_t>(field - 1));
}

} // namespace kvq
