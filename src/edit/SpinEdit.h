#pragma once

#include <QLineEdit>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>

class QToolButton;

namespace kvq {

// The text preceded by blanks up to width characters. A longer text is kept whole: cutting it
// would show another number.
[[nodiscard]] QString JustifyRight(const QString& text, int width);

// A one-line edit with a pair of small auto-repeating up/down buttons at its right edge, shared
// by the three spin editors. It owns the buttons and their repeat, the arrow keys, the filter of
// typed characters, the gate on paste and cut, the focus rules and the minimum height; what a
// step does is the editor's own.
//
// Text changes are announced by Change, whether typed, stepped or set by the program.
class TSpinEditBase : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(bool EditorEnabled READ EditorEnabled WRITE SetEditorEnabled)
    Q_PROPERTY(bool AutoSelect READ AutoSelect WRITE SetAutoSelect)
    Q_PROPERTY(bool TabStop READ TabStop WRITE SetTabStop)
    Q_PROPERTY(int MaxLength READ MaxLength WRITE SetMaxLength)
public:
    static constexpr int kButtonWidth = 15;
    static constexpr int kButtonPairHeight = 17;
    // Between the end of the text area and the buttons.
    static constexpr int kTextGap = 2;
    static constexpr int kFirstRepeatMs = 400;
    static constexpr int kNextRepeatMs = 100;

    explicit TSpinEditBase(QWidget* parent = nullptr);

    // One step; the up button and the Up key call StepUp, the down button and the Down key
    // StepDown.
    virtual void StepUp() = 0;
    virtual void StepDown() = 0;
    // Whether a typed character may reach the text. Any character by default.
    [[nodiscard]] virtual bool AcceptsChar(QChar c) const;

    // Whether the text may be typed into, pasted into or cut from.
    [[nodiscard]] bool EditorEnabled() const { return editorEnabled_; }
    void SetEditorEnabled(bool enabled) { editorEnabled_ = enabled; }
    // Select the whole text when the focus arrives other than by a left-button press.
    [[nodiscard]] bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool on) { autoSelect_ = on; }
    // Reachable by Tab, and focused by a press on its buttons. Without it the editor still takes
    // the focus from a press into its text or from the program.
    [[nodiscard]] bool TabStop() const;
    void SetTabStop(bool on);
    // The most characters the user may type; 0 for no limit. Unlike QLineEdit::maxLength (left
    // at Qt's default) it never cuts a text that the program sets.
    [[nodiscard]] int MaxLength() const { return maxLength_; }
    void SetMaxLength(int length) { maxLength_ = length; }

    // Called for every beep; the system's beep by default.
    void SetBeep(std::function<void()> beep) { beep_ = std::move(beep); }
    // The delay before a held button first repeats and the interval of the repeats after it.
    void SetRepeatTiming(int firstMs, int nextMs);

signals:
    void Change();

protected:
    void Beep() const { beep_(); }
    // Beeps and returns true when the editor is read-only, so a step must not change anything.
    bool BeepIfReadOnly() const;

    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    [[nodiscard]] bool PasteAndCutAllowed() const { return editorEnabled_ && !isReadOnly(); }
    void PlaceButtons();
    void UpdateMinimumHeight();

    QToolButton* up_;
    QToolButton* down_;
    std::function<void()> beep_;
    bool editorEnabled_ = true;
    bool autoSelect_ = true;
    int maxLength_ = 0;
    QString acceptedText_;
};

// What the integer and the float editor share: limits, reading the number from the text,
// writing it clamped, stepping by Increment, the number filter and the pull-back on leaving.
// Limits that are equal do not limit at all.
template <typename T> class TNumberSpinEdit : public TSpinEditBase {
public:
    using TSpinEditBase::TSpinEditBase;

    [[nodiscard]] T MinValue() const { return minValue_; }
    void SetMinValue(T value) { minValue_ = value; }
    [[nodiscard]] T MaxValue() const { return maxValue_; }
    void SetMaxValue(T value) { maxValue_ = value; }
    [[nodiscard]] T Increment() const { return increment_; }
    void SetIncrement(T value) { increment_ = value; }

    // The number in the text, unclamped; MinValue when the text holds no number.
    [[nodiscard]] T Value() const;
    // Clamps the number and shows it. A number that cannot be shown leaves the text as it is.
    void SetValue(T value);
    // The value the editor holds once it has lost the focus: clamped and, where the text shows
    // fewer decimals, rounded as shown.
    [[nodiscard]] T SettledValue() const;

    void StepUp() override { Step(1); }
    void StepDown() override { Step(-1); }
    // "+", "-", digits, "." and control characters other than Enter; with the editor disabled
    // only control characters that do not edit.
    [[nodiscard]] bool AcceptsChar(QChar c) const override;

protected:
    // The text that shows an already clamped value.
    [[nodiscard]] virtual QString TextOf(T value) const = 0;
    void focusOutEvent(QFocusEvent* event) override;

private:
    [[nodiscard]] static std::optional<T> Read(const QString& text);
    [[nodiscard]] T Clamp(T value) const;
    void Step(int direction);

    T minValue_{};
    T maxValue_{};
    T increment_{1};
};

extern template class TNumberSpinEdit<std::int32_t>;
extern template class TNumberSpinEdit<float>;

// The integer spin editor.
class TSpinEdit : public TNumberSpinEdit<std::int32_t> {
    Q_OBJECT
    Q_PROPERTY(int Value READ Value WRITE SetValue)
    Q_PROPERTY(int MinValue READ MinValue WRITE SetMinValue)
    Q_PROPERTY(int MaxValue READ MaxValue WRITE SetMaxValue)
    Q_PROPERTY(int Increment READ Increment WRITE SetIncrement)
public:
    using TNumberSpinEdit::TNumberSpinEdit;

protected:
    [[nodiscard]] QString TextOf(std::int32_t value) const override;
};

} // namespace kvq
