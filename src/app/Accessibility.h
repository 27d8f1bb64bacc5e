#pragma once

#include <QWidget>

namespace kvq {

// The area that holds the page strip, the sheet and the editors. Assistive technology sees only
// the controls in it that show: an editor that is not open is no text field of the window.
class PageArea : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
};

// Teaches Qt's accessibility the window's own widgets: the sheet with its lines as text and the
// value under its field cursor as its child, and the page area. Once per program; more calls do
// nothing.
void InstallAccessibility();

} // namespace kvq
