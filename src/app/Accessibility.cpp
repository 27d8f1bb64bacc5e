#include "app/Accessibility.h"

#include "app/SheetView.h"

#include <QAccessibleObject>
#include <QAccessibleWidget>

namespace kvq {

namespace {

// The value under the sheet's field cursor: "Fuel, 43 gallons", the range in force as its
// description, focused while the sheet has the focus.
class FieldCursorAccessible : public QAccessibleObject {
public:
    explicit FieldCursorAccessible(SheetView* view)
        : QAccessibleObject(view->FieldCursorObject()), view_(view) {}

    [[nodiscard]] QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(view_);
    }
    [[nodiscard]] QAccessibleInterface* child(int) const override { return nullptr; }
    [[nodiscard]] int childCount() const override { return 0; }
    [[nodiscard]] int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    [[nodiscard]] QString text(QAccessible::Text kind) const override {
        switch (kind) {
        case QAccessible::Name: return view_->FieldCursorName();
        case QAccessible::Description: return view_->FieldCursorDescription();
        default: return {};
        }
    }
    [[nodiscard]] QAccessible::Role role() const override { return QAccessible::Cell; }
    [[nodiscard]] QAccessible::State state() const override {
        QAccessible::State state;
        state.focusable = true;
        state.focused = view_->hasFocus();
        state.invisible = !view_->FieldCursor();
        return state;
    }
    [[nodiscard]] QRect rect() const override {
        const auto cell = view_->FieldCursor();
        if (!cell) return {};
        const QRect local = view_->CellRect(*cell);
        return {view_->mapToGlobal(local.topLeft()), local.size()};
    }

private:
    SheetView* view_;
};

// The sheet: read-only text of its lines, with the value under the field cursor as its one
// child.
class SheetAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit SheetAccessible(SheetView* view)
        : QAccessibleWidget(view, QAccessible::EditableText) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    [[nodiscard]] QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        state.multiLine = true;
        return state;
    }
    [[nodiscard]] int childCount() const override { return View()->FieldCursor() ? 1 : 0; }
    [[nodiscard]] QAccessibleInterface* child(int index) const override {
        return index == 0 && View()->FieldCursor()
                   ? QAccessible::queryAccessibleInterface(View()->FieldCursorObject())
                   : nullptr;
    }
    [[nodiscard]] int indexOfChild(const QAccessibleInterface* child) const override {
        return child && child->object() == View()->FieldCursorObject() ? 0 : -1;
    }
    [[nodiscard]] QAccessibleInterface* focusChild() const override {
        return View()->hasFocus() ? child(0) : nullptr;
    }

    // The text: the lines, each ended by a line break.
    [[nodiscard]] QString text(int start, int end) const override {
        return Text().mid(start, end - start);
    }
    [[nodiscard]] int characterCount() const override { return static_cast<int>(Text().size()); }
    [[nodiscard]] int cursorPosition() const override {
        const auto cell = View()->FieldCursor();
        return cell ? OffsetOf(cell->Row, cell->Col) : 0;
    }
    void setCursorPosition(int) override {}
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    [[nodiscard]] int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    void scrollToSubstring(int, int) override {}
    [[nodiscard]] QString attributes(int offset, int* start, int* end) const override {
        *start = *end = offset;
        return {};
    }
    [[nodiscard]] QRect characterRect(int offset) const override {
        const QStringList& lines = View()->Lines();
        int row = 0;
        while (row < lines.size() && offset > lines[row].size()) offset -= lines[row++].size() + 1;
        const QRect cell = View()->CellRect({row, offset, 1});
        return {View()->mapToGlobal(cell.topLeft()), cell.size()};
    }
    [[nodiscard]] int offsetAtPoint(const QPoint& point) const override {
        const QPoint local = View()->mapFromGlobal(point);
        const QRect first = View()->CellRect({0, 0, 1});
        const int row = local.y() / first.height();
        const int column = local.x() / first.width();
        if (local.x() < 0 || local.y() < 0 || row >= View()->Lines().size()) return -1;
        return OffsetOf(row, std::min<int>(column, static_cast<int>(View()->Lines()[row].size())));
    }

private:
    [[nodiscard]] SheetView* View() const { return static_cast<SheetView*>(widget()); }
    [[nodiscard]] QString Text() const { return View()->Lines().join('\n') + '\n'; }
    [[nodiscard]] int OffsetOf(int row, int column) const {
        int offset = 0;
        for (int line = 0; line < row && line < View()->Lines().size(); ++line)
            offset += static_cast<int>(View()->Lines()[line].size()) + 1;
        return offset + column;
    }
};

// The page area, whose hidden children are not there for assistive technology.
class PageAreaAccessible : public QAccessibleWidget {
public:
    explicit PageAreaAccessible(QWidget* area) : QAccessibleWidget(area, QAccessible::Pane) {}

    [[nodiscard]] int childCount() const override { return static_cast<int>(Shown().size()); }
    [[nodiscard]] QAccessibleInterface* child(int index) const override {
        const QList<QWidget*> shown = Shown();
        return index >= 0 && index < shown.size()
                   ? QAccessible::queryAccessibleInterface(shown[index])
                   : nullptr;
    }
    [[nodiscard]] int indexOfChild(const QAccessibleInterface* child) const override {
        return child ? static_cast<int>(Shown().indexOf(child->object())) : -1;
    }

private:
    [[nodiscard]] QList<QWidget*> Shown() const {
        QList<QWidget*> shown;
        for (QWidget* child : widget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (!child->isHidden() && !child->isWindow()) shown << child;
        return shown;
    }
};

QAccessibleInterface* Factory(const QString&, QObject* object) {
    if (auto* view = qobject_cast<SheetView*>(object)) return new SheetAccessible(view);
    if (auto* area = qobject_cast<PageArea*>(object)) return new PageAreaAccessible(area);
    if (auto* view = qobject_cast<SheetView*>(object->parent());
        view && object == view->FieldCursorObject())
        return new FieldCursorAccessible(view);
    return nullptr;
}

} // namespace

void InstallAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(&Factory);
        return true;
    }();
    (void)installed;
}

} // namespace kvq
