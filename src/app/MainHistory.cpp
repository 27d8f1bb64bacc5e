// A page's history: undo and redo of its steps, the setup files opened and saved last, and the
// file that another program changes or removes while a page shows it.
#include "app/Main.h"

#include "app/DiskWatch.h"
#include "app/LocalPath.h"
#include "app/PageStrip.h"
#include "app/RecentFilesMenu.h"
#include "base/Utils.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QUndoCommand>
#include <QUndoStack>

#include <algorithm>
#include <filesystem>

namespace kvq {

namespace {

// One step of a page: its record before and after. It is recorded once done, so its first redo,
// which the stack runs when it takes the step, finds the record as it leaves it.
class SetupStep : public QUndoCommand {
public:
    SetupStep(TSetup& setup, const SetupRecord& before, const QString& name, bool isChange)
        : QUndoCommand(name), setup_(setup), before_(before), after_(setup.Record),
          isChange_(isChange) {}

    void undo() override { setup_.Record = before_; }
    void redo() override { setup_.Record = after_; }
    [[nodiscard]] bool IsChange() const { return isChange_; }

private:
    TSetup& setup_;
    SetupRecord before_;
    SetupRecord after_;
    bool isChange_;
};

// Whether the page holds changes not written. A page none of whose states is on a file (pasted,
// or its saved state dropped by a new step after undoing past it) does; otherwise the steps
// between the saved state and the present one decide, and flipping the asymmetry is no change.
bool ChangedSinceClean(const QUndoStack& stack) {
    const int clean = stack.cleanIndex();
    if (clean < 0) return true;
    for (int step = std::min(clean, stack.index()); step < std::max(clean, stack.index()); ++step)
        if (static_cast<const SetupStep*>(stack.command(step))->IsChange()) return true;
    return false;
}

QString FileNameShown(const QString& path) {
    return QString::fromStdString(PrintableName(FileNameOf(LocalPath(path))));
}

} // namespace

void TForm1::BuildHistory() {
    Undo1 = new QAction("&Undo", Edit1);
    Undo1->setObjectName("Undo1");
    Undo1->setShortcut(QKeySequence("Ctrl+Z"));
    Redo1 = new QAction("&Redo", Edit1);
    Redo1->setObjectName("Redo1");
    Redo1->setShortcuts({QKeySequence("Ctrl+Shift+Z"), QKeySequence("Ctrl+Y")});
    Edit1->insertActions(Copy1, {Undo1, Redo1});
    Edit1->insertSeparator(Copy1)->setObjectName("N6");
    connect(Undo1, &QAction::triggered, this, [this] { Undo1Click(); });
    connect(Redo1, &QAction::triggered, this, [this] { Redo1Click(); });

    RecentFiles1 = new TRecentFilesMenu(File1);
    QAction* exitSeparator = findChild<QAction*>("N1");
    File1->insertSeparator(exitSeparator)->setObjectName("N5");
    File1->insertMenu(exitSeparator, RecentFiles1);
    connect(RecentFiles1, &TRecentFilesMenu::FileChosen, this,
            [this](const QString& path) { RecentFileClick(path); });

    DiskWatch1 = new TDiskWatch(this);
    DiskBar1 = new TDiskBar(this);
    addToolBar(Qt::TopToolBarArea, DiskBar1);
    connect(DiskWatch1, &TDiskWatch::NoticesChanged, this, [this] { FollowCurrentPage(); });
    connect(DiskBar1, &TDiskBar::Reload, this, [this] { Reload1Click(); });
    connect(DiskBar1, &TDiskBar::Keep, this, [this] { KeepVersion1Click(); });

    // The history goes with its page.
    connect(this, &TForm1::SetupClosing, this, [this](const TSetup* setup) {
        const auto stack = undoStacks_.find(setup);
        if (stack != undoStacks_.end()) {
            delete stack->second;
            undoStacks_.erase(stack);
        }
        DiskWatch1->Forget(setup);
    });
}

void TForm1::AddHistory(const TSetup& setup) {
    auto* stack = new QUndoStack(this);
    // A page that comes in changed (a pasted one) has no state that is on a file.
    if (setup.Changed) stack->resetClean();
    undoStacks_[&setup] = stack;
}

QUndoStack* TForm1::UndoStack(const TSetup* setup) const { return undoStacks_.at(setup); }

void TForm1::RecordStep(TSetup& setup, const SetupRecord& before, std::string_view name,
                        bool isChange) {
    UndoStack(&setup)->push(new SetupStep(setup, before, QString::fromUtf8(name), isChange));
}

void TForm1::StepHistory(bool back) {
    // Like every command, this ends an open edit first: a value just stepped is the step undone.
    EndEdit();
    TSetup* setup = CurrentSetup();
    if (!setup) return;
    QUndoStack* stack = UndoStack(setup);
    if (back ? !stack->canUndo() : !stack->canRedo()) return;
    back ? stack->undo() : stack->redo();
    setup->Changed = ChangedSinceClean(*stack);
    RenderSheet();
    emit SetupChanged(setup);
}

void TForm1::Undo1Click() {
    Guard([this] { StepHistory(true); });
}

void TForm1::Redo1Click() {
    Guard([this] { StepHistory(false); });
}

void TForm1::FollowCurrentPage() {
    const TSetup* setup = CurrentSetup();
    const QUndoStack* stack = setup ? UndoStack(setup) : nullptr;
    // "&Undo Steering Ratio": the item names the step it takes.
    auto follow = [](QAction* item, const QString& verb, bool can, QString step) {
        item->setEnabled(can);
        item->setText(can && !step.isEmpty() ? verb + " " + step.replace("&", "&&") : verb);
    };
    // An open edit is a step to undo once Undo has ended it.
    follow(Undo1, "&Undo", stack && (stack->canUndo() || EditorVisible()),
           stack ? stack->undoText() : QString());
    follow(Redo1, "&Redo", stack && stack->canRedo(), stack ? stack->redoText() : QString());
    // The name that tells the page from the others is looked for only when there is news.
    const FileState notice = setup ? DiskWatch1->NoticeOf(setup) : FileState::Same;
    DiskBar1->ShowNotice(notice,
                         notice == FileState::Same ? QString() : PageDisplayName(CurrentPage()));
}

void TForm1::FileRead(const TSetup& setup, const SetupRecord& onDisk) {
    const QString path = FromLocalPath(setup.FileName);
    RecentFiles1->Add(QFileInfo(path).absoluteFilePath());
    DiskWatch1->Follow(&setup, setup.FileName, onDisk);
}

bool TForm1::MayReplace(const TSetup& setup, const QString& path) {
    const std::string file = LocalPath(path);
    // What another program wrote since this one last read or wrote the file: the user decides.
    if (DiskWatch1->ChangedSinceKnown(&setup, file))
        return platform_.Confirm(this, kApplicationTitle,
                                 FileNameShown(path) +
                                     " was changed on disk since you opened it. Replace it?");
    // Another setup the user happened to pick is not replaced without a word; the page's own
    // file is.
    std::error_code error;
    if (std::filesystem::is_regular_file(sys::NativePath(file), error) &&
        !SameFile(file, setup.FileName))
        return platform_.Confirm(this, kApplicationTitle,
                                 FileNameShown(path) + " already exists. Replace it?");
    return true;
}

void TForm1::FileWritten(const TSetup& setup, const QString& path, const SetupRecord& record) {
    UndoStack(&setup)->setClean();
    // Only a regular file is a file the page shows: a setup written to a device or a pipe is not
    // watched, nor offered again.
    std::error_code error;
    if (!std::filesystem::is_regular_file(sys::NativePath(LocalPath(path)), error)) {
        DiskWatch1->Forget(&setup);
        return;
    }
    RecentFiles1->Add(QFileInfo(path).absoluteFilePath());
    DiskWatch1->Follow(&setup, LocalPath(path), record);
}

void TForm1::RecentFileClick(const QString& path) {
    Guard([&] {
        EndEdit();
        // As a file named on the command line: the user named it, so a missing one is told.
        try {
            OpenSetupFile(path, true);
        } catch (...) {
            RecentFiles1->Remove(path);
            throw;
        }
    });
}

void TForm1::Reload1Click() {
    Guard([this] {
        EndEdit();
        TSetup* setup = CurrentSetup();
        if (!setup) return;
        // Gone meanwhile: the watcher is about to say so.
        TSetup fresh;
        if (!LoadSetup(fresh, setup->FileName)) return;
        const SetupRecord onDisk = fresh.Record;
        Normalise(fresh.Record, limits_);
        // A step of the page's history, whose state is the file's: Undo Reload brings the
        // page's edits back, still to save.
        const SetupRecord before = setup->Record;
        setup->Record = fresh.Record;
        setup->GearboxKind = fresh.GearboxKind;
        if (setup->Record != before) RecordStep(*setup, before, "Reload", true);
        UndoStack(setup)->setClean();
        setup->Changed = false;
        DiskWatch1->Follow(setup, setup->FileName, onDisk);
        RenderSheet();
        emit SetupChanged(setup);
    });
}

void TForm1::KeepVersion1Click() {
    Guard([this] {
        EndEdit();
        TSetup* setup = CurrentSetup();
        if (!setup) return;
        DiskWatch1->Acknowledge(setup);
        // The page holds the only copy of its version now: a change to save, whatever is undone.
        UndoStack(setup)->resetClean();
        setup->Changed = true;
        RenderSheet();
    });
}

} // namespace kvq
