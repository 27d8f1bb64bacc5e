#pragma once

#include "settings/RecentFiles.h"

#include <QMenu>
#include <QString>

namespace kvq {

// File, Recent Files: the setup files opened or saved last, most recent first, numbered
// "&1 car.br1" with the full path as status and tool tip, then Clear List. Disabled while
// empty. The settings store keeps the list through the property Files.
class TRecentFilesMenu : public QMenu {
    Q_OBJECT
    Q_PROPERTY(QString Files READ FilesText WRITE SetFilesText)
public:
    explicit TRecentFilesMenu(QWidget* parent);

    // The list as the settings file holds it (see RecentFiles::ToText).
    [[nodiscard]] QString FilesText() const;
    void SetFilesText(const QString& text);

    // Puts the file at the top, or takes it off the list.
    void Add(const QString& path);
    void Remove(const QString& path);

signals:
    // The user chose the entry of this file.
    void FileChosen(const QString& path);

private:
    void Rebuild();

    RecentFiles files_;
};

} // namespace kvq
