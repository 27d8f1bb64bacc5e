// The copy dialog: its layout, its state on every showing, and how each way of closing it sets
// the source file.

#include "app/CopyDlg.h"
#include "QtPrinters.h"
#include "ScriptedPlatform.h"
#include "app/OpenDialog.h"

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

namespace kvq::test {
namespace {

class CopyDlgTest : public ::testing::Test {
protected:
    QPushButton* Button(const char* name) { return dialog.findChild<QPushButton*>(name); }
    QListWidget* List() { return dialog.findChild<QListWidget*>("ListBox1"); }

    void Show() {
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    }
    void ClickItem(int row) {
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, {},
                          List()->visualItemRect(List()->item(row)).center());
    }
    void Click(const char* button) { QTest::mouseClick(Button(button), Qt::LeftButton); }
    void Type(Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); }

    QStringList Captions() {
        QStringList captions;
        for (int row = 0; row < List()->count(); ++row) captions << List()->item(row)->text();
        return captions;
    }

    // The state every showing starts in.
    void ExpectFreshList(const QStringList& captions) {
        EXPECT_EQ(Captions().join('|').toStdString(), captions.join('|').toStdString());
        EXPECT_TRUE(List()->selectedItems().isEmpty());
        EXPECT_FALSE(Button("OKBtn")->isEnabled());
    }

    void ExpectClosed(QDialog::DialogCode result) {
        EXPECT_TRUE(dialog.isHidden());
        EXPECT_EQ(dialog.result(), result);
    }

    ScriptedPlatform platform;
    TOpenDialog openDialog{platform, nullptr};
    std::vector<TCopyDialog::Page> pages{
        {"monza.lo3", "/kvq/monza.lo3"}, {"Import1", ""}, {"spa.fe2", "/kvq/old/spa.fe2"}};
    TCopyDialog dialog{openDialog, [this] { return pages; }};
};

TEST_F(CopyDlgTest, Layout) {
    EXPECT_EQ(dialog.objectName(), "CopyDialog");
    EXPECT_EQ(dialog.windowTitle(), "Copy");
    EXPECT_EQ(dialog.size(), QSize(217, 181));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    struct Row {
        const char* name;
        QRect geometry;
        const char* caption;
    };
    const Row rows[] = {
        {"Bevel1", {8, 8, 201, 129}, nullptr},       {"ListBox1", {16, 16, 185, 113}, nullptr},
        {"FileBtn", {7, 148, 59, 25}, "&File..."},   {"OKBtn", {79, 148, 59, 25}, "OK"},
        {"CancelBtn", {151, 148, 59, 25}, "Cancel"},
    };
    for (const Row& row : rows) {
        const auto* widget = dialog.findChild<QWidget*>(row.name);
        ASSERT_TRUE(widget) << row.name;
        EXPECT_EQ(widget->geometry(), row.geometry) << row.name;
        if (row.caption) {
            EXPECT_EQ(Button(row.name)->text(), row.caption) << row.name;
        }
    }
    EXPECT_TRUE(dialog.SourceFile().isEmpty());

    Show();
    EXPECT_EQ(dialog.frameGeometry().center(), dialog.screen()->geometry().center());
    EXPECT_EQ(List()->visualItemRect(List()->item(0)).height(), 13);
    EXPECT_EQ(List()->visualItemRect(List()->item(1)).top() -
                  List()->visualItemRect(List()->item(0)).top(),
              13);

    QStringList order;
    QWidget* widget = Button("CancelBtn");
    do {
        if (widget->focusPolicy() & Qt::TabFocus) order << widget->objectName();
        widget = widget->nextInFocusChain();
    } while (widget != Button("CancelBtn"));
    EXPECT_EQ(order.join(' ').toStdString(), "CancelBtn FileBtn OKBtn ListBox1");
}

TEST_F(CopyDlgTest, EveryShowingListsThePagesWithNothingChosen) {
    Show();
    ExpectFreshList({"monza.lo3", "Import1", "spa.fe2"});
    ClickItem(2);
    EXPECT_TRUE(Button("OKBtn")->isEnabled());
    Click("OKBtn");
    ExpectClosed(QDialog::Accepted);
    EXPECT_EQ(dialog.SourceFile().toStdString(), "/kvq/old/spa.fe2");

    pages.erase(pages.begin());
    Show();
    ExpectFreshList({"Import1", "spa.fe2"});
    // The keyboard chooses as well as the mouse.
    Type(Qt::Key_Down);
    EXPECT_EQ(List()->selectedItems().size(), 1);
    EXPECT_TRUE(Button("OKBtn")->isEnabled());
    // A pasted page has no file to copy from.
    ClickItem(0);
    Click("OKBtn");
    ExpectClosed(QDialog::Accepted);
    EXPECT_EQ(dialog.SourceFile().toStdString(), "");
}

TEST_F(CopyDlgTest, FileButtonClosesWithOKWhetherAFileIsPickedOrNot) {
    struct Row {
        const char* name;
        QString answer; // empty: the open-file dialog is cancelled
        QString sourceFile;
        QString remembered;
    };
    const Row rows[] = {
        {"picked", "/kvq/other.br3", "/kvq/other.br3", "/kvq/other.br3"},
        {"cancelled", "", "", "/kvq/earlier.lo3"},
    };
    for (const Row& row : rows) {
        openDialog.SetFileName("/kvq/earlier.lo3");
        platform.openAnswers = {row.answer};
        platform.openInitialFiles.clear();
        Show();
        ClickItem(0);
        Click("FileBtn");
        ExpectClosed(QDialog::Accepted);
        EXPECT_EQ(dialog.SourceFile().toStdString(), row.sourceFile.toStdString()) << row.name;
        EXPECT_EQ(openDialog.FileName().toStdString(), row.remembered.toStdString()) << row.name;
        EXPECT_EQ(platform.openInitialFiles.join('|').toStdString(), "/kvq/earlier.lo3")
            << row.name;
    }
}

TEST_F(CopyDlgTest, CancelEscapeAndCloseBoxCancel) {
    Show();
    ClickItem(0);
    Click("OKBtn");
    const std::function<void()> ways[] = {
        [this] { Click("CancelBtn"); },
        [this] { Type(Qt::Key_Escape); },
        [this] { dialog.close(); },
    };
    for (const auto& cancel : ways) {
        Show();
        ClickItem(2);
        cancel();
        ExpectClosed(QDialog::Rejected);
        EXPECT_EQ(dialog.SourceFile().toStdString(), "/kvq/monza.lo3") << "the last source stays";
    }
    EXPECT_TRUE(platform.openInitialFiles.isEmpty());
}

TEST_F(CopyDlgTest, EnterTakesOKOnceAPageIsChosenAndFileBefore) {
    Show();
    Click("CancelBtn");
    // Every showing starts in the list, wherever the focus was when the dialog closed.
    Show();
    EXPECT_EQ(QApplication::focusWidget(), List());
    platform.openAnswers = {"/kvq/picked.bb1"};
    Type(Qt::Key_Return);
    ExpectClosed(QDialog::Accepted);
    EXPECT_EQ(platform.openInitialFiles.size(), 1);
    EXPECT_EQ(dialog.SourceFile().toStdString(), "/kvq/picked.bb1");

    Show();
    ClickItem(2);
    Type(Qt::Key_Return);
    ExpectClosed(QDialog::Accepted);
    EXPECT_EQ(platform.openInitialFiles.size(), 1) << "no open-file dialog the second time";
    EXPECT_EQ(dialog.SourceFile().toStdString(), "/kvq/old/spa.fe2");
}

} // namespace
} // namespace kvq::test
