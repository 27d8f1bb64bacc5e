#pragma once

#include "../core/TestFiles.h"
#include "QtPrinters.h"
#include "ScriptedPlatform.h"
#include "app/CopyDlg.h"
#include "app/LocalPath.h"
#include "app/Main.h"
#include "app/SheetView.h"
#include "setup/ImportTemplate.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>

namespace kvq::test {

// A main window over a scripted desktop, its program in a folder of the test's own that holds
// the help text.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::copy_file(SourceDir() / "src/app/resources/Help.txt",
                                   dir.Path() / "Help.txt");
        platform.programPath = QString::fromStdString(dir.File("kvqsetup"));
    }

    TForm1& Window() {
        if (!window) window = std::make_unique<TForm1>(platform);
        return *window;
    }

    // Shows the window and makes it the active one, as shortcuts and key preview need.
    void ShowActive() {
        Window().show();
        QApplication::setActiveWindow(&Window());
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Window()));
    }

    // Types a key where the keyboard focus is, as the user would.
    void Type(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target = QApplication::focusWidget();
        QTest::keyClick(target ? target : &Window(), static_cast<Qt::Key>(key), modifiers);
    }

    QAction* Action(const char* name) { return Window().findChild<QAction*>(name); }
    SheetView* Sheet() { return Window().findChild<SheetView*>("Memo1"); }
    QTabBar* Tabs() { return Window().findChild<QTabBar*>("TabControl1"); }
    QStringList SheetText() { return Sheet()->Lines(); }

    // A setup file in the test's folder: the example record, changed by the caller if it likes.
    std::string SetupFile(const std::string& name, const SetupRecord& record = ImportTemplate()) {
        const auto& bytes = record.ToBytes();
        WriteBytes(dir.File(name), std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
        return dir.File(name);
    }

    // Opens a file through File, Open with the dialog answering it.
    void Open(const std::string& path) {
        platform.openAnswers.push_back(FromLocalPath(path));
        Window().Open1Click();
    }

    // Points at the value at row, column of the sheet and double-clicks it, as the user would:
    // a click, then the double click, with no movement between them.
    void DoubleClickCell(int row, int column) {
        MoveMouse(Sheet(), Cell(row, column));
        QTest::mouseClick(Sheet(), Qt::LeftButton, {}, Cell(row, column));
        QTest::mouseDClick(Sheet(), Qt::LeftButton, {}, Cell(row, column));
        QTest::mouseRelease(Sheet(), Qt::LeftButton, {}, Cell(row, column));
    }

    // Changes a page as the user would: steps its steering ratio up and presses Enter.
    void MarkChanged(int page) {
        if (!Window().isActiveWindow()) ShowActive();
        if (Window().CurrentPage() != page)
            QTest::mouseClick(Tabs(), Qt::LeftButton, {}, Tabs()->tabRect(page).center());
        DoubleClickCell(1, 59);
        Type(Qt::Key_Up);
        Type(Qt::Key_Return);
        ASSERT_TRUE(Window().PageSetup(page).Changed);
    }

    // The bytes a page holds, as Save would write them.
    std::vector<std::uint8_t> PageBytes(int page) {
        const auto& bytes = Window().PageSetup(page).Record.ToBytes();
        return {bytes.begin(), bytes.end()};
    }

    void MoveMouse(QWidget* widget, QPoint at) {
        QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(widget, &move);
    }

    // Runs a command that shows the copy dialog, and answers the dialog once it shows.
    void WithCopyDialog(const std::function<void(TCopyDialog&)>& answer,
                        const std::function<void()>& command) {
        QTimer::singleShot(0, [this, answer] {
            auto* dialog = Window().findChild<TCopyDialog*>("CopyDialog");
            ASSERT_TRUE(dialog && dialog->isVisible());
            copyDialogCaptions.push_back(dialog->windowTitle());
            answer(*dialog);
        });
        command();
    }

    // Picks page `row` of the copy dialog's list and presses OK.
    static void ChoosePage(TCopyDialog& dialog, int row) {
        auto* list = dialog.findChild<QListWidget*>("ListBox1");
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(row)).center());
        QTest::mouseClick(dialog.findChild<QPushButton*>("OKBtn"), Qt::LeftButton);
    }

    // The middle of the character cell at row, column of the sheet view.
    QPoint Cell(int row, int column) {
        const CellMetrics& m = Window().Metrics();
        return {column * m.CharWidth + m.CharWidth / 2, row * m.LineHeight + m.LineHeight / 2};
    }

    TempDir dir;
    ScriptedPlatform platform;
    std::unique_ptr<TForm1> window;
    QStringList copyDialogCaptions; // the titles of the copy dialogs shown
};

} // namespace kvq::test
