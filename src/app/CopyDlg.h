#pragma once

#include <QDialog>
#include <QString>

#include <functional>
#include <vector>

class QFrame;
class QListWidget;
class QPushButton;

namespace kvq {

class TOpenDialog;

// Picks the setup file that Copy Gearbox or Copy Chassis takes a group from: one of the open
// pages, or any file through the window's open-file dialog. Closed with OK, SourceFile names the
// file, or is empty when there is nothing to copy from; SourcePage is the page chosen, or -1 when
// the file came from the open-file dialog. Compare With chooses the other setup with it too.
class TCopyDialog : public QDialog {
    Q_OBJECT
public:
    // An open page: its caption and its document's file name, empty for a pasted page.
    struct Page {
        QString Caption;
        QString FileName;
    };
    // The pages open at the moment, in page order.
    using PageList = std::function<std::vector<Page>()>;

    TCopyDialog(TOpenDialog& openDialog, PageList pages, QWidget* parent = nullptr);

    [[nodiscard]] QString SourceFile() const { return sourceFile_; }
    [[nodiscard]] int SourcePage() const { return sourcePage_; }

    void FormShow();
    void ListBox1Click();
    void OKBtnClick();
    void CancelBtnClick();
    void FileBtnClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
    void EnableOK(bool enabled);

    TOpenDialog& openDialog_;
    PageList pages_;
    QString sourceFile_;
    int sourcePage_ = -1;

    QFrame* Bevel1 = nullptr;
    QListWidget* ListBox1 = nullptr;
    QPushButton* FileBtn = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
};

} // namespace kvq
