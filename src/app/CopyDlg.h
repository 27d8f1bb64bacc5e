#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

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
// the file came from the open-file dialog. Compare With chooses the other setups with it too:
// several pages, or several files. The dialog opens centred over its window.
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

    // The next showing offers every page for one to be chosen, with nothing chosen yet.
    void ChooseOne(const QString& caption);
    // The next showing offers the pages but leftOut (-1: none), any number of them to be
    // chosen with the first chosen already (Enter takes it), or several files.
    void ChooseSeveral(const QString& caption, int leftOut);

    [[nodiscard]] QString SourceFile() const { return sourceFiles_.value(0); }
    [[nodiscard]] int SourcePage() const {
        return sourcePages_.empty() ? -1 : sourcePages_.front();
    }
    // Every file and every page chosen, in page order; no pages when the files came from the
    // open-file dialog. A pasted page's file is empty.
    [[nodiscard]] const QStringList& SourceFiles() const { return sourceFiles_; }
    [[nodiscard]] const std::vector<int>& SourcePages() const { return sourcePages_; }

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
    QStringList sourceFiles_;
    std::vector<int> sourcePages_;
    bool several_ = false;
    int leftOut_ = -1;

    QFrame* Bevel1 = nullptr;
    QListWidget* ListBox1 = nullptr;
    QPushButton* FileBtn = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
};

} // namespace kvq
