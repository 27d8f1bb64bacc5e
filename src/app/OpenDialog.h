#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QWidget;

namespace kvq {

class Platform;

// The setup file-open dialog as a component: it remembers the file chosen last, which the
// settings store keeps, and preselects it the next time.
class TOpenDialog : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString FileName READ FileName WRITE SetFileName)
public:
    TOpenDialog(Platform& platform, QWidget* owner);

    [[nodiscard]] QString FileName() const { return fileName_; }
    void SetFileName(const QString& fileName) { fileName_ = fileName; }

    // Shows the dialog; true when the user picked a file, which FileName then holds.
    bool Execute();
    // Shows the dialog for one file or several; the files picked, in the order given, and the
    // last of them in FileName. None when the user cancels.
    QStringList ExecuteSeveral();

private:
    Platform& platform_;
    QWidget* owner_;
    QString fileName_;
};

} // namespace kvq
