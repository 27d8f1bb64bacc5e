// The main window's pages and files: the page list, open, save, close page, the close query of
// the window, and setup files dropped on it.
#include "app/Main.h"

#include "app/LocalPath.h"
#include "app/OpenDialog.h"
#include "app/PageStrip.h"
#include "app/SheetView.h"
#include "base/Utils.h"
#include "settings/IniOut.h"
#include "settings/Locations.h"
#include "setup/Sheet.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QPainter>
#include <QSignalBlocker>
#include <QUrl>

#include <algorithm>

namespace kvq {

namespace {

// A page's caption: the file's name without its folder, control characters shown escaped, as
// the questions and titles that name the page show it too.
QString CaptionOf(const QString& path) {
    return QString::fromStdString(PrintableName(FileNameOf(LocalPath(path))));
}

// The mark of a changed page on its tab: a dot, or a blank as wide, so that no tab moves when a
// page changes.
QIcon PageMark(bool changed, const QColor& colour) {
    constexpr int kSize = 16;
    QPixmap mark(kSize * 2, kSize * 2);
    mark.setDevicePixelRatio(2);
    mark.fill(Qt::transparent);
    if (changed) {
        QPainter painter(&mark);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        painter.drawEllipse(QRectF(kSize / 2.0 - 3.5, kSize / 2.0 - 3.5, 7, 7));
    }
    return QIcon(mark);
}

QString FolderShown(const QString& folder) {
    return QString::fromStdString(PrintableName(LocalPath(folder)));
}

} // namespace

QString TForm1::PageCaption(int page) const { return TabControl1->tabText(page); }

QString TForm1::PageDisplayName(int page) const {
    const QString caption = PageCaption(page);
    auto folderOf = [this](int other) {
        const std::string& file = PageSetup(other).FileName;
        return file.empty() ? QString() : QFileInfo(FromLocalPath(file)).absolutePath();
    };
    const QString folder = folderOf(page);
    if (folder.isEmpty()) return caption;
    // The folder's name tells the pages apart, or its whole path where that is the same too.
    bool shared = false;
    bool sameFolderName = false;
    for (int other = 0; other < PageCount(); ++other) {
        if (other == page || PageCaption(other) != caption) continue;
        // Pages on the same file are told apart by nothing a folder would say.
        const QString otherFolder = folderOf(other);
        if (otherFolder.isEmpty() || otherFolder == folder) continue;
        shared = true;
        sameFolderName =
            sameFolderName || QFileInfo(otherFolder).fileName() == QFileInfo(folder).fileName();
    }
    if (!shared) return caption;
    return caption + " \u2014 " +
           FolderShown(sameFolderName ? folder : QFileInfo(folder).fileName());
}

namespace {

// What a tab shows of its page, kept as the tab's data: a tab is set anew only when this
// changes, since every change of a tab lays out the whole strip again, and with thousands of
// pages that made each edit and each page opened cost as much as all of them.
struct ShownPageState {
    bool Changed = false;
    std::string FileName;
    QRgb Colour = 0;

    // Looked at where it lies, without a copy: copying each page's state made every sheet shown
    // cost as much as all pages.
    [[nodiscard]] static bool Shows(const QVariant& shown, const TSetup& setup, QRgb colour) {
        if (shown.metaType() != QMetaType::fromType<ShownPageState>()) return false;
        const auto& state = *static_cast<const ShownPageState*>(shown.constData());
        return state.Changed == setup.Changed && state.Colour == colour &&
               state.FileName == setup.FileName;
    }
};

// Every tab added, changed or removed lays the whole page strip out again while it is shown, so
// opening or closing thousands of pages cost the square of their number. Many at once are
// handled with the strip hidden (nothing is painted meanwhile); the strip lays itself out once
// when shown again, with the focus back on it if it had it.
class ManyPages {
public:
    explicit ManyPages(QTabBar* strip)
        : strip_(strip), shown_(strip->isVisible()), focused_(strip->hasFocus()) {
        if (shown_) strip_->hide();
    }
    ~ManyPages() {
        if (!shown_) return;
        strip_->show();
        if (focused_) strip_->setFocus();
    }
    ManyPages(const ManyPages&) = delete;
    ManyPages& operator=(const ManyPages&) = delete;

private:
    QTabBar* strip_;
    bool shown_;
    bool focused_;
};

} // namespace

void TForm1::ShowPageStates() {
    // Only the page in front changes, but a new colour of text is every page's.
    const QColor colour = TabControl1->palette().color(QPalette::WindowText);
    if (colour.rgba() == pageMarkColour_) {
        if (CurrentPage() >= 0) ShowPageState(CurrentPage(), colour);
        return;
    }
    pageMarkColour_ = colour.rgba();
    for (int page = 0; page < PageCount(); ++page) ShowPageState(page, colour);
}

void TForm1::ShowPageState(int page, const QColor& colour) {
    const TSetup& setup = PageSetup(page);
    if (ShownPageState::Shows(TabControl1->tabData(page), setup, colour.rgba())) return;
    TabControl1->setTabData(
        page, QVariant::fromValue(ShownPageState{setup.Changed, setup.FileName, colour.rgba()}));
    TabControl1->setTabIcon(page, PageMark(setup.Changed, colour));
    TabControl1->setTabToolTip(
        page, setup.FileName.empty()
                  ? QString("Not saved to a file")
                  : QString::fromStdString(PrintableName(
                        LocalPath(QFileInfo(FromLocalPath(setup.FileName)).absoluteFilePath()))));
    TabControl1->setAccessibleTabName(page, PageCaption(page) + (setup.Changed ? ", changed" : ""));
}

int TForm1::CurrentPage() const { return TabControl1->currentIndex(); }

TSetup* TForm1::CurrentSetup() {
    const int page = CurrentPage();
    return page >= 0 && page < PageCount() ? pages_[static_cast<std::size_t>(page)].get() : nullptr;
}

void TForm1::SelectPage(int page) {
    // A page chosen by the program renders nothing by itself.
    const QSignalBlocker blocker(TabControl1);
    TabControl1->setCurrentIndex(page);
}

void TForm1::AddPage(const QString& caption, std::unique_ptr<TSetup> setup) {
    pages_.push_back(std::move(setup));
    AddHistory(*pages_.back());
    {
        const QSignalBlocker blocker(TabControl1);
        TabControl1->addTab(PageMark(false, TabControl1->palette().color(QPalette::WindowText)),
                            caption);
    }
    SelectPage(PageCount() - 1);
}

void TForm1::RemoveCurrentPage() {
    const int page = CurrentPage();
    const TSetup* setup = pages_[static_cast<std::size_t>(page)].get();
    if (setup == editSetup_) CancelEdit();
    emit SetupClosing(setup);
    {
        const QSignalBlocker blocker(TabControl1);
        TabControl1->removeTab(page);
    }
    pages_.erase(pages_.begin() + page);
    // With the selected page gone, the first one comes to the front.
    if (PageCount() > 0) SelectPage(0);
}

void TForm1::EnablePageCommands(bool enabled) {
    for (QAction* a : {Close1, ClosePage1, SaveAs1, Print1, Copy1, CopyGearbox1, CopyGearbox2,
                       CopyChassis1, CopyChassis2, CompareWith1, CompareWith2})
        a->setEnabled(enabled);
}

void TForm1::RenderSheet() {
    const TSetup* setup = CurrentSetup();
    if (!setup) return;
    Memo1->SetLines(SheetLines(*setup));
    Save1->setEnabled(setup->Changed);
    ShowPageStates();
    // The field cursor stays on its value while the sheet shows it.
    const std::vector<int> fields = FieldsOnSheet(setup->GearboxKind, limits_);
    const bool shown = std::ranges::find(fields, cursorField_) != fields.end();
    MoveFieldCursorTo(shown ? cursorField_ : fields.empty() ? 0 : fields.front());
    FollowCurrentPage();
}

void TForm1::ShowHelpText() {
    Memo1->Clear();
    MoveFieldCursorTo(0);
    for (QAction* a : {Copy1, Print1, Close1, ClosePage1, Save1, SaveAs1}) a->setEnabled(false);
    FollowCurrentPage();
    Memo1->setCursor(Qt::ArrowCursor);
    const QString path = ProgramFolder() + "/Help.txt";
    Memo1->SetLines(ReadTextLines(LocalPath(path)));
}

void TForm1::OpenSetupFile(const QString& path, bool reportMissing) {
    // The page keeps the absolute name: the save dialog starts in the file's own folder, and
    // the disk watch and Recent Files know the file wherever the working folder is.
    const std::string file = AbsolutePath(LocalPath(path));
    auto setup = std::make_unique<TSetup>();
    if (!LoadSetup(*setup, file)) {
        if (reportMissing) throw KvqError(MessageName(file) + ": file not found");
        return;
    }
    const SetupRecord onDisk = setup->Record;
    Normalise(setup->Record, limits_);
    AddPage(CaptionOf(path), std::move(setup));
    EnablePageCommands(true);
    Save1->setEnabled(false);
    RenderSheet();
    FileRead(*CurrentSetup(), onDisk);
}

void TForm1::OpenFiles(const QStringList& paths, bool reportMissing) {
    const ManyPages many(TabControl1);
    for (const QString& path : paths) Guard([&] { OpenSetupFile(path, reportMissing); });
}

void TForm1::Open1Click() {
    Guard([this] {
        EndEdit();
        // Each file chosen on a page of its own, in the order given.
        OpenFiles(OpenDialog1->ExecuteSeveral(), false);
    });
}

std::optional<QString> TForm1::WriteSetup(const TSetup& setup) {
    const SetupRecord copy = setup.Record;
    const QString fileName = FromLocalPath(setup.FileName);
    const QString title = "Save " + CaptionOf(fileName) + " As";
    auto chosen = platform_.SaveFileName(this, title, kSetupFileFilter, fileName);
    if (!chosen) return std::nullopt;
    chosen = FromLocalPath(AbsolutePath(LocalPath(*chosen)));
    if (!MayReplace(setup, *chosen)) return std::nullopt;
    WriteSetupFile(LocalPath(*chosen), copy, platform_.Files());
    FileWritten(setup, *chosen, copy);
    return chosen;
}

bool TForm1::SaveCurrentPage() {
    TSetup* setup = CurrentSetup();
    const auto written = WriteSetup(*setup);
    if (written) {
        setup->FileName = LocalPath(*written);
        setup->Changed = false;
        TabControl1->setTabText(CurrentPage(), CaptionOf(*written));
        setup->GearboxKind = GearboxKindFromFileName(setup->FileName);
        emit SetupChanged(setup);
    }
    return written.has_value();
}

bool TForm1::SaveCommand() {
    EndEdit();
    if (!CurrentSetup()) return false;
    bool saved = false;
    try {
        saved = SaveCurrentPage();
    } catch (...) {
        RenderSheet();
        throw;
    }
    RenderSheet();
    return saved;
}

void TForm1::Save1Click() {
    Guard([this] { SaveCommand(); });
}

Platform::Answer TForm1::AskToSave(int page) {
    return platform_.Question(this, "Setup Changed",
                              "Setup " + PageCaption(page) + " changed - Do you wish to save?");
}

void TForm1::ClosePage1Click() {
    Guard([this] {
        EndEdit();
        TSetup* setup = CurrentSetup();
        if (!setup) return;
        if (setup->Changed) {
            const auto answer = AskToSave(CurrentPage());
            if (answer == Platform::Answer::Cancel) return;
            // A save that is cancelled or fails keeps the page: changes go only when the user
            // says No.
            if (answer == Platform::Answer::Yes && !WriteSetup(*setup)) return;
        }
        RemoveCurrentPage();
        if (PageCount() == 0) {
            for (QAction* a : {CopyGearbox1, CopyGearbox2, CopyChassis1, CopyChassis2, CompareWith1,
                               CompareWith2})
                a->setEnabled(false);
        }
        TabControl1Change();
    });
}

void TForm1::ClosePageAt(int page) {
    Guard([this, page] {
        EndEdit();
        if (page < 0 || page >= PageCount()) return;
        // The page asked about is the one in front.
        if (page != CurrentPage()) TabControl1->setCurrentIndex(page);
        ClosePage1Click();
    });
}

void TForm1::StepPage(int step) {
    Guard([this, step] {
        EndEdit();
        if (PageCount() < 2) return;
        TabControl1->setCurrentIndex((CurrentPage() + step + PageCount()) % PageCount());
    });
}

void TForm1::TabControl1Change() {
    Guard([this] {
        EndEdit();
        if (PageCount() > 0)
            RenderSheet();
        else
            ShowHelpText();
    });
}

void TForm1::Exit1Click() {
    Guard([this] {
        EndEdit();
        close();
    });
}

bool TForm1::FormCloseQuery() {
    // However the window is asked to close, an open edit goes into its own page before any
    // question about that page.
    EndEdit();
    for (int page = 0; page < PageCount(); ++page) {
        SelectPage(page);
        if (!pages_[static_cast<std::size_t>(page)]->Changed) continue;
        if (!SaveBeforeClosing(page)) {
            // The page asked about stays in front, and everything acts on what it shows.
            RenderSheet();
            return false;
        }
    }
    const ManyPages many(TabControl1);
    while (PageCount() > 0) {
        SelectPage(0);
        RemoveCurrentPage();
    }
    return true;
}

bool TForm1::SaveBeforeClosing(int page) {
    switch (AskToSave(page)) {
    case Platform::Answer::Cancel: return false;
    case Platform::Answer::Yes: {
        // As on Close page, the window stays open when the setup was not written.
        bool saved = false;
        Guard([&] { saved = SaveCommand(); });
        return saved;
    }
    case Platform::Answer::No: break;
    }
    return true;
}

void TForm1::FormClose() {
    import_.FreeVocabularies();
    MakeFolderFor(LocalPath(IniOut1->FileName()));
    IniOut1->SaveSettings();
}

namespace {

// The files of a drop that can be setups: local files that are not folders, in the order given.
QStringList DroppedFiles(const QMimeData* data) {
    QStringList files;
    if (!data || !data->hasUrls()) return files;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) continue;
        const QString path = url.toLocalFile();
        if (!QFileInfo(path).isDir()) files << path;
    }
    return files;
}

} // namespace

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedFiles(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
    const QStringList files = DroppedFiles(event->mimeData());
    if (files.isEmpty()) return;
    event->acceptProposedAction();
    // As Open: the edit ends first, then each file opens on a page of its own.
    Memo1Click();
    OpenFiles(files, false);
}

} // namespace kvq
