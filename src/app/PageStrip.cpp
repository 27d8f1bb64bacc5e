#include "app/PageStrip.h"

#include <QEvent>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QStyleOptionTab>
#include <QToolTip>

namespace kvq {

// A closable tab bar with one tab, never shown, that measures a caption as the strip lays it out:
// with a mark and a close button.
class TPageStrip::Ruler : public QTabBar {
public:
    explicit Ruler(QWidget* strip) : QTabBar(strip) {
        hide();
        setTabsClosable(true);
        QPixmap mark(1, 1);
        mark.fill(Qt::transparent);
        addTab(QIcon(mark), QString());
    }

    [[nodiscard]] Measured Measure(const QString& caption) {
        setTabText(0, caption);
        return {tabSizeHint(0), minimumTabSizeHint(0)};
    }
};

TPageStrip::TPageStrip(QWidget* parent) : QTabBar(parent), ruler_(new Ruler(this)) {
    // The close button under the mouse is raised.
    setAttribute(Qt::WA_Hover);
}

int TPageStrip::addTab(const QIcon& mark, const QString& caption) {
    // Measured first: adding the tab lays out the strip.
    measured_.push_back(ruler_->Measure(caption));
    return QTabBar::addTab(mark, caption);
}

void TPageStrip::removeTab(int index) {
    if (index < 0 || index >= count()) return;
    measured_.erase(measured_.begin() + index);
    hovered_ = pressed_ = -1;
    QTabBar::removeTab(index);
}

void TPageStrip::setTabText(int index, const QString& caption) {
    if (index < 0 || index >= count()) return;
    measured_[static_cast<std::size_t>(index)] = ruler_->Measure(caption);
    QTabBar::setTabText(index, caption);
}

const TPageStrip::Measured& TPageStrip::MeasuredOf(int index) const {
    // Tabs added or removed past the calls above (or a new font) are measured anew, all of them.
    if (measured_.size() != static_cast<std::size_t>(count())) {
        measured_.clear();
        for (int tab = 0; tab < count(); ++tab) measured_.push_back(ruler_->Measure(tabText(tab)));
    }
    return measured_[static_cast<std::size_t>(index)];
}

QSize TPageStrip::tabSizeHint(int index) const { return MeasuredOf(index).Size; }

QSize TPageStrip::minimumTabSizeHint(int index) const { return MeasuredOf(index).Minimum; }

bool TPageStrip::CloseOnTheLeft() const {
    return style()->styleHint(QStyle::SH_TabBar_CloseButtonPosition, nullptr, this) == LeftSide;
}

QSize TPageStrip::CloseSize() const {
    return {style()->pixelMetric(QStyle::PM_TabCloseIndicatorWidth, nullptr, this),
            style()->pixelMetric(QStyle::PM_TabCloseIndicatorHeight, nullptr, this)};
}

void TPageStrip::initStyleOption(QStyleOptionTab* option, int index) const {
    QTabBar::initStyleOption(option, index);
    // The style leaves the button its room, as on a closable tab bar.
    (CloseOnTheLeft() ? option->leftButtonSize : option->rightButtonSize) = CloseSize();
}

QRect TPageStrip::CloseButtonRect(int index) const {
    QStyleOptionTab option;
    initStyleOption(&option, index);
    const QRect room = style()->subElementRect(CloseOnTheLeft() ? QStyle::SE_TabBarTabLeftButton
                                                                : QStyle::SE_TabBarTabRightButton,
                                               &option, this);
    return {room.topLeft(), CloseSize()};
}

int TPageStrip::CloseAt(QPoint point) const {
    const int tab = tabAt(point);
    return tab >= 0 && CloseButtonRect(tab).contains(point) ? tab : -1;
}

void TPageStrip::paintEvent(QPaintEvent* event) {
    QTabBar::paintEvent(event);
    QPainter painter(this);
    for (int tab = 0; tab < count(); ++tab) {
        if (!tabRect(tab).intersects(event->rect())) continue;
        QStyleOption option;
        option.initFrom(this);
        // A button of its own would have no keyboard focus, and the mouse over it only when raised.
        option.state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver);
        option.rect = CloseButtonRect(tab);
        if (!option.rect.intersects(event->rect())) continue;
        // As a tab bar's own button: raised under the mouse, sunken while pressed, and marked on
        // the current tab.
        option.state |= QStyle::State_AutoRaise;
        if (tab == pressed_) {
            option.state |= QStyle::State_Sunken;
        } else if (tab == hovered_ && isEnabled()) {
            option.state |= QStyle::State_Raised;
        }
        if (tab == currentIndex()) option.state |= QStyle::State_Selected;
        style()->drawPrimitive(QStyle::PE_IndicatorTabClose, &option, &painter, this);
    }
}

void TPageStrip::mousePressEvent(QMouseEvent* event) {
    const int tab = event->button() == Qt::LeftButton ? CloseAt(event->position().toPoint()) : -1;
    if (tab < 0) {
        QTabBar::mousePressEvent(event);
        return;
    }
    // A press on a close button closes, on release, and does not choose the tab.
    pressed_ = tab;
    update(CloseButtonRect(tab));
    event->accept();
}

void TPageStrip::mouseReleaseEvent(QMouseEvent* event) {
    if (pressed_ < 0 || event->button() != Qt::LeftButton) {
        QTabBar::mouseReleaseEvent(event);
        return;
    }
    const int tab = std::exchange(pressed_, -1);
    update(CloseButtonRect(tab));
    event->accept();
    if (CloseAt(event->position().toPoint()) == tab) emit tabCloseRequested(tab);
}

void TPageStrip::Hover(int index) {
    if (index == hovered_) return;
    if (hovered_ >= 0 && hovered_ < count()) update(CloseButtonRect(hovered_));
    hovered_ = index;
    if (hovered_ >= 0) update(CloseButtonRect(hovered_));
}

bool TPageStrip::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::HoverEnter:
    case QEvent::HoverMove:
        Hover(CloseAt(static_cast<QHoverEvent*>(event)->position().toPoint()));
        break;
    case QEvent::HoverLeave: Hover(-1); break;
    case QEvent::ToolTip: {
        const auto* help = static_cast<QHelpEvent*>(event);
        if (CloseAt(help->pos()) >= 0) {
            QToolTip::showText(help->globalPos(), "Close Tab", this);
            return true;
        }
        break;
    }
    default: break;
    }
    return QTabBar::event(event);
}

void TPageStrip::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        measured_.clear();
    QTabBar::changeEvent(event);
}

} // namespace kvq
