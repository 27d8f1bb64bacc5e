#pragma once

#include "QtPrinters.h"
#include "edit/SpinEdit.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace kvq::test {

// A shown, active window holding the editor under test beside a plain line edit that can take
// the focus from it. Beeps are counted instead of sounded.
template <typename Editor> class SpinHost {
public:
    SpinHost() {
        editor->SetBeep([this] { ++beeps; });
        editor->setGeometry(10, 10, 80, 24);
        other->setGeometry(10, 60, 80, 24);
        window.resize(200, 100);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    [[nodiscard]] QAbstractButton* Button(const char* name) const {
        return editor->template findChild<QAbstractButton*>(QString::fromLatin1(name));
    }
    [[nodiscard]] QAbstractButton* Up() const { return Button("UpButton"); }
    [[nodiscard]] QAbstractButton* Down() const { return Button("DownButton"); }

    // A press as the system delivers it, so the application knows which button is held.
    void Press(QWidget* target, QPoint at = {}) {
        QTest::mousePress(window.windowHandle(), Qt::LeftButton, {}, WindowPoint(target, at));
    }
    void Release(QWidget* target, QPoint at = {}) {
        QTest::mouseRelease(window.windowHandle(), Qt::LeftButton, {}, WindowPoint(target, at));
    }
    void Click(QWidget* target, QPoint at = {}) {
        Press(target, at);
        Release(target, at);
    }

    // Focus on the editor, then on the other line edit: the editor loses it as to a click
    // elsewhere.
    void FocusAndLeave() {
        editor->setFocus();
        other->setFocus(Qt::MouseFocusReason);
    }

    QWidget window;
    Editor* editor = new Editor(&window);
    QLineEdit* other = new QLineEdit(&window);
    int beeps = 0;

private:
    QPoint WindowPoint(QWidget* target, QPoint at) const {
        return target->mapTo(&window, at.isNull() ? target->rect().center() : at);
    }
};

} // namespace kvq::test
