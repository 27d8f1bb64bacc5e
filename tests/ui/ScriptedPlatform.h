#pragma once

#include "app/Platform.h"

#include <QPrinter>

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <optional>

namespace kvq::test {

// A desktop whose dialogs answer from a script and remember what they were asked.
class ScriptedPlatform : public Platform {
    Q_OBJECT
public:
    // The files the next dialogs choose, in order; an empty name, or no answer left, cancels.
    std::deque<QString> openAnswers;
    // The files the next open dialogs for several files choose; while none is left, those take
    // the next of openAnswers as one file.
    std::deque<QStringList> openManyAnswers;
    std::deque<QString> saveAnswers;
    std::deque<QString> folderAnswers;
    std::deque<Answer> questionAnswers;
    // PDF files the next print dialogs send the printout to; an empty name cancels.
    std::deque<QString> printAnswers;
    // Runs inside every dialog, as what the desktop does while one is up.
    std::function<void()> duringDialog = [] {};

    // What was shown.
    struct Shown {
        QString caption;
        QString text;
    };
    std::vector<Shown> questions;
    std::vector<Shown> errors;
    std::vector<Shown> saveDialogs; // title and initial file
    QStringList openInitialFiles;
    QStringList foldersShown;
    QStringList filters;
    int beeps = 0;

    // The desktop's state.
    std::optional<QString> clipboard;
    qint64 clock = 0;
    qint64 slept = 0;
    int dpi = 96;
    QString programPath;
    // The user's own folder, as an installed copy (whose folder the user cannot write) has one.
    std::optional<QString> userFolder;

    std::optional<QString> OpenFileName(QWidget*, const QString& filter,
                                        const QString& initialFile) override {
        filters << filter;
        openInitialFiles << initialFile;
        duringDialog();
        return Next(openAnswers);
    }
    QStringList OpenFileNames(QWidget* parent, const QString& filter,
                              const QString& initialFile) override {
        if (openManyAnswers.empty()) {
            const auto one = OpenFileName(parent, filter, initialFile);
            return one ? QStringList{*one} : QStringList{};
        }
        filters << filter;
        openInitialFiles << initialFile;
        duringDialog();
        const QStringList answer = openManyAnswers.front();
        openManyAnswers.pop_front();
        return answer;
    }
    std::optional<QString> SaveFileName(QWidget*, const QString& title, const QString& filter,
                                        const QString& initialFile) override {
        filters << filter;
        saveDialogs.push_back({title, initialFile});
        duringDialog();
        return Next(saveAnswers);
    }
    std::optional<QString> FolderName(QWidget*, const QString&, const QString&) override {
        duringDialog();
        return Next(folderAnswers);
    }
    void ShowFolder(const QString& folder) override { foldersShown << folder; }
    Answer Question(QWidget*, const QString& caption, const QString& text) override {
        questions.push_back({caption, text});
        duringDialog();
        if (questionAnswers.empty()) return Answer::Cancel;
        const Answer answer = questionAnswers.front();
        questionAnswers.pop_front();
        return answer;
    }
    // Asked and answered as a question: Yes confirms.
    bool Confirm(QWidget* parent, const QString& caption, const QString& text) override {
        return Question(parent, caption, text) == Answer::Yes;
    }
    void ErrorBox(QWidget*, const QString& caption, const QString& text) override {
        errors.push_back({caption, text});
    }
    bool PrintDialog(QWidget*, QPrinter& printer) override {
        const auto file = Next(printAnswers);
        if (!file) return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(*file);
        return true;
    }
    bool ClipboardHasText() override { return clipboard.has_value(); }
    QString ClipboardText() override { return clipboard.value_or(QString()); }
    void SetClipboardText(const QString& text) override {
        clipboard = text;
        emit ClipboardChanged();
    }
    qint64 TickCount() override { return clock; }
    void Sleep(qint64 milliseconds) override {
        slept += milliseconds;
        clock += milliseconds;
    }
    int LogicalDpiX() override { return dpi; }
    QString ProgramPath() override { return programPath; }
    FileLocations Locations() override {
        FileLocations places = Platform::Locations();
        if (userFolder) places.UserFolder = userFolder->toStdString();
        return places;
    }
    void Beep() override { ++beeps; }
    FileOps& Files() override { return fileOps ? *fileOps : Platform::Files(); }

    // The file system calls, when a test replaces them.
    FileOps* fileOps = nullptr;

private:
    static std::optional<QString> Next(std::deque<QString>& queue) {
        if (queue.empty()) return std::nullopt;
        const QString answer = queue.front();
        queue.pop_front();
        if (answer.isEmpty()) return std::nullopt;
        return answer;
    }
};

} // namespace kvq::test
