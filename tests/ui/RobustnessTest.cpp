// What the user sees when files go missing, saves fail, inputs are hostile or pages pile up:
// the program says what happened, loses nothing, and runs on.

#include "../core/FailingFileOps.h"
#include "WindowFixture.h"
#include "app/EndingSignals.h"

#include <QMimeData>
#include <QUrl>

#include <csignal>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

namespace kvq::test {
namespace {

using RobustnessTest = WindowTest;

TEST_F(RobustnessTest, EveryFailedSaveKeepsTheOldFileTheNameAndTheChange) {
    const std::string path = SetupFile("car.br1");
    const auto old = ReadBytes(path);
    Open(path);
    MarkChanged(0);
    for (const WriteFailure& failure : kWriteFailures) {
        FailingOps ops(failure.step, failure.error);
        platform.fileOps = &ops;
        platform.errors.clear();
        platform.saveAnswers = {QString::fromStdString(path)};
        Window().Save1Click();
        ASSERT_EQ(platform.errors.size(), 1u) << failure.step;
        EXPECT_EQ(platform.errors[0].text.toStdString(),
                  std::string("Cannot write car.br1: ") + failure.reason + ".")
            << failure.step;
        EXPECT_EQ(ReadBytes(path), old) << failure.step;
        EXPECT_TRUE(Window().PageSetup(0).Changed) << failure.step;
        EXPECT_EQ(Window().PageSetup(0).FileName, path) << failure.step;
        EXPECT_TRUE(Action("Save1")->isEnabled()) << failure.step;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2)
            << "no temporary file is left: " << failure.step;
    }
    platform.fileOps = nullptr;
}

TEST_F(RobustnessTest, AFailedSaveOnClosingKeepsThePageAndTheWindow) {
    Open(SetupFile("car.br1"));
    MarkChanged(0);
    FailingOps ops(FailingOps::FailRename, EIO);
    platform.fileOps = &ops;
    platform.questionAnswers = {Platform::Answer::Yes, Platform::Answer::Yes};
    platform.saveAnswers = {QString::fromStdString(dir.File("car.br1")),
                            QString::fromStdString(dir.File("car.br1"))};
    Window().ClosePage1Click();
    EXPECT_EQ(Window().PageCount(), 1);
    EXPECT_FALSE(Window().close());
    EXPECT_EQ(Window().PageCount(), 1);
    EXPECT_EQ(platform.errors.size(), 2u);
    platform.fileOps = nullptr;
}

// A signal that ends the window while a save waits for the disk: the save finishes first, the
// file is in place and no temporary file is left; then the window ends by the signal.
TEST_F(RobustnessTest, ASignalInTheMiddleOfASaveLeavesNoTemporaryFile) {
    // The disk is slow enough for the signal to come while the file is being flushed.
    class SignalledWhileFlushing : public FileOps {
    public:
        explicit SignalledWhileFlushing(int signal) : signal_(signal) {}
        int Fsync(int fd) override {
            ::raise(signal_);
            return FileOps::Fsync(fd);
        }

    private:
        int signal_;
    };
    const std::string path = SetupFile("car.br1");
    Open(path);
    MarkChanged(0);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        const pid_t child = ::fork();
        if (child == 0) {
            EndOnSignalsFromTheEventLoop(&Window());
            SignalledWhileFlushing ops(signal);
            platform.fileOps = &ops;
            platform.saveAnswers = {QString::fromStdString(path)};
            Window().Save1Click();
            QTest::qWait(5000);
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_EQ(ReadBytes(path), PageBytes(0));
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
            EXPECT_FALSE(entry.path().filename().string().starts_with('.'))
                << "a temporary file is left: " << entry.path();
        SetupFile("car.br1");
    }
}

TEST_F(RobustnessTest, AFailedSettingsWriteIsSilentAndKeepsTheOldFile) {
    WriteText(dir.File("KVQSETUP.INI"), "[Position]\nTop=5\nLeft=7\n");
    FailingOps ops(FailingOps::FailShortWrite, 0);
    platform.fileOps = &ops;
    Window().move(300, 200);
    EXPECT_TRUE(Window().close());
    EXPECT_TRUE(platform.errors.empty());
    EXPECT_EQ(ReadText(dir.File("KVQSETUP.INI")), "[Position]\nTop=5\nLeft=7\n");
    platform.fileOps = nullptr;
}

TEST_F(RobustnessTest, HostileFilesBesideTheProgram) {
    // The help text a folder, the limits file a folder, a vocabulary "file" a folder, and a
    // settings file of binary garbage.
    std::filesystem::remove(dir.File("Help.txt"));
    std::filesystem::create_directory(dir.File("Help.txt"));
    std::filesystem::create_directory(dir.File("kvqsetup.lmt"));
    std::filesystem::create_directory(dir.File("folder.kvq"));
    std::string garbage(4096, '\0');
    std::mt19937 rng(1);
    for (char& c : garbage) c = static_cast<char>(rng());
    WriteText(dir.File("KVQSETUP.INI"), garbage);

    ASSERT_EQ(Window().PageCount(), 0);
    ASSERT_EQ(platform.errors.size(), 1u) << "only the help text is missed";
    EXPECT_EQ(platform.errors[0].text.toStdString(),
              "Cannot open file " + dir.File("Help.txt") + ".");
    EXPECT_FALSE(Action("KVQDefault1")->isVisible()) << "a folder is no limits file";
    Open(SetupFile("car.br1"));
    Window().Copy1Click();
    EXPECT_TRUE(Action("Paste1")->isEnabled()) << "the built-in vocabulary still reads sheets";
    Window().ClosePage1Click();
    EXPECT_EQ(platform.errors.size(), 2u)
        << "the help text is missed again when the last page goes";
    EXPECT_TRUE(Window().close());
}

TEST_F(RobustnessTest, HugeOrBinaryClipboardsAreNotPasted) {
    platform.SetClipboardText(QString(8 << 20, QChar('x')));
    EXPECT_FALSE(Action("Paste1")->isEnabled());
    QString binary;
    std::mt19937 rng(2);
    for (int i = 0; i < 1 << 20; ++i) binary += QChar(static_cast<char16_t>(rng() & 0xFFFF));
    platform.SetClipboardText(binary);
    EXPECT_FALSE(Action("Paste1")->isEnabled());
    Window().Paste1Click();
    EXPECT_EQ(Window().PageCount(), 0);
    EXPECT_TRUE(platform.errors.empty());
}

TEST_F(RobustnessTest, AHundredPages) {
    const std::string path = SetupFile("car.br1");
    for (int i = 0; i < 100; ++i) Open(path);
    ASSERT_EQ(Window().PageCount(), 100);
    EXPECT_EQ(Window().CurrentPage(), 99);
    QTest::mouseClick(Tabs(), Qt::LeftButton, {}, Tabs()->tabRect(Tabs()->currentIndex()).center());
    for (int i = 0; i < 100; ++i) Window().ClosePage1Click();
    EXPECT_EQ(Window().PageCount(), 0);
    EXPECT_TRUE(platform.errors.empty());
}

TEST_F(RobustnessTest, OddFileNamesOpen) {
    for (const char* name : {"no extension", "many.dots.in.name.fe2", "ünïcödé.br1", "x.br13",
                             "semi;colon|pipe.lo3"}) {
        Open(SetupFile(name));
    }
    EXPECT_EQ(Window().PageCount(), 5);
    EXPECT_EQ(Window().PageCaption(2), "ünïcödé.br1");
    EXPECT_EQ(Window().PageSetup(3).GearboxKind, 6);
    const std::string longName = std::string(200, 'a') + ".br1";
    Open(SetupFile(longName));
    EXPECT_EQ(Window().PageCount(), 6);
    EXPECT_TRUE(platform.errors.empty());
}

// A drop as a file manager makes it: the URLs of the files, in order.
void Drop(TForm1& window, const QList<QUrl>& urls, const QString& text = {}) {
    QMimeData data;
    if (!urls.isEmpty()) data.setUrls(urls);
    if (!text.isEmpty()) data.setText(text);
    const QPoint at(100, 100);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    if (!enter.isAccepted()) return;
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);
}

TEST_F(RobustnessTest, DroppedSetupFilesOpenInOrder) {
    std::filesystem::create_directory(dir.File("folder.br1"));
    Drop(Window(), {QUrl::fromLocalFile(QString::fromStdString(SetupFile("a.lo3"))),
                    QUrl::fromLocalFile(QString::fromStdString(dir.File("folder.br1"))),
                    QUrl("https://example.org/c.br1"),
                    QUrl::fromLocalFile(QString::fromStdString(SetupFile("b.br1")))});
    ASSERT_EQ(Window().PageCount(), 2);
    EXPECT_EQ(Window().PageCaption(0), "a.lo3");
    EXPECT_EQ(Window().PageCaption(1), "b.br1");
    EXPECT_EQ(Window().CurrentPage(), 1);
    EXPECT_TRUE(platform.errors.empty());
}

TEST_F(RobustnessTest, AnythingElseDroppedIsIgnored) {
    Drop(Window(), {}, "Steering Ratio: 16:1");
    Drop(Window(), {QUrl("https://example.org/c.br1")});
    EXPECT_EQ(Window().PageCount(), 0);
    WriteText(dir.File("notes.txt"), "not a setup");
    Drop(Window(), {QUrl::fromLocalFile(QString::fromStdString(dir.File("notes.txt")))});
    EXPECT_EQ(Window().PageCount(), 0);
    ASSERT_EQ(platform.errors.size(), 1u)
        << "a file that is no setup is refused as Open refuses it";
    EXPECT_EQ(platform.errors[0].text, "notes.txt: Invalid file type.");
}

} // namespace
} // namespace kvq::test
