#include "app/DiskWatch.h"

#include "app/LocalPath.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QSet>

#include <algorithm>
#include <utility>

namespace kvq {

TDiskWatch::TDiskWatch(QObject* parent) : QObject(parent) {
    setObjectName("DiskWatch1");
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this,
            [this](const QString& path) { Check(path); });
    // A file renamed over the watched one, or created again after it went.
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this](const QString& folder) {
        QSet<QString> paths;
        for (const auto& [setup, page] : pages_)
            if (QFileInfo(page.path).absolutePath() == folder) paths.insert(page.path);
        for (const QString& path : paths) Check(path);
    });
}

void TDiskWatch::Follow(const TSetup* page, const QString& path, const SetupRecord& onDisk) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    pages_[page] = {absolute, {FileSnapshot::Kind::Setup, onDisk}, FileState::Same};
    WatchPaths();
    // The file may have changed between reading it and watching it.
    Check(absolute);
}

void TDiskWatch::Forget(const TSetup* page) {
    if (pages_.erase(page) > 0) WatchPaths();
}

FileState TDiskWatch::NoticeOf(const TSetup* page) const {
    const auto found = pages_.find(page);
    return found == pages_.end() ? FileState::Same : found->second.notice;
}

void TDiskWatch::Acknowledge(const TSetup* page) {
    const auto found = pages_.find(page);
    if (found == pages_.end()) return;
    found->second.known = SnapshotOf(LocalPath(found->second.path));
    found->second.notice = FileState::Same;
    emit NoticesChanged();
}

bool TDiskWatch::ChangedSinceKnown(const TSetup* page, const QString& path) const {
    const auto found = pages_.find(page);
    return found != pages_.end() && QFileInfo(path) == QFileInfo(found->second.path) &&
           CompareSnapshots(found->second.known, SnapshotOf(LocalPath(path))) == FileState::Changed;
}

void TDiskWatch::Check(const QString& path) {
    // A file replaced by rename is a new file under the path: watch that one from now on.
    watcher_.removePath(path);
    if (QFileInfo::exists(path)) watcher_.addPath(path);
    const FileSnapshot now = SnapshotOf(LocalPath(path));
    bool noticed = false;
    for (auto& [setup, page] : pages_) {
        if (page.path != path) continue;
        const FileState state = CompareSnapshots(page.known, now);
        noticed = noticed || state != page.notice;
        page.notice = state;
    }
    if (noticed) emit NoticesChanged();
}

// Every file a page shows, and its folder, which tells when the file comes back.
void TDiskWatch::WatchPaths() {
    QSet<QString> wanted;
    for (const auto& [setup, page] : pages_) {
        wanted.insert(page.path);
        wanted.insert(QFileInfo(page.path).absolutePath());
    }
    for (const QString& path : watcher_.files() + watcher_.directories())
        if (!wanted.contains(path)) watcher_.removePath(path);
    for (const QString& path : wanted)
        if (QFileInfo::exists(path) && !watcher_.files().contains(path) &&
            !watcher_.directories().contains(path))
            watcher_.addPath(path);
}

// The notice, its file name shortened in the middle where the whole of it would not fit: what
// happened to the file stays in sight.
class TDiskBar::NoticeText : public QLabel {
public:
    using QLabel::QLabel;

    void SetNotice(const QString& fileName, const QString& says) {
        fileName_ = fileName;
        says_ = says;
        setToolTip(fileName + says);
        Fit();
    }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QLabel::resizeEvent(event);
        Fit();
    }

private:
    void Fit() {
        const QFontMetrics metrics(font());
        const int room = contentsRect().width() - metrics.horizontalAdvance(says_);
        setText(metrics.elidedText(fileName_, Qt::ElideMiddle, std::max(room, 0)) + says_);
    }

    QString fileName_;
    QString says_;
};

TDiskBar::TDiskBar(QWidget* parent) : QToolBar(parent) {
    setObjectName("DiskBar");
    setMovable(false);
    setFloatable(false);
    // Only the notices show and hide it: no menu of the window offers to.
    setContextMenuPolicy(Qt::PreventContextMenu);
    toggleViewAction()->setVisible(false);
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    text_ = new NoticeText(this);
    text_->setObjectName("DiskBarText");
    // The text takes the room the buttons leave, and gives way rather than the buttons.
    text_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    text_->setMinimumWidth(1);
    text_->setContentsMargins(6, 0, 6, 0);
    addWidget(text_);
    reload_ = addAction("Reload");
    reload_->setObjectName("Reload1");
    QAction* keep = addAction("Keep this version");
    keep->setObjectName("KeepVersion1");
    connect(reload_, &QAction::triggered, this, &TDiskBar::Reload);
    connect(keep, &QAction::triggered, this, &TDiskBar::Keep);
    // The buttons carry access keys (Alt+R, Alt+K) and are stops of Tab.
    for (auto [action, text] :
         {std::pair{reload_, "&Reload"}, std::pair{keep, "&Keep this version"}}) {
        action->setIconText(text);
        widgetForAction(action)->setFocusPolicy(Qt::TabFocus);
    }
    hide();
}

void TDiskBar::ShowNotice(FileState notice, const QString& fileName) {
    if (notice == FileState::Same) {
        hide();
        return;
    }
    text_->SetNotice(fileName, notice == FileState::Changed ? " was changed on disk."
                                                            : " was removed from disk.");
    reload_->setVisible(notice == FileState::Changed);
    show();
}

QSize TDiskBar::sizeHint() const { return {0, QToolBar::sizeHint().height()}; }

QSize TDiskBar::minimumSizeHint() const { return {0, QToolBar::minimumSizeHint().height()}; }

} // namespace kvq
