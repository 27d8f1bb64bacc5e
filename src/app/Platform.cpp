#include "app/Platform.h"

#include "app/LocalPath.h"
#include "base/AtomicFile.h"
#include "base/Utils.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QStringList>
#include <QThread>
#include <QUrl>

#include <chrono>

namespace kvq {

FileOps& Platform::Files() { return SystemFileOps(); }

QStringList Platform::OpenFileNames(QWidget* parent, const QString& filter,
                                    const QString& initialFile) {
    const auto chosen = OpenFileName(parent, filter, initialFile);
    return chosen ? QStringList{*chosen} : QStringList();
}

FileLocations Platform::Locations() {
    return LocateFiles(LocalPath(QFileInfo(ProgramPath()).absolutePath()));
}

QString QtFileFilter(const QString& filter) {
    const QStringList parts = filter.split('|');
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString masks = parts[i + 1].split(';', Qt::SkipEmptyParts).join(' ');
        entries << parts[i] + " (" + masks + ")";
    }
    return entries.join(";;");
}

void Platform::ShowError(QWidget* parent, const QString& message) {
    ErrorBox(parent, kApplicationTitle,
             QString::fromStdString(ErrorBoxText(message.toStdString())));
}

QtPlatform::QtPlatform(QObject* parent) : Platform(parent) {
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
            &Platform::ClipboardChanged);
}

namespace {

// Shows only the descriptions, as the setup dialogs always have; the masks still filter. The
// window asks itself before a file is replaced. The files chosen, none when the user cancels.
QStringList RunFileDialog(QWidget* parent, QFileDialog::FileMode mode, const QString& title,
                          const QString& filter, const QString& initialFile) {
    QFileDialog dialog(parent, title);
    dialog.setAcceptMode(mode == QFileDialog::AnyFile ? QFileDialog::AcceptSave
                                                      : QFileDialog::AcceptOpen);
    dialog.setNameFilters(QtFileFilter(filter).split(";;"));
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setFileMode(mode);
    if (!initialFile.isEmpty()) dialog.selectFile(initialFile);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.selectedFiles();
}

std::optional<QString> FirstOf(const QStringList& files) {
    if (files.isEmpty()) return std::nullopt;
    return files.front();
}

} // namespace

std::optional<QString> QtPlatform::OpenFileName(QWidget* parent, const QString& filter,
                                                const QString& initialFile) {
    return FirstOf(
        RunFileDialog(parent, QFileDialog::ExistingFile, QString(), filter, initialFile));
}

QStringList QtPlatform::OpenFileNames(QWidget* parent, const QString& filter,
                                      const QString& initialFile) {
    return RunFileDialog(parent, QFileDialog::ExistingFiles, QString(), filter, initialFile);
}

std::optional<QString> QtPlatform::SaveFileName(QWidget* parent, const QString& title,
                                                const QString& filter, const QString& initialFile) {
    return FirstOf(RunFileDialog(parent, QFileDialog::AnyFile, title, filter, initialFile));
}

std::optional<QString> QtPlatform::FolderName(QWidget* parent, const QString& title,
                                              const QString& initialFolder) {
    QFileDialog dialog(parent, title, initialFolder);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return FirstOf(dialog.selectedFiles());
}

void QtPlatform::ShowFolder(const QString& folder) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

Platform::Answer QtPlatform::Question(QWidget* parent, const QString& caption,
                                      const QString& text) {
    switch (QMessageBox::question(parent, caption, text,
                                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                  QMessageBox::Yes)) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return Answer::Cancel;
    }
}

bool QtPlatform::Confirm(QWidget* parent, const QString& caption, const QString& text) {
    return QMessageBox::question(parent, caption, text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

void QtPlatform::ErrorBox(QWidget* parent, const QString& caption, const QString& text) {
    QMessageBox::critical(parent, caption, text, QMessageBox::Ok);
}

bool QtPlatform::PrintDialog(QWidget* parent, QPrinter& printer) {
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

bool QtPlatform::ClipboardHasText() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasText();
}

QString QtPlatform::ClipboardText() { return QGuiApplication::clipboard()->text(); }

void QtPlatform::SetClipboardText(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
}

qint64 SteadyMilliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

qint64 QtPlatform::TickCount() { return SteadyMilliseconds(); }

void QtPlatform::Sleep(qint64 milliseconds) {
    if (milliseconds > 0) QThread::msleep(static_cast<unsigned long>(milliseconds));
}

int QtPlatform::LogicalDpiX() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? qRound(screen->logicalDotsPerInchX()) : 96;
}

QString QtPlatform::ProgramPath() { return QCoreApplication::applicationFilePath(); }

void QtPlatform::Beep() { QApplication::beep(); }

} // namespace kvq
