#pragma once

#include "settings/Locations.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <exception>
#include <optional>

class QPrinter;
class QWidget;

namespace kvq {

class FileOps;

// Everything the window needs from the desktop: modal dialogs, the clipboard, the clock, the
// screen's resolution and the program's own path. The window talks only to this interface, so
// tests can script every answer and give the program a folder of their own.
class Platform : public QObject {
    Q_OBJECT
public:
    enum class Answer { Yes, No, Cancel };

    using QObject::QObject;

    // File dialogs with a filter in the "description|masks|description|masks" form. Nothing when
    // the user cancels.
    virtual std::optional<QString> OpenFileName(QWidget* parent, const QString& filter,
                                                const QString& initialFile) = 0;
    virtual std::optional<QString> SaveFileName(QWidget* parent, const QString& title,
                                                const QString& filter,
                                                const QString& initialFile) = 0;
    // The open dialog for any number of files; none when the user cancels. Without a dialog of
    // its own a platform offers one file through OpenFileName.
    virtual QStringList OpenFileNames(QWidget* parent, const QString& filter,
                                      const QString& initialFile);
    // The folder dialog; nothing when the user cancels.
    virtual std::optional<QString> FolderName(QWidget* parent, const QString& title,
                                              const QString& initialFolder) = 0;
    // The folder shown in the desktop's file manager.
    virtual void ShowFolder(const QString& folder) = 0;
    // Yes, No and Cancel with a question icon.
    virtual Answer Question(QWidget* parent, const QString& caption, const QString& text) = 0;
    // Yes and No with a question icon, No the default; true for Yes.
    virtual bool Confirm(QWidget* parent, const QString& caption, const QString& text) = 0;
    // An error icon and OK; the text is shown as it is.
    virtual void ErrorBox(QWidget* parent, const QString& caption, const QString& text) = 0;
    // The print dialog for the printer; false when the user cancels.
    virtual bool PrintDialog(QWidget* parent, QPrinter& printer) = 0;

    virtual bool ClipboardHasText() = 0;
    virtual QString ClipboardText() = 0;
    virtual void SetClipboardText(const QString& text) = 0;

    // Milliseconds of a steady clock, and a wait that handles no events.
    virtual qint64 TickCount() = 0;
    virtual void Sleep(qint64 milliseconds) = 0;

    // The screen's horizontal logical resolution in pixels per inch.
    virtual int LogicalDpiX() = 0;

    // The full path of the program's executable; its folder holds the help, limits, vocabulary
    // and settings files.
    virtual QString ProgramPath() = 0;
    // Where those files are looked for: beside the program and, for a copy in a folder the user
    // cannot write, in the user's own folder too.
    virtual FileLocations Locations();

    virtual void Beep() = 0;

    // The application's error box over parent with the message, its full stop as the box ends it.
    void ShowError(QWidget* parent, const QString& message);
    // Runs work and shows its failure in the error box: no exception leaves a handler.
    template <typename F> void Guard(QWidget* parent, F&& work) {
        try {
            work();
        } catch (const std::exception& e) {
            ShowError(parent, QString::fromStdString(e.what()));
        }
    }

    // The system calls through which setup and settings files are written.
    virtual FileOps& Files();

signals:
    // The clipboard's content changed.
    void ClipboardChanged();
};

// The caption of the application's message boxes.
inline constexpr const char* kApplicationTitle = "KVQ Setup";

// The running desktop.
class QtPlatform : public Platform {
    Q_OBJECT
public:
    explicit QtPlatform(QObject* parent = nullptr);

    std::optional<QString> OpenFileName(QWidget* parent, const QString& filter,
                                        const QString& initialFile) override;
    QStringList OpenFileNames(QWidget* parent, const QString& filter,
                              const QString& initialFile) override;
    std::optional<QString> SaveFileName(QWidget* parent, const QString& title,
                                        const QString& filter, const QString& initialFile) override;
    std::optional<QString> FolderName(QWidget* parent, const QString& title,
                                      const QString& initialFolder) override;
    void ShowFolder(const QString& folder) override;
    Answer Question(QWidget* parent, const QString& caption, const QString& text) override;
    bool Confirm(QWidget* parent, const QString& caption, const QString& text) override;
    void ErrorBox(QWidget* parent, const QString& caption, const QString& text) override;
    bool PrintDialog(QWidget* parent, QPrinter& printer) override;
    bool ClipboardHasText() override;
    QString ClipboardText() override;
    void SetClipboardText(const QString& text) override;
    qint64 TickCount() override;
    void Sleep(qint64 milliseconds) override;
    int LogicalDpiX() override;
    QString ProgramPath() override;
    void Beep() override;
};

// Milliseconds of the steady clock that QtPlatform::TickCount reads; usable before the application
// object exists.
[[nodiscard]] qint64 SteadyMilliseconds();

// The filter of the setup file dialogs, in the program's own "description|masks|…" form.
inline constexpr const char* kSetupFileFilter =
    "KVQ Setups|*.bb?;*.br?;*.co?;*.ea?;*.fe?;*.lo?;*.mu?|Brabham|*.bb?|BRM|*.br?|Coventry|*.co?|"
    "Eagle|*.ea?|Ferrari|*.fe?|Lotus|*.lo?|Murusama|*.mu?|All Files|*.*";

// The same filter as Qt's dialogs want it: "description (mask mask);;…".
[[nodiscard]] QString QtFileFilter(const QString& filter);

} // namespace kvq
