#include "edit/FSpin.h"

#include "SpinTestKit.h"

#include <gtest/gtest.h>

#include <limits>

namespace kvq {
namespace {

class FSpinTest : public ::testing::Test {
protected:
    test::SpinHost<TFSpinEdit> host;
    TFSpinEdit* editor = host.editor;
};

TEST_F(FSpinTest, StartsWithItsDefaultsReachableByName) {
    EXPECT_EQ(editor->property("Precision"), QVariant(2));
    EXPECT_EQ(editor->property("Increment"), QVariant(1.0f));
    EXPECT_EQ(editor->property("RightJustified"), QVariant(false));
    EXPECT_EQ(editor->property("MinValue"), QVariant(0.0f));
    EXPECT_EQ(editor->property("MaxValue"), QVariant(0.0f));
    EXPECT_TRUE(editor->setProperty("Value", 2.5f));
    EXPECT_EQ(editor->text(), "2.50");
}

TEST_F(FSpinTest, WritingClampsAndFormats) {
    constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
    struct Row {
        const char* name;
        float low, high;
        int precision;
        bool rightJustified;
        int maxLength;
        float value;
        const char* text;
    };
    const Row rows[] = {
        {"TwoDecimals", 0, 0, 2, false, 0, 2.5f, "2.50"},
        {"NegativeThreeDecimals", 0, 0, 3, false, 0, -0.5f, "-0.500"},
        {"NoDecimals", 0, 0, 0, false, 0, 20, "20"},
        {"RoundedToTheDecimals", 0, 0, 0, false, 0, 20.7f, "21"},
        {"ClampedToMax", 1, 5, 2, false, 0, 9, "5.00"},
        {"ClampedToMin", 1, 5, 2, false, 0, -9, "1.00"},
        {"NaNWithLimitsGivesMin", 1, 5, 1, false, 0, kNaN, "1.0"},
        {"RightJustifiedPadded", 7, 20, 0, true, 2, 7, " 7"},
        {"RightJustifiedFull", 7, 20, 0, true, 2, 12, "12"},
        {"RightJustifiedLongerKeptWhole", 0, 200, 0, true, 2, 100, "100"},
        {"RightJustifiedWideField", 0, 0, 0, true, 10, 5, "         5"},
        {"RightJustifiedWithoutMaxLength", 0, 0, 1, true, 0, 5, "5.0"},
        {"NoiseDecimalsAreZeros", 0, 0, 9, false, 0, 0.1f, "0.100000000"},
        {"SevenSignificantDigits", 0, 0, 4, false, 0, 1234.5678f, "1234.5680"},
        {"SmallNumberSevenSignificant", 0, 0, 10, false, 0, 0.001234567891f, "0.0012345680"},
        {"LargeNumberShownWhole", 0, 0, 2, false, 0, 123456789.0f, "123456792.00"},
        {"NegativeZeroAsTheSheetShowsIt", 0, 0, 2, false, 0, -0.001f, "-0.00"},
    };
    for (const Row& row : rows) {
        editor->SetMinValue(row.low);
        editor->SetMaxValue(row.high);
        editor->SetPrecision(row.precision);
        editor->SetRightJustified(row.rightJustified);
        editor->SetMaxLength(row.maxLength);
        editor->SetValue(row.value);
        EXPECT_EQ(editor->text(), row.text) << row.name;
    }
}

TEST_F(FSpinTest, WritingWhatCannotBeShownKeepsTheText) {
    editor->setText("3");
    editor->SetValue(std::numeric_limits<float>::infinity());
    EXPECT_EQ(editor->text(), "3");
    editor->SetValue(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(editor->text(), "3");
}

TEST_F(FSpinTest, ReadsTheNumberInTheTextOrElseMinValue) {
    struct Row {
        const char* name;
        const char* text;
        float value;
    };
    const Row rows[] = {
        {"Blanks", "  2.5  ", 2.5f},    {"Negative", "-0.25", -0.25f},
        {"BeyondMaxUnclamped", "9", 9}, {"Empty", "", 1},
        {"Letters", "abc", 1},          {"Comma", "1,5", 1},
        {"BeyondASingle", "1e39", 1},
    };
    editor->SetMinValue(1);
    editor->SetMaxValue(5);
    for (const Row& row : rows) {
        editor->setText(row.text);
        EXPECT_EQ(editor->Value(), row.value) << row.name;
    }
}

TEST_F(FSpinTest, QuarterStepsStopAtMaxWithoutAChange) {
    editor->SetMinValue(1);
    editor->SetMaxValue(5);
    editor->SetIncrement(0.25f);
    editor->setText("4.75");
    QSignalSpy changes(editor, &TSpinEditBase::Change);
    editor->StepUp();
    EXPECT_EQ(editor->text(), "5.00");
    editor->StepUp();
    EXPECT_EQ(editor->text(), "5.00");
    EXPECT_EQ(changes.count(), 1);
    editor->StepDown();
    EXPECT_EQ(editor->text(), "4.75");
}

TEST_F(FSpinTest, LeavingShowsTheValueRoundedToItsDecimals) {
    struct Row {
        const char* name;
        const char* typed;
        const char* shown;
        float settled;
    };
    const Row rows[] = {
        {"MoreDecimals", "2.3456", "2.35", 2.35f},
        {"FewerDecimalsKept", "3", "3", 3},
    };
    editor->SetMinValue(1);
    editor->SetMaxValue(5);
    for (const Row& row : rows) {
        editor->setText(row.typed);
        EXPECT_EQ(editor->SettledValue(), row.settled) << row.name;
        host.FocusAndLeave();
        EXPECT_EQ(editor->text(), row.shown) << row.name;
        EXPECT_EQ(editor->Value(), row.settled) << row.name;
    }
}

} // namespace
} // namespace kvq
