#include "app/LibraryWindow.h"

#include "app/LocalPath.h"
#include "app/Main.h"
#include "base/AtomicFile.h"
#include "base/Utils.h"
#include "library/LibraryCsv.h"
#include "setup/Sheet.h"

#include <QAction>
#include <QBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QThread>
#include <QTimer>
#include <QToolBar>

#include <algorithm>
#include <atomic>
#include <filesystem>

namespace kvq {

namespace {

// How long notices gather before the files they name are read: a save by rename tells a folder
// several times.
constexpr int kDueDelayMs = 150;
constexpr int kProgressIntervalMs = 100;

QString FromName(const std::string& name) {
    return QString::fromStdU16String(FileNameToUtf16(PrintableName(name)));
}

// The folders to watch, each with its root: the roots, the folders below them (links to folders
// not followed) and the folders of the entries with those between them and their roots, where
// links led.
std::map<std::string, std::string> FoldersUnder(const std::vector<std::string>& roots,
                                                const std::vector<LibraryEntry>& entries) {
    namespace fs = std::filesystem;
    std::map<std::string, std::string> folders;
    for (const std::string& root : roots) {
        std::error_code error;
        if (!fs::is_directory(sys::NativePath(root), error)) continue;
        folders.emplace(root, root);
        for (fs::recursive_directory_iterator
                 it(sys::NativePath(root), fs::directory_options::skip_permission_denied, error),
             end;
             !error && it != end; it.increment(error))
            if (it->is_directory(error) && !it->is_symlink(error))
                folders.emplace(sys::PathText(it->path()), root);
    }
    for (const LibraryEntry& entry : entries) {
        const auto root = std::ranges::find_if(
            roots, [&](const std::string& r) { return entry.Path.starts_with(JoinPath(r, "")); });
        if (root == roots.end()) continue;
        for (std::string folder = FolderOf(entry.Path);
             folder.size() > root->size() && !folders.contains(folder); folder = FolderOf(folder))
            folders.emplace(folder, *root);
    }
    return folders;
}

} // namespace

// A scan on its worker thread: the thread fills in entries, or error, and stops early once
// stopped is set.
struct LibraryWindow::Scan {
    std::vector<std::string> roots;
    CurrentLimits limits;
    std::atomic<std::size_t> found = 0;
    std::atomic<bool> stopped = false;
    std::vector<LibraryEntry> entries;
    // Every folder under the roots, links not followed, each with its root.
    std::map<std::string, std::string> folders;
    std::string error;
    std::unique_ptr<QThread> thread;
};

LibraryWindow::LibraryWindow(TForm1& form, Platform& platform)
    : QWidget(&form, Qt::Window), form_(form), platform_(platform), proxy_(&model_),
      events_([this](const std::string& folder, const std::string& name, bool gone) {
          Noticed(folder, name, gone);
      }) {
    setObjectName("Library1");
    setWindowTitle("Setup Library");
    resize(900, 560);

    auto* layout = new QVBoxLayout(this);
    auto* rootsRow = new QHBoxLayout;
    rootList_ = new QListWidget(this);
    rootList_->setObjectName("RootList1");
    rootList_->setMaximumHeight(fontMetrics().lineSpacing() * 3 + 8);
    rootList_->setAccessibleName("Folders");
    auto* add = new QPushButton("Add &Folder…", this);
    add->setObjectName("AddFolder1");
    removeFolder_ = new QPushButton("&Remove Folder", this);
    removeFolder_->setObjectName("RemoveFolder1");
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(removeFolder_);
    buttons->addStretch();
    rootsRow->addWidget(rootList_, 1);
    rootsRow->addLayout(buttons);
    layout->addLayout(rootsRow);
    connect(add, &QPushButton::clicked, this, [this] { AddFolder1Click(); });
    connect(removeFolder_, &QPushButton::clicked, this, [this] { RemoveFolder1Click(); });
    connect(rootList_, &QListWidget::currentRowChanged, this, [this] { EnableCommands(); });

    auto* filterRow = new QHBoxLayout;
    auto* filterLabel = new QLabel("F&ilter:", this);
    filter_ = new QLineEdit(this);
    filter_->setObjectName("Filter1");
    filter_->setPlaceholderText("track or car words, fuel<40, gears=6, dup …");
    filter_->setClearButtonEnabled(true);
    filterLabel->setBuddy(filter_);
    filterError_ = new QLabel(this);
    filterError_->setObjectName("FilterError1");
    QPalette errorColours = filterError_->palette();
    errorColours.setColor(QPalette::WindowText, Qt::darkRed);
    filterError_->setPalette(errorColours);
    filterRow->addWidget(filterLabel);
    filterRow->addWidget(filter_, 1);
    filterRow->addWidget(filterError_);
    layout->addLayout(filterRow);
    connect(filter_, &QLineEdit::textChanged, this, [this](const QString& t) { FilterChanged(t); });
    // Enter in the filter opens what it found: the selection, or else the first row.
    connect(filter_, &QLineEdit::returnPressed, this, [this] {
        if (!table_->selectionModel()->hasSelection() && proxy_.rowCount() > 0)
            table_->selectRow(0);
        Open1Click();
    });

    auto* tools = new QToolBar(this);
    tools->setToolButtonStyle(Qt::ToolButtonTextOnly);
    auto command = [this, tools](const char* name, const QString& text, auto handler) {
        QAction* action = tools->addAction(text);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    Open1 = command("Open1", "&Open", [this] { Open1Click(); });
    Compare1 = command("Compare1", "Co&mpare", [this] { Compare1Click(); });
    Copy1 = command("Copy1", "&Copy Sheets", [this] { Copy1Click(); });
    Normalise1 = command("Normalise1", "&Normalise…", [this] { Normalise1Click(); });
    ShowInFolder1 = command("ShowInFolder1", "Show in Fol&der", [this] { ShowInFolder1Click(); });
    ExportCsv1 = command("ExportCsv1", "&Export CSV…", [this] { ExportCsv1Click(); });
    layout->addWidget(tools);

    table_ = new QTableView(this);
    table_->setObjectName("LibraryTable1");
    table_->setModel(&proxy_);
    table_->setSortingEnabled(true);
    table_->sortByColumn(LibraryModel::Track, Qt::AscendingOrder);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setWordWrap(false);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(fontMetrics().lineSpacing() + 4);
    table_->horizontalHeader()->setHighlightSections(false);
    // Wide enough for its title and for the text a column usually holds; the settings store
    // keeps the user's widths.
    const char* const kSamples[LibraryModel::ColumnCount] = {
        "Track00 long", "Murusama", "setup00.mu3 long", "2026-12-31 23:59",
        "Gears",        "Fuel",     "00.0000",          "Brake bias",
        "0.000",        "0.000",    "Normalised"};
    const QFontMetrics header = table_->horizontalHeader()->fontMetrics();
    for (int column = 0; column < LibraryModel::ColumnCount; ++column)
        table_->setColumnWidth(
            column,
            std::max(fontMetrics().horizontalAdvance(kSamples[column]),
                     header.horizontalAdvance(
                         model_.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString())) +
                fontMetrics().averageCharWidth() * 4);
    layout->addWidget(table_, 1);
    connect(table_, &QTableView::doubleClicked, this, [this] { Open1Click(); });
    connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { EnableCommands(); });
    // Enter opens and Ctrl+C copies where the table has the focus.
    Open1->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    Copy1->setShortcut(QKeySequence::Copy);
    for (QAction* action : {Open1, Copy1}) {
        action->setShortcutContext(Qt::WidgetShortcut);
        table_->addAction(action);
    }
    auto* close = new QAction(this);
    close->setShortcut(Qt::Key_Escape);
    connect(close, &QAction::triggered, this, &QWidget::close);
    addAction(close);

    auto* statusRow = new QHBoxLayout;
    status_ = new QLabel(this);
    status_->setObjectName("Status1");
    progress_ = new QProgressBar(this);
    progress_->setRange(0, 0);
    progress_->setMaximumWidth(fontMetrics().averageCharWidth() * 20);
    progress_->hide();
    statusRow->addWidget(status_, 1);
    statusRow->addWidget(progress_);
    layout->addLayout(statusRow);

    dueTimer_ = new QTimer(this);
    dueTimer_->setSingleShot(true);
    dueTimer_->setInterval(kDueDelayMs);
    connect(dueTimer_, &QTimer::timeout, this, [this] { ReadDue(); });
    rescanTimer_ = new QTimer(this);
    rescanTimer_->setSingleShot(true);
    rescanTimer_->setInterval(kDueDelayMs);
    connect(rescanTimer_, &QTimer::timeout, this, [this] { Rescan(); });
    progressTimer_ = new QTimer(this);
    progressTimer_->setInterval(kProgressIntervalMs);
    connect(progressTimer_, &QTimer::timeout, this, [this] { ShowProgress(); });
    EnableCommands();
}

LibraryWindow::~LibraryWindow() {
    for (auto& scan : scans_) scan->stopped = true;
    for (auto& scan : scans_) scan->thread->wait();
}

void LibraryWindow::SetRoots(const QStringList& roots) {
    roots_ = roots;
    roots_.removeAll(QString());
    rootList_->clear();
    rootList_->addItems(roots_);
    ReadAnew();
    EnableCommands();
}

void LibraryWindow::ReadAnew() {
    scanned_ = false;
    if (isVisible()) Rescan();
}

QString LibraryWindow::ColumnWidths() const {
    QStringList widths;
    for (int column = 0; column < LibraryModel::ColumnCount; ++column)
        widths << QString::number(table_->columnWidth(column));
    return widths.join(',');
}

void LibraryWindow::SetColumnWidths(const QString& widths) {
    const QStringList parts = widths.split(',');
    for (int column = 0; column < std::min<int>(parts.size(), LibraryModel::ColumnCount);
         ++column) {
        bool ok = false;
        const int width = parts[column].trimmed().toInt(&ok);
        if (ok && width > 0) table_->setColumnWidth(column, width);
    }
}

void LibraryWindow::showEvent(QShowEvent* event) {
    // A size kept from a larger screen, or from smaller metrics, shrinks to the room this screen
    // has, its title bar and the window's frame left room too.
    if (const QScreen* screen = form_.screen()) {
        const QSize room =
            screen->availableGeometry().size() - QSize(0, 2 * QFontMetrics(font()).lineSpacing());
        resize(size().boundedTo(room));
    }
    QWidget::showEvent(event);
    if (!scanned_) Rescan();
}

void LibraryWindow::Rescan() {
    scanned_ = true;
    rescanTimer_->stop();
    for (auto& running : scans_) running->stopped = true;
    auto scan = std::make_unique<Scan>();
    for (const QString& root : roots_) scan->roots.push_back(LocalPath(root));
    scan->limits = form_.Limits();
    Scan* job = scan.get();
    scan->thread.reset(QThread::create([job] {
        try {
            job->entries = ScanLibrary(job->roots, job->limits, [job](std::size_t found) {
                job->found = found;
                return !job->stopped;
            });
            job->folders = FoldersUnder(job->roots, job->entries);
        } catch (const std::exception& e) {
            job->error = e.what();
        }
    }));
    connect(scan->thread.get(), &QThread::finished, this, [this, job] { ScanDone(*job); });
    scans_.push_back(std::move(scan));
    job->thread->start();
    progress_->show();
    progressTimer_->start();
    ShowProgress();
}

void LibraryWindow::ScanDone(Scan& scan) {
    scan.thread->wait();
    const bool latest = &scan == scans_.back().get();
    if (latest && !scan.stopped) {
        model_.SetEntries(std::move(scan.entries));
        WatchFolders(std::move(scan.folders));
        if (!scan.error.empty()) platform_.ShowError(this, QString::fromStdString(scan.error));
    }
    std::erase_if(scans_, [&](const auto& s) { return s.get() == &scan; });
    if (scans_.empty()) {
        progressTimer_->stop();
        progress_->hide();
    }
    ShowProgress();
    EnableCommands();
    if (latest) emit ScanFinished();
}

void LibraryWindow::ShowProgress() {
    if (!scans_.empty()) {
        status_->setText(QString("Scanning… %1 files").arg(scans_.back()->found.load()));
        return;
    }
    const auto& entries = model_.Entries();
    const auto setups = std::ranges::count_if(entries, &LibraryEntry::IsSetup);
    QString text = QString("%1 setups").arg(setups);
    if (setups != static_cast<long>(entries.size()))
        text += QString(", %1 other files").arg(entries.size() - static_cast<std::size_t>(setups));
    if (proxy_.rowCount() != static_cast<int>(entries.size()))
        text += QString(", %1 shown").arg(proxy_.rowCount());
    status_->setText(text);
}

void LibraryWindow::FilterChanged(const QString& text) {
    try {
        proxy_.SetFilterExpression(text);
        filterError_->clear();
    } catch (const FilterError& e) {
        filterError_->setText(FromName(e.what()));
    }
    ShowProgress();
}

void LibraryWindow::WatchFolders(std::map<std::string, std::string> folders) {
    for (const auto& [folder, root] : watched_)
        if (!folders.contains(folder)) events_.Unwatch(folder);
    watched_.clear();
    for (auto& [folder, root] : folders)
        if (events_.Watch(folder, true)) watched_.emplace(folder, std::move(root));
}

void LibraryWindow::Noticed(const std::string& folder, const std::string& name, bool gone) {
    if (!watched_.contains(folder)) return;
    const std::string path = JoinPath(folder, name);
    std::error_code error;
    const bool isFolder =
        !name.empty() && std::filesystem::is_directory(sys::NativePath(path), error);
    if (!name.empty() && !gone && !isFolder && !MakeOfFileName(name).empty()) {
        due_.insert(path);
        dueTimer_->start();
        return;
    }
    // A folder came or went, or notices were lost: the library is read anew.
    if (name.empty() || gone || isFolder ||
        std::ranges::any_of(model_.Entries(), [&](const LibraryEntry& e) {
            return e.Path.starts_with(JoinPath(path, ""));
        }))
        rescanTimer_->start();
}

void LibraryWindow::ReadDue() {
    const CurrentLimits& limits = form_.Limits();
    for (const std::string& path : std::exchange(due_, {})) {
        LibraryEntry entry = ReadLibraryEntry(RootOf(path), path, limits);
        if (entry.Problem == EntryProblem::NotFound)
            model_.RemoveEntry(path);
        else
            model_.UpdateEntry(std::move(entry));
    }
    ShowProgress();
    EnableCommands();
}

std::string LibraryWindow::RootOf(const std::string& path) const {
    std::string best;
    for (const QString& root : roots_) {
        const std::string folder = LocalPath(root);
        if ((path == folder || path.starts_with(JoinPath(folder, ""))) &&
            folder.size() > best.size())
            best = folder;
    }
    return best.empty() ? FolderOf(path) : best;
}

std::vector<const LibraryEntry*> LibraryWindow::Selected() const {
    QModelIndexList rows = table_->selectionModel()->selectedRows();
    std::ranges::sort(rows,
                      [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    std::vector<const LibraryEntry*> entries;
    for (const QModelIndex& row : rows)
        entries.push_back(
            &model_.Entries()[static_cast<std::size_t>(proxy_.mapToSource(row).row())]);
    return entries;
}

std::vector<const LibraryEntry*> LibraryWindow::SelectedSetups() const {
    std::vector<const LibraryEntry*> setups = Selected();
    std::erase_if(setups, [](const LibraryEntry* entry) { return !entry->IsSetup(); });
    return setups;
}

void LibraryWindow::EnableCommands() {
    const std::size_t setups = SelectedSetups().size();
    const bool any = table_->selectionModel()->hasSelection();
    Open1->setEnabled(any);
    Compare1->setEnabled(setups >= 2);
    for (QAction* action : {Copy1, Normalise1, ExportCsv1}) action->setEnabled(setups > 0);
    ShowInFolder1->setEnabled(any);
    removeFolder_->setEnabled(rootList_->currentRow() >= 0);
}

void LibraryWindow::AddFolder1Click() {
    platform_.Guard(this, [this] {
        const auto folder =
            platform_.FolderName(this, "Add Folder", roots_.isEmpty() ? QString() : roots_.back());
        if (!folder || roots_.contains(*folder)) return;
        SetRoots(roots_ + QStringList{*folder});
    });
}

void LibraryWindow::RemoveFolder1Click() {
    platform_.Guard(this, [this] {
        const int row = rootList_->currentRow();
        if (row < 0 || row >= roots_.size()) return;
        QStringList roots = roots_;
        roots.removeAt(row);
        SetRoots(roots);
    });
}

void LibraryWindow::Open1Click() {
    platform_.Guard(this, [this] {
        QStringList paths;
        for (const LibraryEntry* entry : Selected()) paths << QString::fromStdString(entry->Path);
        if (paths.isEmpty()) return;
        form_.EndEdit();
        // Pages as Open makes them; a file that holds no setup says why in the error box.
        form_.OpenFiles(paths);
        form_.raise();
        form_.activateWindow();
    });
}

void LibraryWindow::Compare1Click() {
    platform_.Guard(this, [this] {
        std::vector<CompareWindow::Column> columns;
        for (const LibraryEntry* entry : SelectedSetups())
            columns.emplace_back(form_.ReadAsOpened(QString::fromStdString(entry->Path)));
        if (columns.size() >= 2) form_.CompareSetups(std::move(columns));
    });
}

void LibraryWindow::Copy1Click() {
    platform_.Guard(this, [this] {
        // Each sheet as the page's Copy puts it on the clipboard, a blank line between sheets.
        QString text;
        for (const LibraryEntry* entry : SelectedSetups()) {
            if (!text.isEmpty()) text += "\r\n";
            for (const std::string& line : SheetLines(entry->Shown, entry->Gears))
                text += QString::fromStdString(line) + "\r\n";
        }
        if (!text.isEmpty()) platform_.SetClipboardText(text);
    });
}

void LibraryWindow::Normalise1Click() {
    platform_.Guard(this, [this] {
        std::vector<std::string> paths;
        for (const LibraryEntry* entry : SelectedSetups())
            if (!entry->Normalised) paths.push_back(entry->Path);
        if (paths.empty()) {
            status_->setText("The setups selected are normalised already");
            return;
        }
        if (!platform_.Confirm(this, "Normalise",
                               QString("Normalise %1 setup files in place, within the limits in "
                                       "force?")
                                   .arg(paths.size())))
            return;
        const CurrentLimits& limits = form_.Limits();
        QStringList failures;
        int written = 0;
        for (const std::string& path : paths) {
            // The file as it is now, which may have changed since it was scanned: only one that
            // would change is written.
            const LibraryEntry now = ReadLibraryEntry(RootOf(path), path, limits);
            try {
                if (!now.IsSetup()) throw KvqError(std::string(ProblemText(now.Problem)));
                if (!now.Normalised) {
                    WriteSetupFile(path, now.Shown, platform_.Files());
                    ++written;
                }
            } catch (const KvqError& e) {
                failures << FromName(MessageName(path) + ": " + e.what());
            }
            model_.UpdateEntry(ReadLibraryEntry(RootOf(path), path, limits));
        }
        ShowProgress();
        status_->setText(status_->text() + QString(" — %1 normalised").arg(written));
        if (!failures.isEmpty())
            platform_.ErrorBox(this, kApplicationTitle,
                               "These files were not normalised:\n" + failures.join('\n'));
    });
}

void LibraryWindow::ShowInFolder1Click() {
    platform_.Guard(this, [this] {
        std::set<std::string> folders;
        for (const LibraryEntry* entry : Selected()) folders.insert(FolderOf(entry->Path));
        for (const std::string& folder : folders) platform_.ShowFolder(FromLocalPath(folder));
    });
}

void LibraryWindow::ExportCsv1Click() {
    platform_.Guard(this, [this] {
        const auto file =
            platform_.SaveFileName(this, "Export CSV", "CSV Files|*.csv", "library.csv");
        if (!file) return;
        std::string csv = CsvHeader(false);
        for (const LibraryEntry* entry : SelectedSetups()) csv += CsvLine(*entry, std::nullopt);
        WriteFileAtomically(LocalPath(*file),
                            {reinterpret_cast<const std::uint8_t*>(csv.data()), csv.size()},
                            platform_.Files());
    });
}

} // namespace kvq
