// What the three spin editors share, run on each of them, and the integer editor's own rules.

#include "edit/SpinEdit.h"
#include "SpinTestKit.h"
#include "edit/FSpin.h"
#include "edit/LSpin.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QMenu>
#include <QStyle>
#include <QStyleOptionFrame>

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <type_traits>

namespace kvq {
namespace {

using test::SpinHost;

// Counts the steps, so the base's wiring can be checked apart from what a step does.
template <typename Editor> class Counting : public Editor {
public:
    using Editor::Editor;
    // Where QLineEdit lays out and clips its text.
    [[nodiscard]] QRect TextArea() const {
        QStyleOptionFrame option;
        this->initStyleOption(&option);
        return this->style()
            ->subElementRect(QStyle::SE_LineEditContents, &option, this)
            .marginsRemoved(this->textMargins());
    }
    void StepUp() override {
        ++ups;
        Editor::StepUp();
    }
    void StepDown() override {
        ++downs;
        Editor::StepDown();
    }
    int ups = 0;
    int downs = 0;
};

class EditorNames {
public:
    template <typename T> static std::string GetName(int) {
        if constexpr (std::is_same_v<T, TSpinEdit>) return "Integer";
        if constexpr (std::is_same_v<T, TFSpinEdit>) return "Float";
        return "List";
    }
};

// Records the keys that reach the window after the focused control.
class KeyWatcher : public QObject {
public:
    std::vector<int> keys;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress)
            keys.push_back(static_cast<QKeyEvent*>(event)->key());
        return false;
    }
};

template <typename Editor> class SpinEditShared : public ::testing::Test {
protected:
    SpinHost<Counting<Editor>> host;
    Counting<Editor>* editor = host.editor;
};
using AllEditors = ::testing::Types<TSpinEdit, TFSpinEdit, TLSpinEdit>;
TYPED_TEST_SUITE(SpinEditShared, AllEditors, EditorNames);

TYPED_TEST(SpinEditShared, StartsWithZeroAndShowsItsPropertiesByName) {
    EXPECT_EQ(this->editor->text(), "0");
    for (const char* name : {"EditorEnabled", "AutoSelect", "TabStop"})
        EXPECT_EQ(this->editor->property(name), QVariant(true)) << name;
    EXPECT_EQ(this->editor->property("MaxLength"), QVariant(0));
    EXPECT_TRUE(this->editor->setProperty("EditorEnabled", false));
    EXPECT_FALSE(this->editor->EditorEnabled());
}

TYPED_TEST(SpinEditShared, ButtonPairSitsAtTheRightEdgeAndTheTextEndsTwoPixelsBeforeIt) {
    auto* editor = this->editor;
    const QColor highlight = editor->palette().color(QPalette::Active, QPalette::Highlight);
    editor->setText(QString(60, u'8'));
    editor->setFocus();
    for (int width : {80, 131}) {
        editor->resize(width, 24);
        const QRect up = this->host.Up()->geometry();
        const QRect down = this->host.Down()->geometry();
        const QRect pair = up.united(down);
        EXPECT_EQ(pair.size(),
                  QSize(TSpinEditBase::kButtonWidth, TSpinEditBase::kButtonPairHeight));
        EXPECT_EQ(up.bottom() + 1, down.top());
        // Inside the frame at the right edge.
        EXPECT_LE(pair.right(), width - 1);
        EXPECT_GE(pair.right(), width - 4);
        EXPECT_GE(pair.top(), 0);
        EXPECT_LE(pair.bottom(), editor->height() - 1);
        EXPECT_EQ(editor->TextArea().right() + 1 + TSpinEditBase::kTextGap, pair.left()) << width;

        // The selection is painted only where text may stand: never into the gap.
        editor->setCursorPosition(0);
        editor->selectAll();
        const QImage image = editor->grab().toImage();
        int rightmost = -1;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y) == highlight) rightmost = std::max(rightmost, x);
        const int gap = pair.left() - TSpinEditBase::kTextGap;
        EXPECT_LT(rightmost, gap) << width;
        EXPECT_GE(rightmost, gap - 6) << width;
    }
}

TYPED_TEST(SpinEditShared, HeightIsRaisedToTheFontsMinimum) {
    const int system = QFontMetrics(QFontDatabase::systemFont(QFontDatabase::GeneralFont)).height();
    for (int pixels : {9, 40}) {
        QFont font = this->editor->font();
        font.setPixelSize(pixels);
        this->editor->setFont(font);
        this->editor->resize(80, 2);
        const int own = QFontMetrics(font).height();
        EXPECT_EQ(this->editor->height(), own + std::min(own, system) / 4 + 4 + 2) << pixels;
    }
}

TYPED_TEST(SpinEditShared, ArrowKeysAndButtonsStepAndTheKeysGoOnToTheWindow) {
    KeyWatcher watcher;
    this->host.window.installEventFilter(&watcher);
    this->editor->setFocus();
    QTest::keyClick(this->editor, Qt::Key_Up);
    QTest::keyClick(this->editor, Qt::Key_Down);
    QTest::keyClick(this->editor, Qt::Key_Down);
    EXPECT_EQ(this->editor->ups, 1);
    EXPECT_EQ(this->editor->downs, 2);
    EXPECT_EQ(watcher.keys, (std::vector<int>{Qt::Key_Up, Qt::Key_Down, Qt::Key_Down}));

    // The press steps, the release does not.
    auto* editor = this->editor;
    for (QAbstractButton* button : {this->host.Up(), this->host.Down()}) {
        this->host.Press(button);
        const int steps = editor->ups + editor->downs;
        this->host.Release(button);
        EXPECT_EQ(editor->ups + editor->downs, steps);
    }
    EXPECT_EQ(editor->ups, 2);
    EXPECT_EQ(editor->downs, 3);
}

TYPED_TEST(SpinEditShared, HeldButtonRepeatsFirstAfterTheDelayThenAtTheInterval) {
    for (QAbstractButton* button : {this->host.Up(), this->host.Down()}) {
        EXPECT_EQ(button->autoRepeatDelay(), 400);
        EXPECT_EQ(button->autoRepeatInterval(), 100);
    }
    // The same shape on a shorter clock: repeats every 30 ms after a first wait of 300 ms.
    this->editor->SetRepeatTiming(300, 30);
    auto* editor = this->editor;
    this->host.Press(this->host.Down());
    EXPECT_EQ(editor->downs, 1);
    QTest::qWait(200);
    EXPECT_EQ(editor->downs, 1);
    // Five repeats take 420 ms at these rates, 1500 ms if they kept the first wait's pace.
    EXPECT_TRUE(QTest::qWaitFor([editor] { return editor->downs >= 6; }, 1000));
    this->host.Release(this->host.Down());
    const int held = editor->downs;
    QTest::qWait(100);
    EXPECT_EQ(editor->downs, held);
    EXPECT_EQ(editor->ups, 0);
}

TYPED_TEST(SpinEditShared, ButtonPressFocusesTheEditorOnlyWithTabStop) {
    // Steps then leave the text alone, so the selection shows what the focus did.
    this->editor->setReadOnly(true);
    for (bool tabStop : {true, false}) {
        this->editor->SetTabStop(tabStop);
        this->host.other->setFocus();
        this->host.Click(this->host.Up());
        EXPECT_EQ(this->editor->hasFocus(), tabStop) << tabStop;
        // The focus arrived with the left button held.
        EXPECT_FALSE(this->editor->hasSelectedText()) << tabStop;
    }
    // A press into the text takes the focus either way.
    this->host.other->setFocus();
    this->host.Click(this->editor, QPoint(5, this->editor->height() / 2));
    EXPECT_TRUE(this->editor->hasFocus());
}

TYPED_TEST(SpinEditShared, FocusSelectsAllUnlessTheLeftButtonBroughtIt) {
    auto* editor = this->editor;
    editor->setText("12");
    this->host.other->setFocus();
    editor->setFocus();
    EXPECT_EQ(editor->selectedText(), "12");

    this->host.other->setFocus();
    this->host.Click(editor, QPoint(5, editor->height() / 2));
    EXPECT_TRUE(editor->hasFocus());
    EXPECT_FALSE(editor->hasSelectedText());

    editor->SetAutoSelect(false);
    this->host.other->setFocus();
    QTest::keyClick(this->host.other, Qt::Key_Tab);
    EXPECT_TRUE(editor->hasFocus());
    EXPECT_FALSE(editor->hasSelectedText());
}

TYPED_TEST(SpinEditShared, PasteAndCutOnlyWhenTheEditorIsEnabledAndWritable) {
    struct Row {
        const char* name;
        bool editorEnabled, readOnly, allowed;
    };
    const Row rows[] = {
        {"Enabled", true, false, true},
        {"EditorDisabled", false, false, false},
        {"ReadOnly", true, true, false},
        {"Both", false, true, false},
    };
    auto* editor = this->editor;
    QClipboard* clipboard = QGuiApplication::clipboard();
    for (const Row& row : rows) {
        editor->SetEditorEnabled(row.editorEnabled);
        editor->setReadOnly(row.readOnly);
        editor->setFocus();

        clipboard->setText("7");
        editor->setText("12");
        editor->selectAll();
        QTest::keyClick(editor, Qt::Key_X, Qt::ControlModifier);
        EXPECT_EQ(editor->text(), row.allowed ? "" : "12") << row.name;
        EXPECT_EQ(clipboard->text(), row.allowed ? "12" : "7") << row.name;

        clipboard->setText("7");
        editor->setText("12");
        editor->selectAll();
        QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(editor->text(), row.allowed ? "7" : "12") << row.name;

        // The context menu offers them alike.
        editor->selectAll();
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(5, 5),
                                    editor->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(editor, &menuEvent);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr) << row.name;
        for (QAction* action : menu->actions()) {
            if (action->text().startsWith("Cu&t") || action->text().startsWith("&Paste")) {
                EXPECT_EQ(action->isEnabled(), row.allowed)
                    << row.name << " " << action->text().toStdString();
            }
        }
        menu->close();
        EXPECT_EQ(editor->isReadOnly(), row.readOnly) << row.name;
    }

    // A paste is held to MaxLength as typing is, whichever way it comes.
    editor->SetEditorEnabled(true);
    editor->setReadOnly(false);
    editor->SetMaxLength(2);
    clipboard->setText("12345");
    editor->setText("7");
    editor->selectAll();
    QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(editor->text(), "7");
    editor->paste(); // as the context menu does
    EXPECT_EQ(editor->text(), "7");
}

// ---------------------------------------------------------------------------------------------
// The integer and the float editor.

template <typename Editor> class NumberSpinEdit : public ::testing::Test {
protected:
    using Number = decltype(std::declval<Editor>().Value());
    SpinHost<Editor> host;
    Editor* editor = host.editor;

    void Limit(Number low, Number high) {
        editor->SetMinValue(low);
        editor->SetMaxValue(high);
    }
};
using NumberEditors = ::testing::Types<TSpinEdit, TFSpinEdit>;
TYPED_TEST_SUITE(NumberSpinEdit, NumberEditors, EditorNames);

TYPED_TEST(NumberSpinEdit, TypedCharactersPassTheNumberFilterOrBeep) {
    struct Row {
        const char* name;
        bool editorEnabled;
        char ascii; // typed as a character, or else the key
        Qt::Key key;
        const char* text; // after typing at 1|2
        int beeps;
    };
    const Row rows[] = {
        {"Digit", true, '7', {}, "172", 0},
        {"Plus", true, '+', {}, "1+2", 0},
        {"Minus", true, '-', {}, "1-2", 0},
        {"Point", true, '.', {}, "1.2", 0},
        {"Letter", true, 'a', {}, "12", 1},
        {"Exponent", true, 'e', {}, "12", 1},
        {"Comma", true, ',', {}, "12", 1},
        {"Blank", true, ' ', {}, "12", 1},
        {"Enter", true, 0, Qt::Key_Return, "12", 1},
        {"Backspace", true, 0, Qt::Key_Backspace, "2", 0},
        {"Delete", true, 0, Qt::Key_Delete, "1", 0},
        {"DigitWhenDisabled", false, '7', {}, "12", 1},
        {"PointWhenDisabled", false, '.', {}, "12", 1},
        {"BackspaceWhenDisabled", false, 0, Qt::Key_Backspace, "12", 1},
        {"DeleteWhenDisabled", false, 0, Qt::Key_Delete, "12", 1},
        {"EscapeWhenDisabled", false, 0, Qt::Key_Escape, "12", 0},
        {"EnterWhenDisabled", false, 0, Qt::Key_Return, "12", 1},
    };
    auto* editor = this->editor;
    editor->setFocus();
    for (const Row& row : rows) {
        editor->SetEditorEnabled(row.editorEnabled);
        editor->setText("12");
        editor->setCursorPosition(1);
        this->host.beeps = 0;
        if (row.ascii)
            QTest::keyClick(editor, row.ascii);
        else
            QTest::keyClick(editor, row.key);
        EXPECT_EQ(editor->text(), row.text) << row.name;
        EXPECT_EQ(this->host.beeps, row.beeps) << row.name;
    }
}

TYPED_TEST(NumberSpinEdit, AKeyThatEndedTheEditBeforeArrivingIsNotTyped) {
    // As the window's key preview does with Enter: it takes the focus away first.
    class EndOnEnter : public QObject {
    public:
        explicit EndOnEnter(QWidget* next) : next_(next) {}
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::KeyPress &&
                static_cast<QKeyEvent*>(event)->key() == Qt::Key_Return)
                next_->setFocus();
            return false;
        }

    private:
        QWidget* next_;
    } preview(this->host.other);
    this->editor->installEventFilter(&preview);
    this->editor->setFocus();
    QTest::keyClick(this->editor, Qt::Key_Return);
    EXPECT_FALSE(this->editor->hasFocus());
    EXPECT_EQ(this->host.beeps, 0);
}

TYPED_TEST(NumberSpinEdit, TypingStopsAtMaxLengthButTheProgramsTextStaysWhole) {
    auto* editor = this->editor;
    editor->SetMaxLength(3);
    editor->setFocus();
    editor->selectAll();
    QTest::keyClicks(editor, "12345");
    EXPECT_EQ(editor->text(), "123");
    QTest::keyClick(editor, Qt::Key_Backspace);
    EXPECT_EQ(editor->text(), "12");
    editor->SetValue(12345);
    EXPECT_EQ(editor->Value(), 12345);
    EXPECT_EQ(this->host.beeps, 0);
}

TYPED_TEST(NumberSpinEdit, WritingClampsUnlessTheLimitsAreEqual) {
    struct Row {
        const char* name;
        int low, high, written, shown;
    };
    const Row rows[] = {
        {"NoLimits", 0, 0, -7, -7},
        {"EqualLimits", 3, 3, 99, 99},
        {"BelowMin", 1, 5, 0, 1},
        {"AboveMax", 1, 5, 9, 5},
        {"Within", 1, 5, 3, 3},
        {"CrossedLimitsBelowMin", 5, 1, 3, 5},
        {"CrossedLimitsAboveMin", 5, 1, 9, 1},
    };
    for (const Row& row : rows) {
        this->Limit(row.low, row.high);
        this->editor->SetValue(row.written);
        EXPECT_EQ(this->editor->Value(), row.shown) << row.name;
    }
}

TYPED_TEST(NumberSpinEdit, SteppingStopsAtTheLimitsWithoutAChange) {
    auto* editor = this->editor;
    this->Limit(1, 5);
    editor->SetIncrement(3);
    editor->SetValue(4);
    QSignalSpy changes(editor, &TSpinEditBase::Change);
    editor->StepUp();
    EXPECT_EQ(editor->Value(), 5);
    EXPECT_EQ(changes.count(), 1);
    editor->StepUp();
    EXPECT_EQ(editor->Value(), 5);
    EXPECT_EQ(changes.count(), 1);

    editor->SetValue(2);
    changes.clear();
    editor->StepDown();
    EXPECT_EQ(editor->Value(), 1);
    editor->StepDown();
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(this->host.beeps, 0);
}

TYPED_TEST(NumberSpinEdit, ReadOnlyStepsOnlyBeep) {
    auto* editor = this->editor;
    editor->SetValue(3);
    const QString text = editor->text();
    editor->setReadOnly(true);
    editor->setFocus();
    QSignalSpy changes(editor, &TSpinEditBase::Change);
    QTest::keyClick(editor, Qt::Key_Up);
    QTest::keyClick(editor, Qt::Key_Down);
    this->host.Click(this->host.Up());
    this->host.Click(this->host.Down());
    EXPECT_EQ(this->host.beeps, 4);
    EXPECT_EQ(editor->text(), text);
    EXPECT_EQ(changes.count(), 0);
}

TYPED_TEST(NumberSpinEdit, LeavingPullsAValueOutsideTheLimitsBack) {
    struct Row {
        const char* name;
        int low, high;
        const char* typed;
        int settled;
        bool textKept;
    };
    const Row rows[] = {
        {"AboveMax", 1, 5, "9", 5, false}, {"BelowMin", 1, 5, "-3", 1, false},
        {"Within", 1, 5, "3", 3, true},    {"NoNumberReadsAsMin", 2, 5, "abc", 2, true},
        {"NoLimits", 0, 0, "9", 9, true},
    };
    auto* editor = this->editor;
    for (const Row& row : rows) {
        this->Limit(row.low, row.high);
        editor->setText(row.typed);
        const auto settled = editor->SettledValue();
        EXPECT_EQ(settled, row.settled) << row.name;
        this->host.FocusAndLeave();
        EXPECT_EQ(editor->Value(), settled) << row.name;
        EXPECT_EQ(editor->text() == row.typed, row.textKept) << row.name;
    }
}

TYPED_TEST(NumberSpinEdit, AMenuOrAnotherApplicationTakingTheFocusLeavesTheText) {
    auto* editor = this->editor;
    this->Limit(1, 5);
    editor->setText("9");
    editor->setFocus();
    for (Qt::FocusReason reason : {Qt::PopupFocusReason, Qt::ActiveWindowFocusReason}) {
        QFocusEvent out(QEvent::FocusOut, reason);
        QApplication::sendEvent(editor, &out);
        EXPECT_EQ(editor->text(), "9") << reason;
    }
}

// ---------------------------------------------------------------------------------------------
// The integer editor.

class SpinEditTest : public ::testing::Test {
protected:
    SpinHost<TSpinEdit> host;
    TSpinEdit* editor = host.editor;
};

TEST_F(SpinEditTest, ReadsTheIntegerInTheTextOrElseMinValue) {
    struct Row {
        const char* name;
        const char* text;
        int value;
    };
    const Row rows[] = {
        {"Plain", "12", 12},
        {"LeadingBlanks", "  12", 12},
        {"Signs", "-7", -7},
        {"PlusSign", "+3", 3},
        {"BeyondMaxUnclamped", "12", 12},
        {"TrailingBlank", "12 ", 4},
        {"Fraction", "1.5", 4},
        {"Empty", "", 4},
        {"Letters", "x", 4},
        {"BeyondTheIntegerRange", "2147483648", 4},
    };
    editor->SetMinValue(4);
    editor->SetMaxValue(9);
    for (const Row& row : rows) {
        editor->setText(row.text);
        EXPECT_EQ(editor->Value(), row.value) << row.name;
    }
}

TEST_F(SpinEditTest, WritesDecimalDigitsAndReachesItsPropertiesByName) {
    EXPECT_TRUE(editor->setProperty("Increment", 5));
    EXPECT_TRUE(editor->setProperty("Value", -42));
    EXPECT_EQ(editor->text(), "-42");
    editor->StepUp();
    EXPECT_EQ(editor->property("Value"), QVariant(-37));
}

TEST_F(SpinEditTest, SteppingSaturatesAtTheIntegerRangeInsteadOfWrapping) {
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    editor->SetIncrement(10);
    editor->SetValue(kMax - 3);
    editor->StepUp();
    EXPECT_EQ(editor->Value(), kMax);
    editor->SetValue(kMin + 3);
    editor->StepDown();
    EXPECT_EQ(editor->Value(), kMin);
}

} // namespace
} // namespace kvq
