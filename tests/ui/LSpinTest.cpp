#include "edit/LSpin.h"

#include "SpinTestKit.h"

#include <gtest/gtest.h>

namespace kvq {
namespace {

class LSpinTest : public ::testing::Test {
protected:
    test::SpinHost<TLSpinEdit> host;
    TLSpinEdit* editor = host.editor;

    void Bound(int low, int high, int index) {
        editor->SetMinIndex(low);
        editor->SetMaxIndex(high);
        editor->SetItemIndex(index);
    }
};

TEST_F(LSpinTest, WritingTheIndexClampsItSilentlyAndLeavesTheText) {
    struct Row {
        const char* name;
        int low, high, written, stored;
    };
    const Row rows[] = {
        {"AboveMax", 86, 89, 90, 89},
        {"BelowMin", 86, 89, 80, 86},
        {"Within", 25, 85, 40, 40},
        {"EqualBoundsDoNotBound", 0, 0, 5, 5},
        {"EqualBoundsNegative", 0, 0, -3, -3},
    };
    QSignalSpy changes(editor, &TSpinEditBase::Change);
    for (const Row& row : rows) {
        Bound(row.low, row.high, row.written);
        EXPECT_EQ(editor->ItemIndex(), row.stored) << row.name;
    }
    EXPECT_TRUE(editor->setProperty("ItemIndex", 87));
    EXPECT_EQ(editor->property("ItemIndex"), QVariant(87));
    EXPECT_EQ(editor->text(), "0");
    EXPECT_EQ(changes.count(), 0);
}

TEST_F(LSpinTest, UpStepsToTheLowerIndexAndEveryStepAnnouncesItself) {
    struct Row {
        const char* name;
        int low, high, start;
        bool up;
        int index;
    };
    const Row rows[] = {
        {"UpLowers", 25, 85, 30, true, 29},      {"UpAtMinStays", 25, 85, 25, true, 25},
        {"DownRaises", 25, 85, 25, false, 26},   {"DownAtMaxStays", 25, 85, 85, false, 85},
        {"UpWithEqualBounds", 0, 0, 5, true, 4}, {"DownWithEqualBounds", 0, 0, 5, false, 5},
    };
    for (const Row& row : rows) {
        Bound(row.low, row.high, row.start);
        QSignalSpy changes(editor, &TSpinEditBase::Change);
        row.up ? editor->StepUp() : editor->StepDown();
        EXPECT_EQ(editor->ItemIndex(), row.index) << row.name;
        EXPECT_EQ(changes.count(), 1) << row.name;
    }
}

TEST_F(LSpinTest, ButtonsAndKeysStepTheListTheInvertedWay) {
    Bound(0, 10, 5);
    host.Click(host.Up());
    EXPECT_EQ(editor->ItemIndex(), 4);
    host.Click(host.Down());
    host.Click(host.Down());
    EXPECT_EQ(editor->ItemIndex(), 6);
    editor->setFocus();
    QTest::keyClick(editor, Qt::Key_Up);
    EXPECT_EQ(editor->ItemIndex(), 5);
    QTest::keyClick(editor, Qt::Key_Down);
    EXPECT_EQ(editor->ItemIndex(), 6);
}

TEST_F(LSpinTest, ReadOnlyStepsBeepAndStillAnnounce) {
    Bound(0, 10, 5);
    editor->setReadOnly(true);
    editor->setFocus();
    QSignalSpy changes(editor, &TSpinEditBase::Change);
    host.Click(host.Up());
    host.Click(host.Down());
    QTest::keyClick(editor, Qt::Key_Up);
    QTest::keyClick(editor, Qt::Key_Down);
    EXPECT_EQ(host.beeps, 4);
    EXPECT_EQ(changes.count(), 4);
    EXPECT_EQ(editor->ItemIndex(), 5);
}

TEST_F(LSpinTest, TypingIsNotFilteredButAnnounced) {
    editor->SetEditorEnabled(false);
    editor->setFocus();
    editor->setCursorPosition(1);
    QSignalSpy changes(editor, &TSpinEditBase::Change);
    QTest::keyClick(editor, 'x');
    EXPECT_EQ(editor->text(), "0x");
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(host.beeps, 0);
}

} // namespace
} // namespace kvq
