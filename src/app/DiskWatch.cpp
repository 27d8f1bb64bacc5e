#include "app/DiskWatch.h"

#include "base/Utils.h"

#include <QAction>
#include <QLabel>

#include <algorithm>
#include <utility>

namespace kvq {

TDiskWatch::TDiskWatch(QObject* parent)
    : QObject(parent), events_([this](const std::string& path, const std::string& name, bool gone) {
          Noticed(path, name, gone);
      }) {
    setObjectName("DiskWatch1");
}

void TDiskWatch::Follow(const TSetup* page, const std::string& path, const SetupRecord& onDisk) {
    const std::string absolute = AbsolutePath(path);
    const FileSnapshot known{FileSnapshot::Kind::Setup, onDisk};
    lastKnown_[sys::PathKey(absolute)] = known;
    const auto found = pages_.find(page);
    if (found != pages_.end() && found->second.path != absolute) Forget(page);
    const bool entering = !pages_.contains(page);
    pages_[page] = {absolute, known, FileState::Same};
    if (entering) Enter(page, absolute);
    // The file may have changed between reading it and watching it.
    Check(absolute);
}

void TDiskWatch::Forget(const TSetup* page) {
    if (!pages_.contains(page)) return;
    Leave(page);
    pages_.erase(page);
}

FileState TDiskWatch::NoticeOf(const TSetup* page) const {
    const auto found = pages_.find(page);
    return found == pages_.end() ? FileState::Same : found->second.notice;
}

void TDiskWatch::Acknowledge(const TSetup* page) {
    const auto found = pages_.find(page);
    if (found == pages_.end()) return;
    found->second.known = SnapshotOf(found->second.path);
    found->second.notice = FileState::Same;
    emit NoticesChanged();
}

bool TDiskWatch::ChangedSinceKnown(const TSetup* page, const std::string& path) const {
    const std::string absolute = AbsolutePath(path);
    const FileSnapshot* known = nullptr;
    const auto shown = pages_.find(page);
    if (shown != pages_.end() && SameFile(shown->second.path, absolute)) {
        known = &shown->second.known;
    } else if (const auto last = lastKnown_.find(sys::PathKey(absolute));
               last != lastKnown_.end()) {
        known = &last->second;
    }
    return known && CompareSnapshots(*known, SnapshotOf(absolute)) == FileState::Changed;
}

void TDiskWatch::Enter(const TSetup* page, const std::string& path) {
    auto& pages = shown_[path];
    pages.insert(page);
    if (pages.size() > 1) return;
    events_.Watch(path, false);
    const std::string folder = FolderOf(path);
    if (++folders_[folder].paths == 1) Settle(folder);
}

void TDiskWatch::Leave(const TSetup* page) {
    const std::string path = pages_.at(page).path;
    auto& pages = shown_.at(path);
    pages.erase(page);
    if (!pages.empty()) return;
    shown_.erase(path);
    events_.Unwatch(path);
    const std::string folder = FolderOf(path);
    if (--folders_.at(folder).paths > 0) return;
    Unsettle(folder);
    folders_.erase(folder);
}

void TDiskWatch::Settle(const std::string& folder) {
    Unsettle(folder);
    for (std::string at = folder;; at = FolderOf(at)) {
        if (standsFor_.contains(at) || events_.Watch(at, true)) {
            standsFor_[at].insert(folder);
            folders_.at(folder).watchedAt = at;
            return;
        }
        if (FolderOf(at) == at) return; // the root is not there
    }
}

void TDiskWatch::Unsettle(const std::string& folder) {
    std::string& at = folders_.at(folder).watchedAt;
    const auto found = standsFor_.find(at);
    if (found == standsFor_.end()) return;
    found->second.erase(folder);
    if (found->second.empty()) {
        standsFor_.erase(found);
        events_.Unwatch(at);
    }
    at.clear();
}

void TDiskWatch::Noticed(const std::string& path, const std::string& name, bool gone) {
    if (name.empty() && shown_.contains(path)) Due(path);
    const auto found = standsFor_.find(path);
    if (found == standsFor_.end()) return;
    const std::set<std::string> folders = found->second;
    if (gone) standsFor_.erase(found);
    for (const std::string& folder : folders) {
        if (gone) {
            folders_.at(folder).watchedAt.clear();
            Settle(folder);
            DueInFolder(folder);
        } else if (folder == path) {
            name.empty() ? DueInFolder(folder) : Due(JoinPath(folder, name));
        } else if (name.empty() || name == NextFolderOnTheWay(path, folder)) {
            // On the way back: the folder may be there again, or a folder between.
            Settle(folder);
            DueInFolder(folder);
        }
    }
}

void TDiskWatch::Due(const std::string& path) {
    if (!shown_.contains(path)) return;
    if (due_.empty())
        QMetaObject::invokeMethod(
            this,
            [this] {
                for (const std::string& path : std::exchange(due_, {})) Check(path);
            },
            Qt::QueuedConnection);
    due_.insert(path);
}

void TDiskWatch::DueInFolder(const std::string& folder) {
    const std::string prefix = JoinPath(folder, "");
    for (auto at = shown_.lower_bound(prefix); at != shown_.end() && at->first.starts_with(prefix);
         ++at)
        if (FolderOf(at->first) == folder) Due(at->first);
}

void TDiskWatch::Check(const std::string& path) {
    const auto shown = shown_.find(path);
    if (shown == shown_.end()) return;
    // A file replaced by rename is a new file under the path: watch that one from now on.
    events_.Watch(path, false);
    const FileSnapshot now = SnapshotOf(path);
    bool noticed = false;
    for (const TSetup* setup : shown->second) {
        Page& page = pages_.at(setup);
        const FileState state = CompareSnapshots(page.known, now);
        noticed = noticed || state != page.notice;
        page.notice = state;
    }
    if (noticed) emit NoticesChanged();
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
