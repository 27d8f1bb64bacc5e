#pragma once

#include "app/FileEvents.h"
#include "app/LibraryModel.h"

#include <QStringList>
#include <QWidget>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTableView;
class QThread;
class QTimer;

namespace kvq {

class Platform;
class TForm1;

// File, Setup Library: every setup under the chosen folders as one table, sortable by any
// column and filtered by the library's filter language as the user types. The folders are
// scanned on a worker thread and then watched (the folders, not each file), so a changed, new
// or removed setup changes its row. The selection opens as pages, compares, copies its sheets,
// is normalised in place, shown in its folder or exported as CSV. Not modal; the settings store
// keeps its folders, its size and its columns' widths through its properties.
class LibraryWindow : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QStringList Roots READ Roots WRITE SetRoots)
    Q_PROPERTY(int WindowWidth READ width WRITE SetWindowWidth)
    Q_PROPERTY(int WindowHeight READ height WRITE SetWindowHeight)
    Q_PROPERTY(QString ColumnWidths READ ColumnWidths WRITE SetColumnWidths)
public:
    LibraryWindow(TForm1& form, Platform& platform);
    ~LibraryWindow() override;

    [[nodiscard]] QStringList Roots() const { return roots_; }
    // The folders scanned; a changed list is scanned anew once the window shows.
    void SetRoots(const QStringList& roots);
    // The setups read anew, at once while the window shows, otherwise when it next shows: the
    // folders or the limits in force have changed.
    void ReadAnew();
    void SetWindowWidth(int width) { resize(width, height()); }
    void SetWindowHeight(int height) { resize(width(), height); }
    // The widths of the table's columns in order, "120,60,…".
    [[nodiscard]] QString ColumnWidths() const;
    void SetColumnWidths(const QString& widths);

    [[nodiscard]] const LibraryModel& Model() const { return model_; }

    // The commands on the selection. Each shows its failure in the error box.
    void AddFolder1Click();
    void RemoveFolder1Click();
    void Open1Click();
    void Compare1Click();
    void Copy1Click();
    void Normalise1Click();
    void ShowInFolder1Click();
    void ExportCsv1Click();

signals:
    // A scan ended and its entries are in the table.
    void ScanFinished();

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct Scan;
    void Rescan();
    void ScanDone(Scan& scan);
    void ShowProgress();
    void FilterChanged(const QString& text);
    // Watches exactly those folders.
    void WatchFolders(std::map<std::string, std::string> folders);
    void Noticed(const std::string& folder, const std::string& name, bool gone);
    // Reads each setup noticed anew: its row changes, comes or goes.
    void ReadDue();
    [[nodiscard]] std::string RootOf(const std::string& path) const;
    // The entries of the rows selected, in the table's order.
    [[nodiscard]] std::vector<const LibraryEntry*> Selected() const;
    [[nodiscard]] std::vector<const LibraryEntry*> SelectedSetups() const;
    void EnableCommands();

    TForm1& form_;
    Platform& platform_;
    QStringList roots_;
    bool scanned_ = false;
    LibraryModel model_;
    LibraryProxy proxy_;
    // The scans running: a newer one makes the older ones stop and be forgotten.
    std::vector<std::unique_ptr<Scan>> scans_;
    TFileEvents events_;
    // The folders watched, each with the root it lies under.
    std::map<std::string, std::string> watched_;
    std::set<std::string> due_;
    QTimer* dueTimer_;
    QTimer* rescanTimer_;
    QTimer* progressTimer_;

    QListWidget* rootList_;
    QLineEdit* filter_;
    QLabel* filterError_;
    QTableView* table_;
    QProgressBar* progress_;
    QLabel* status_;
    QAction* Open1;
    QAction* Compare1;
    QAction* Copy1;
    QAction* Normalise1;
    QAction* ShowInFolder1;
    QAction* ExportCsv1;
    QPushButton* removeFolder_;
};

} // namespace kvq
