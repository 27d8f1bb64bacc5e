#pragma once

#include <QTabBar>

#include <vector>

namespace kvq {

// The strip of the window's page tabs, each with its mark (an icon) and its close button, made for
// thousands of pages. A tab bar lays out every tab each time one is added, removed or changed: it
// measures every caption, and it places the close button of every tab, which measures the caption
// again. So this strip measures a caption once, when the tab gets it (on a closable tab bar of its
// own that is never shown), and draws the close buttons itself, as the style draws a tab bar's
// own, instead of keeping a button for each tab.
//
// Tabs are added, removed and captioned through the strip's own calls below, which keep the
// measures in step with the tabs. A click on a tab's close button asks to close it
// (tabCloseRequested).
class TPageStrip : public QTabBar {
public:
    explicit TPageStrip(QWidget* parent);

    int addTab(const QIcon& mark, const QString& caption);
    void removeTab(int index);
    void setTabText(int index, const QString& caption);
    // Where the tab's close button is drawn.
    [[nodiscard]] QRect CloseButtonRect(int index) const;

protected:
    [[nodiscard]] QSize tabSizeHint(int index) const override;
    [[nodiscard]] QSize minimumTabSizeHint(int index) const override;
    void initStyleOption(QStyleOptionTab* option, int index) const override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    class Ruler;

    struct Measured {
        QSize Size;
        QSize Minimum;
    };
    [[nodiscard]] const Measured& MeasuredOf(int index) const;

    [[nodiscard]] bool CloseOnTheLeft() const;
    [[nodiscard]] QSize CloseSize() const;
    // The tab whose close button is at the point, or -1.
    [[nodiscard]] int CloseAt(QPoint point) const;
    void Hover(int index);

    Ruler* ruler_;
    // Each tab's measures, in the order of the tabs.
    mutable std::vector<Measured> measured_;
    int hovered_ = -1;
    int pressed_ = -1;
};

} // namespace kvq
