#include "edit/SpinEdit.h"

#include "base/TextFormat.h"
#include "base/Utils.h"
#include "edit/FieldEdit.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QToolButton>
#include <QValidator>

#include <algorithm>
#include <cmath>
#include <limits>
#include <type_traits>

namespace kvq {

namespace {

constexpr char16_t kEnter = u'\r';
constexpr char16_t kBackspace = u'\b';
constexpr char16_t kDelete = 0x7f;
// The up button takes the odd pixel of the pair.
constexpr int kUpButtonHeight = (TSpinEditBase::kButtonPairHeight + 1) / 2;
// A thin window border, four of which the minimum height allows for.
constexpr int kBorderWidth = 1;

bool IsControl(char16_t c) { return c < 32 || c == kDelete; }

// The characters a key would type: none while Ctrl, Alt or Meta make it a shortcut. The Delete
// key types DEL, which not every platform puts into the event.
QString TypedText(const QKeyEvent& event) {
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return {};
    if (event.key() == Qt::Key_Delete) return QString(QChar(kDelete));
    return event.text();
}

QToolButton* MakeButton(QWidget* parent, Qt::ArrowType arrow, const char* name) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setArrowType(arrow);
    button->setFocusPolicy(Qt::NoFocus);
    button->setCursor(Qt::ArrowCursor);
    button->setAutoRepeat(true);
    button->setAutoRepeatDelay(TSpinEditBase::kFirstRepeatMs);
    button->setAutoRepeatInterval(TSpinEditBase::kNextRepeatMs);
    return button;
}

// The characters of a text after the blanks that right-align it.
qsizetype NumberLength(const QString& text) {
    const auto start = std::find_if(text.begin(), text.end(), [](QChar c) { return c != u' '; });
    return text.end() - start;
}

// Holds what the user types or pastes, by any way, to MaxLength characters after the leading
// blanks. A longer text that the program set may still shrink, but not grow or change.
class RoomValidator : public QValidator {
public:
    RoomValidator(TSpinEditBase& editor, const QString& accepted)
        : QValidator(&editor), editor_(editor), accepted_(accepted) {}

    State validate(QString& input, int&) const override {
        const int room = editor_.MaxLength();
        const qsizetype length = NumberLength(input);
        const bool tooLong =
            room > 0 && length > room && length >= NumberLength(accepted_) && input != accepted_;
        return tooLong ? Invalid : Acceptable;
    }

private:
    const TSpinEditBase& editor_;
    // The text as it stood before the edit being validated.
    const QString& accepted_;
};

} // namespace

QString JustifyRight(const QString& text, int width) {
    return text.size() >= width ? text : QString(width - text.size(), u' ') + text;
}

TSpinEditBase::TSpinEditBase(QWidget* parent)
    : QLineEdit(QStringLiteral("0"), parent), up_(MakeButton(this, Qt::UpArrow, "UpButton")),
      down_(MakeButton(this, Qt::DownArrow, "DownButton")), beep_([] { QApplication::beep(); }) {
    // Dropping text would be a paste past the gate.
    setAcceptDrops(false);
    setTextMargins(0, 0, kButtonWidth + kTextGap, 0);
    // Pressed comes again with every repeat, so each press and each repeat is one step.
    connect(up_, &QAbstractButton::pressed, this, [this] { StepUp(); });
    connect(down_, &QAbstractButton::pressed, this, [this] { StepDown(); });
    acceptedText_ = text();
    setValidator(new RoomValidator(*this, acceptedText_));
    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) {
        acceptedText_ = text;
        emit Change();
    });
    UpdateMinimumHeight();
    PlaceButtons();
}

bool TSpinEditBase::AcceptsChar(QChar) const { return true; }

bool TSpinEditBase::TabStop() const { return focusPolicy() & Qt::TabFocus; }

// Qt gives the focus to the editor on a press on its buttons when its policy takes clicks, so
// without TabStop the editor has no policy and takes the focus on a press into the text itself.
void TSpinEditBase::SetTabStop(bool on) { setFocusPolicy(on ? Qt::StrongFocus : Qt::NoFocus); }

void TSpinEditBase::SetRepeatTiming(int firstMs, int nextMs) {
    for (QToolButton* button : {up_, down_}) {
        button->setAutoRepeatDelay(firstMs);
        button->setAutoRepeatInterval(nextMs);
    }
}

bool TSpinEditBase::BeepIfReadOnly() const {
    if (!isReadOnly()) return false;
    Beep();
    return true;
}

void TSpinEditBase::keyPressEvent(QKeyEvent* event) {
    // The window's key preview may have ended the edit before the key arrives here.
    if (!hasFocus()) {
        event->ignore();
        return;
    }
    if (event->key() == Qt::Key_Up) {
        StepUp();
    } else if (event->key() == Qt::Key_Down) {
        StepDown();
    } else if (event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut)) {
        if (!PasteAndCutAllowed()) return;
    } else {
        const QString typed = TypedText(*event);
        if (!std::all_of(typed.begin(), typed.end(), [this](QChar c) { return AcceptsChar(c); })) {
            Beep();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void TSpinEditBase::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    // A press into the editor places the cursor itself; focus given any other way (Tab, the
    // program) selects everything. Qt's own select-all on Tab yields to the AutoSelect setting.
    const bool pressedHere = event->reason() == Qt::MouseFocusReason &&
                             (QGuiApplication::mouseButtons() & Qt::LeftButton);
    if (autoSelect_ && !pressedHere)
        selectAll();
    else if (!autoSelect_)
        deselect();
}

void TSpinEditBase::mousePressEvent(QMouseEvent* event) {
    // Qt focuses only by the policy, which is none without TabStop.
    if (!hasFocus()) setFocus(Qt::MouseFocusReason);
    QLineEdit::mousePressEvent(event);
}

void TSpinEditBase::mouseReleaseEvent(QMouseEvent* event) {
    // The middle button pastes the selection where the system has one.
    if (event->button() == Qt::MiddleButton && !PasteAndCutAllowed()) return;
    QLineEdit::mouseReleaseEvent(event);
}

void TSpinEditBase::contextMenuEvent(QContextMenuEvent* event) {
    // Qt's standard menu offers Cut and Paste by the read-only flag alone.
    const bool readOnly = isReadOnly();
    setReadOnly(!PasteAndCutAllowed());
    QMenu* menu = createStandardContextMenu();
    setReadOnly(readOnly);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void TSpinEditBase::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    PlaceButtons();
}

void TSpinEditBase::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange) UpdateMinimumHeight();
    if (event->type() == QEvent::StyleChange) PlaceButtons();
}

void TSpinEditBase::PlaceButtons() {
    // At the right edge of the area inside the frame, centred in its height.
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QRect inner = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
    const int left = inner.right() + 1 - kButtonWidth;
    const int top = inner.top() + (inner.height() - kButtonPairHeight) / 2;
    up_->setGeometry(left, top, kButtonWidth, kUpButtonHeight);
    down_->setGeometry(left, top + kUpButtonHeight, kButtonWidth,
                       kButtonPairHeight - kUpButtonHeight);
}

void TSpinEditBase::UpdateMinimumHeight() {
    const int own = QFontMetrics(font()).height();
    const int system = QFontMetrics(QFontDatabase::systemFont(QFontDatabase::GeneralFont)).height();
    setMinimumHeight(own + std::min(own, system) / 4 + 4 * kBorderWidth + 2);
}

template <typename T> std::optional<T> TNumberSpinEdit<T>::Read(const QString& text) {
    const std::string chars = text.toStdString();
    if constexpr (std::is_same_v<T, float>) {
        // A number beyond the range of a single is no number either.
        const auto number = ParseReal(chars);
        if (!number) return std::nullopt;
        const float value = ToSingle(*number);
        return std::isfinite(value) ? std::optional<float>(value) : std::nullopt;
    } else {
        return ParseInteger(chars);
    }
}

template <typename T> T TNumberSpinEdit<T>::Value() const {
    return Read(text()).value_or(minValue_);
}

template <typename T> void TNumberSpinEdit<T>::SetValue(T value) {
    const T shown = Clamp(value);
    if constexpr (std::is_same_v<T, float>) {
        if (!std::isfinite(shown)) return;
    }
    setText(TextOf(shown));
}

template <typename T> T TNumberSpinEdit<T>::SettledValue() const {
    // The text the editor would write back, read as the editor reads it.
    const T clamped = Clamp(Value());
    return Read(TextOf(clamped)).value_or(clamped);
}

template <typename T> bool TNumberSpinEdit<T>::AcceptsChar(QChar c) const {
    const char16_t code = c.unicode();
    if (!EditorEnabled())
        return IsControl(code) && code != kEnter && code != kBackspace && code != kDelete;
    if (IsControl(code)) return code != kEnter;
    return (code >= u'0' && code <= u'9') || code == u'+' || code == u'-' || code == u'.';
}

template <typename T> void TNumberSpinEdit<T>::focusOutEvent(QFocusEvent* event) {
    TSpinEditBase::focusOutEvent(event);
    // Only a real move of the focus settles the text, not a menu or another application taking
    // it for a while.
    if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason)
        return;
    if (SettledValue() != Value()) SetValue(Value());
}

template <typename T> T TNumberSpinEdit<T>::Clamp(T value) const {
    return EditorClamp(value, minValue_, maxValue_);
}

template <typename T> void TNumberSpinEdit<T>::Step(int direction) {
    if (BeepIfReadOnly()) return;
    if constexpr (std::is_same_v<T, float>) {
        SetValue(ToSingle(double(Value()) + direction * double(increment_)));
    } else {
        constexpr std::int64_t kLow = std::numeric_limits<std::int32_t>::min();
        constexpr std::int64_t kHigh = std::numeric_limits<std::int32_t>::max();
        const std::int64_t sum = std::int64_t(Value()) + direction * std::int64_t(increment_);
        SetValue(static_cast<std::int32_t>(std::clamp(sum, kLow, kHigh)));
    }
}

template class TNumberSpinEdit<std::int32_t>;
template class TNumberSpinEdit<float>;

QString TSpinEdit::TextOf(std::int32_t value) const { return QString::number(value); }

} // namespace kvq
