#pragma once

#include "app/FileEvents.h"
#include "setup/SetupDocument.h"

#include <QObject>
#include <QString>
#include <QToolBar>

#include <map>
#include <set>
#include <string>

namespace kvq {

// Watches the files that pages show and tells when another program changes or removes one. Each
// page compares its file with the record it last read from it or wrote to it, so a write of the
// page's own is no change, and every page on a file has its own notice. Files are replaced by
// rename (this program's writer does so, and so does the simulation), which gives the path a new
// file: the watch follows the path, through its folder, which tells when the file comes back. A
// folder that is removed or moved away is watched for at the folder above it, until it is back.
// A notice is about one path: only the pages on it compare their file again.
class TDiskWatch : public QObject {
    Q_OBJECT
public:
    explicit TDiskWatch(QObject* parent);

    // The page shows the file at path (as the system takes it), which holds onDisk: the record
    // just read or written.
    void Follow(const TSetup* page, const std::string& path, const SetupRecord& onDisk);
    void Forget(const TSetup* page);

    // What the page's file did since the page last read, wrote or acknowledged it.
    [[nodiscard]] FileState NoticeOf(const TSetup* page) const;
    // The page takes its file as it is now, or its absence, for the one it knows: no notice.
    void Acknowledge(const TSetup* page);
    // Whether writing the page to path would replace a file that changed since the page last
    // read, wrote or acknowledged it, or, for a file the page does not show, since this program
    // last read or wrote it on any page.
    [[nodiscard]] bool ChangedSinceKnown(const TSetup* page, const std::string& path) const;

signals:
    // A page's notice came or went.
    void NoticesChanged();

private:
    struct Page {
        std::string path; // absolute
        FileSnapshot known;
        FileState notice = FileState::Same;
    };
    void Enter(const TSetup* page, const std::string& path);
    void Leave(const TSetup* page);
    void Noticed(const std::string& path, const std::string& name, bool gone);
    // Watches the folder where it is, or else at the nearest folder above it that exists.
    void Settle(const std::string& folder);
    void Unsettle(const std::string& folder);
    // Compares the file with every page on it, once the notices at hand are taken.
    void Due(const std::string& path);
    void DueInFolder(const std::string& folder);
    void Check(const std::string& path);

    std::map<const TSetup*, Page> pages_;
    // The pages on each path shown.
    std::map<std::string, std::set<const TSetup*>> shown_;
    // The folders of the paths shown: how many paths each holds, and the path it is watched at.
    struct Folder {
        int paths = 0;
        std::string watchedAt;
    };
    std::map<std::string, Folder> folders_;
    // The folders each watched folder stands for: itself, or folders below it that are gone.
    std::map<std::string, std::set<std::string>> standsFor_;
    // What this program last read from or wrote to each file, by its path's key: on Windows a
    // name in other letter case is the same file.
    std::map<std::string, FileSnapshot> lastKnown_;
    std::set<std::string> due_;
    TFileEvents events_;
};

// The bar above the sheet with the notice of the page in front: "car.br1 was changed on disk."
// with Reload and Keep this version, or "... was removed from disk." with Keep this version.
// It sits in the window's tool bar area, so the window grows by its height while it shows and
// the sheet keeps its place in the client area.
class TDiskBar : public QToolBar {
    Q_OBJECT
public:
    explicit TDiskBar(QWidget* parent);

    // Shows the notice about the file of that name, or hides the bar when there is none.
    void ShowNotice(FileState notice, const QString& fileName);

    // Never wider than the window it is in: the text gives way.
    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

signals:
    void Reload();
    void Keep();

private:
    class NoticeText;
    NoticeText* text_;
    QAction* reload_;
};

} // namespace kvq
