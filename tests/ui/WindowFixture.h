#pragma once

#include "../core/TestFiles.h"
#include "ScriptedPlatform.h"
#include "app/Main.h"
#include "app/SheetView.h"
#include "import/ImportTemplate.h"

#include <QAction>
#include <QApplication>
#include <QMouseEvent>
#include <QTabBar>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace kvq::test {

// A main window over a scripted desktop, its program in a folder of the test's own that holds
// the help text.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::copy_file(SourceDir() / "src/app/resources/Help.txt", dir.Path() / "Help.txt");
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

    // The bytes of the example setup once opened: normalised.
    static std::vector<std::uint8_t> NormalisedExampleBytes() {
        SetupRecord record = ImportTemplate();
        Normalise(record, CurrentLimits{});
        return {record.ToBytes().begin(), record.ToBytes().end()};
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
        platform.openAnswers.push_back(QString::fromStdString(path));
        Window().Open1Click();
    }

    // Marks a page as changed, as a committed edit would, and shows the page in front again.
    void MarkChanged(int page) {
        const_cast<TSetup&>(Window().PageSetup(page)).Changed = true;
        Window().TabControl1Change();
    }

    void MoveMouse(QWidget* widget, QPoint at) {
        QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(widget, &move);
    }

    // The middle of the character cell at row, column of the sheet view.
    QPoint Cell(int row, int column) {
        const CellMetrics& m = Window().Metrics();
        return {column * m.CharWidth + m.CharWidth / 2, row * m.LineHeight + m.LineHeight / 2};
    }

    TempDir dir;
    ScriptedPlatform platform;
    std::unique_ptr<TForm1> window;
};

} // namespace kvq::test
