#pragma once

#include "app/CompareWindow.h"
#include "app/Platform.h"
#include "edit/FieldTable.h"
#include "import/TextImport.h"
#include "setup/SetupDocument.h"

#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <array>
#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

class QAction;
class QFrame;
class QMenu;
class QUndoStack;

namespace kvq {

class SheetView;
class TCopyDialog;
class TDiskBar;
class TDiskWatch;
class LibraryWindow;
class TFSpinEdit;
class TIniOut;
class TLSpinEdit;
class TOpenDialog;
class TPageStrip;
class TRecentFilesMenu;
class TSpinEdit;
class TSpinEditBase;

// The main window: one page per open setup on the page strip, the sheet of the page in front,
// the menus and the command letters. Its members are defined by job: Main.cpp builds the window
// and reads its keys, MainPages.cpp keeps pages and files, MainEditing.cpp edits in place,
// MainTransfer.cpp holds the commands that move setups, MainHistory.cpp a page's history (undo
// and redo, the files opened last, the file changing on disk) and MainCompare.cpp Compare With.
class TForm1 : public QMainWindow {
    Q_OBJECT
    Q_PROPERTY(int Top READ Top WRITE SetTop)
    Q_PROPERTY(int Left READ Left WRITE SetLeft)
public:
    explicit TForm1(Platform& platform, QWidget* parent = nullptr);
    ~TForm1() override;

    // The window's outer position: where the corner of its frame (title bar included) is.
    [[nodiscard]] int Top() const { return y(); }
    void SetTop(int top) { move(x(), top); }
    [[nodiscard]] int Left() const { return x(); }
    void SetLeft(int left) { move(left, y()); }

    // The pages in order: their captions and their setups.
    [[nodiscard]] int PageCount() const { return static_cast<int>(pages_.size()); }
    [[nodiscard]] QString PageCaption(int page) const;
    // The page's name where the window lists pages (the choosers, the disk bar): its caption,
    // with the file's folder where another open page has the same caption
    // ("ferrari.fe2 — spa").
    [[nodiscard]] QString PageDisplayName(int page) const;
    [[nodiscard]] const TSetup& PageSetup(int page) const {
        return *pages_.at(static_cast<std::size_t>(page));
    }
    [[nodiscard]] int CurrentPage() const;
    // The caption of the page that holds the setup; empty when none does.
    [[nodiscard]] QString SetupCaption(const TSetup& setup) const;

    [[nodiscard]] const CellMetrics& Metrics() const { return metrics_; }
    [[nodiscard]] const CurrentLimits& Limits() const { return limits_; }
    [[nodiscard]] int HoverField() const { return hoverField_; }
    // The value the sheet's field cursor is on.
    [[nodiscard]] int CursorField() const { return cursorField_; }

    // Opens each file on a page of its own, in the order given. A missing one is reported when
    // the user named it (on the command line), not when a dialog or a drop offered it.
    void OpenFiles(const QStringList& paths, bool reportMissing = true);

    // Commands and handlers. Each shows its failure in the error box and returns.
    void Open1Click();
    void Save1Click();
    void ClosePage1Click();
    // Closes the page at that index as Close does, bringing it to the front first.
    void ClosePageAt(int page);
    // Brings the next (+1) or previous (-1) page to the front, round the strip.
    void StepPage(int step);
    void HelpText1Click();
    void Exit1Click();
    void About1Click();
    void KVQDefault1Click();
    void Copy1Click();
    void Paste1Click();
    void Print1Click();
    void CopyGearbox1Click(QAction* item);
    void CompareWith1Click();
    // Compares the setup of the page in front with others in a window of its own beside this
    // one: open pages' setups, which it follows, and setups of its own shown under their
    // captions; up to six setups in all. The window opened, or null when no page is in front,
    // there is nothing to compare with, or there are too many (which the error box says).
    CompareWindow* CompareWithSetups(std::vector<CompareWindow::Column> others);
    // The setups side by side in a compare window beside this one, the first the one the others
    // are compared with; null for fewer than two or too many (which the error box says).
    CompareWindow* CompareSetups(std::vector<CompareWindow::Column> columns);
    // A file as Open reads it, with its gear count from its name and its values brought within
    // the limits in force, captioned "NAME (file)".
    [[nodiscard]] CompareWindow::NamedSetup ReadAsOpened(const QString& file) const;
    // File, Setup Library: the library window, shown and brought to the front.
    void SetupLibrary1Click();
    void Memo1Click();
    void Memo1DblClick(QPoint position);
    void Memo1MouseMove(QPoint position);
    void TabControl1Change();
    void EndEdit();
    void CancelEdit();
    void BeginEdit(SetupRecord& record, int field);
    bool CommitEdit(SetupRecord& record, int field);
    void FormatListText(const SetupRecord& record);
    void SpinEdit1Change();
    void FSpinEdit1Change();
    void LSpinEdit1Change();
    void Undo1Click();
    void Redo1Click();
    void RecentFileClick(const QString& path);
    void Reload1Click();
    void KeepVersion1Click();

signals:
    // What a page shows of its setup changed: an edit was committed, the asymmetry flipped, a
    // group copied into it, or Save renamed the page and derived its gear count again. Whatever
    // shows a setup elsewhere follows it from here.
    void SetupChanged(const kvq::TSetup* setup);
    // A page and its setup are about to go.
    void SetupClosing(const kvq::TSetup* setup);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildWindow();
    void BuildMenus();
    void BuildEditors();
    [[nodiscard]] std::array<TSpinEditBase*, 3> Editors() const;
    void BuildComponents();
    // Places the editor over the cell and gives it the focus.
    void PlaceEditor(TSpinEditBase* editor, const SheetCell& cell);
    void FormCreate();
    void FormKeyDown(QKeyEvent* event);
    // Runs the command of a command letter; true when it ran one.
    bool FormKeyPress(QKeyEvent* event);
    bool IsEditor(const QObject* object) const;
    // The keys of the sheet while it has the focus: the field cursor moves, Enter and F2 open
    // its value's editor. True when the key was the sheet's.
    bool SheetKey(QKeyEvent* event);
    void MoveFieldCursorTo(int field);
    // The range in force of a field as a tip at that point of the sheet; none for no field.
    void ShowRangeTip(int field, QPoint position);
    // Opens the editor of a field of the page in front, or flips the Y/N.
    void EditField(int field);
    bool FormCloseQuery();
    // Asks whether to save a changed page before the window closes, and saves it on Yes; false
    // when the window must stay.
    bool SaveBeforeClosing(int page);
    void FormClose();

    // Runs work and shows its failure in the error box: no exception leaves a handler.
    template <typename F> void Guard(F&& work) { platform_.Guard(this, std::forward<F>(work)); }
    void ShowError(const QString& message) { platform_.ShowError(this, message); }

    TSetup* CurrentSetup();
    void AddPage(const QString& caption, std::unique_ptr<TSetup> setup);
    void RemoveCurrentPage();
    void SelectPage(int page);
    void OpenSetupFile(const QString& path, bool reportMissing);
    void RenderSheet();
    void ShowHelpText();
    // Each tab tells its file (the tip) and whether its page is changed (the mark).
    void ShowPageStates();
    void ShowPageState(int page, const QColor& colour);
    void EnablePageCommands(bool enabled);
    bool EditorVisible() const;
    bool ClipboardHasSetup();
    void UpdatePaste();
    std::optional<QString> WriteSetup(const TSetup& setup);
    bool SaveCurrentPage();
    bool SaveCommand();
    Platform::Answer AskToSave(int page);
    [[nodiscard]] QString ProgramFolder() const;

    // The page's history (MainHistory.cpp).
    void BuildHistory();
    void AddHistory(const TSetup& setup);
    // A step to undo: the setup's record changed from before, by an edit of the named field or
    // a command; isChange tells whether it is a change to save.
    void RecordStep(TSetup& setup, const SetupRecord& before, std::string_view name, bool isChange);
    // Undoes or redoes a step of the page in front.
    void StepHistory(bool back);
    [[nodiscard]] QUndoStack* UndoStack(const TSetup* setup) const;
    void FileRead(const TSetup& setup, const SetupRecord& onDisk);
    [[nodiscard]] bool MayReplace(const TSetup& setup, const QString& path);
    void FileWritten(const TSetup& setup, const QString& path, const SetupRecord& record);
    // The undo and redo items and the disk bar follow the page in front and its open edit.
    void FollowCurrentPage();

    Platform& platform_;
    CellMetrics metrics_ = kNormalMetrics;
    bool shownBefore_ = false;
    CurrentLimits limits_;
    int hoverField_ = 0;
    int cursorField_ = 0;
    // The colour of the page marks on the tabs.
    QRgb pageMarkColour_ = 0;
    // Where the focus goes back to when the open editor closes.
    QWidget* editReturnFocus_ = nullptr;
    // The setup of the page on which the open edit began.
    TSetup* editSetup_ = nullptr;
    int importPageCounter_ = 1;
    TextImport import_;
    std::vector<std::unique_ptr<TSetup>> pages_;
    std::map<const TSetup*, QUndoStack*> undoStacks_; // owned by the window

    QWidget* client_ = nullptr;
    TPageStrip* TabControl1 = nullptr;
    QFrame* pageFrame_ = nullptr;
    SheetView* Memo1 = nullptr;
    TSpinEdit* SpinEdit1 = nullptr;
    TFSpinEdit* FSpinEdit1 = nullptr;
    TLSpinEdit* LSpinEdit1 = nullptr;
    QMenu* File1 = nullptr;
    QMenu* Edit1 = nullptr;
    QMenu* Help1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* Open1 = nullptr;
    QAction* SetupLibrary1 = nullptr;
    QAction* Save1 = nullptr;
    QAction* SaveAs1 = nullptr;
    QAction* Close1 = nullptr;
    QAction* Print1 = nullptr;
    QAction* Exit1 = nullptr;
    QAction* Undo1 = nullptr;
    QAction* Redo1 = nullptr;
    QAction* Copy1 = nullptr;
    QAction* Paste1 = nullptr;
    QAction* CopyGearbox2 = nullptr;
    QAction* CopyChassis2 = nullptr;
    QAction* N4 = nullptr;
    QAction* KVQDefault1 = nullptr;
    QAction* About1 = nullptr;
    QAction* HelpText1 = nullptr;
    QAction* NextPage1 = nullptr;
    QAction* PreviousPage1 = nullptr;
    // Null again once the help window is gone, also while the main window is being destroyed.
    QPointer<QWidget> helpWindow_;
    QAction* ClosePage1 = nullptr;
    QAction* CopyGearbox1 = nullptr;
    QAction* CopyChassis1 = nullptr;
    QAction* CompareWith1 = nullptr;
    QAction* CompareWith2 = nullptr;
    TOpenDialog* OpenDialog1 = nullptr;
    TIniOut* IniOut1 = nullptr;
    TCopyDialog* CopyDialog = nullptr;
    TRecentFilesMenu* RecentFiles1 = nullptr;
    TDiskWatch* DiskWatch1 = nullptr;
    TDiskBar* DiskBar1 = nullptr;
    LibraryWindow* Library1 = nullptr;
};

} // namespace kvq
