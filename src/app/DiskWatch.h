#pragma once

#include "setup/SetupDocument.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QToolBar>

#include <map>

namespace kvq {

// Watches the files that pages show and tells when another program changes or removes one. Each
// page compares its file with the record it last read from it or wrote to it, so a write of the
// page's own is no change, and every page on a file has its own notice. Files are replaced by
// rename (this program's writer does so, and so does the simulation), which gives the path a new
// file: the watcher follows the path, and the folder tells when a file comes back.
class TDiskWatch : public QObject {
    Q_OBJECT
public:
    explicit TDiskWatch(QObject* parent);

    // The page shows the file at path, which holds onDisk: the record just read or written.
    void Follow(const TSetup* page, const QString& path, const SetupRecord& onDisk);
    void Forget(const TSetup* page);

    // What the page's file did since the page last read, wrote or acknowledged it.
    [[nodiscard]] FileState NoticeOf(const TSetup* page) const;
    // The page takes its file as it is now, or its absence, for the one it knows: no notice.
    void Acknowledge(const TSetup* page);
    // Whether writing the page to path would replace a file that changed since the page last
    // read, wrote or acknowledged it.
    [[nodiscard]] bool ChangedSinceKnown(const TSetup* page, const QString& path) const;

signals:
    // A page's notice came or went.
    void NoticesChanged();

private:
    struct Page {
        QString path; // absolute
        FileSnapshot known;
        FileState notice = FileState::Same;
    };
    // Compares the file with every page on it, watching the path's present file.
    void Check(const QString& path);
    void WatchPaths();

    QFileSystemWatcher watcher_;
    std::map<const TSetup*, Page> pages_;
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
