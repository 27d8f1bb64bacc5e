#include "app/RecentFilesMenu.h"

#include "app/LocalPath.h"
#include "base/Utils.h"

#include <QAction>

namespace kvq {

namespace {

// About as many characters of a name as the menu shows.
constexpr int kShownNameLength = 60;

} // namespace

TRecentFilesMenu::TRecentFilesMenu(QWidget* parent) : QMenu("Recent &Files", parent) {
    setObjectName("RecentFiles1");
    // There is no status bar to show a status tip; the path shows as the entry's tool tip.
    setToolTipsVisible(true);
    Rebuild();
}

QString TRecentFilesMenu::FilesText() const { return FromLocalPath(files_.ToText()); }

void TRecentFilesMenu::SetFilesText(const QString& text) {
    files_ = RecentFiles::FromText(LocalPath(text));
    Rebuild();
}

void TRecentFilesMenu::Add(const QString& path) {
    files_.Add(LocalPath(path));
    Rebuild();
}

void TRecentFilesMenu::Remove(const QString& path) {
    files_.Remove(LocalPath(path));
    Rebuild();
}

void TRecentFilesMenu::Rebuild() {
    // The item chosen may be the one running this: it goes once its signal has returned.
    for (QAction* item : actions()) {
        removeAction(item);
        item->deleteLater();
    }
    int number = 0;
    for (const std::string& file : files_.Files()) {
        // A long name is shortened in the middle, so the menu stays narrow; the tip is whole.
        const QString name = fontMetrics().elidedText(
            QString::fromStdString(PrintableName(FileNameOf(file))), Qt::ElideMiddle,
            fontMetrics().averageCharWidth() * kShownNameLength);
        QAction* entry =
            addAction(QString("&%1 %2").arg(++number).arg(QString(name).replace("&", "&&")));
        const QString shown = QString::fromStdString(PrintableName(file));
        entry->setStatusTip(shown);
        entry->setToolTip(shown);
        const QString path = FromLocalPath(file);
        connect(entry, &QAction::triggered, this, [this, path] { emit FileChosen(path); });
    }
    addSeparator();
    QAction* clearList = addAction("Clear List");
    clearList->setObjectName("ClearList1");
    connect(clearList, &QAction::triggered, this, [this] {
        files_.Clear();
        Rebuild();
    });
    menuAction()->setEnabled(!files_.Files().empty());
}

} // namespace kvq
