// The splash window, the about box and the start-up wait.

#include "WindowFixture.h"

#include "app/LocalPath.h"
#include "app/Splash.h"
#include "app/Startup.h"

#include <QLabel>

namespace kvq::test {
namespace {

TEST(SplashTest, LayoutAndTexts) {
    TSplashForm splash(nullptr, 50);
    EXPECT_EQ(splash.size(), QSize(380, 174));
    EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
    struct Row {
        const char* name;
        QRect geometry;
    };
    const Row rows[] = {{"Panel1", {0, 0, 380, 174}},
                        {"Image1", {208, 2, 170, 170}},
                        {"Label1", {4, 26, 204, 27}},
                        {"Label2", {4, 68, 204, 19}},
                        {"Image2", {304, 120, 16, 16}}};
    for (const Row& row : rows)
        EXPECT_EQ(splash.findChild<QWidget*>(row.name)->geometry(), row.geometry) << row.name;
    EXPECT_EQ(splash.findChild<QLabel*>("Label1")->text(), "KVQ Setup");
    EXPECT_EQ(splash.findChild<QLabel*>("Label2")->text(), "Version 2.3");
    EXPECT_EQ(splash.findChild<QLabel*>("Label1")->font().pixelSize(), 24);
    EXPECT_TRUE(splash.findChild<QLabel*>("Label1")->font().bold());
    EXPECT_FALSE(splash.findChild<QLabel*>("Label2")->font().bold());
    for (const char* name : {"Label3", "Label5"}) {
        const auto* label = splash.findChild<QLabel*>(name);
        EXPECT_FALSE(label->text().isEmpty()) << name;
        EXPECT_EQ(label->x(), 4) << name;
        EXPECT_EQ(label->width(), label->sizeHint().width()) << name;
        EXPECT_LE(label->geometry().right(), 208) << name << " runs into the picture";
    }
}

TEST(SplashTest, SmallPictureOnFiveDrawsInAHundred) {
    for (int draw : {0, 4, 5, 99}) {
        TSplashForm splash(nullptr, draw);
        EXPECT_EQ(!splash.findChild<QLabel*>("Image2")->isHidden(), draw < 5) << draw;
    }
    int shown = 0;
    for (int i = 0; i < 2000; ++i) shown += !TSplashForm().findChild<QLabel*>("Image2")->isHidden();
    EXPECT_GT(shown, 50);
    EXPECT_LT(shown, 160);
}

TEST(SplashTest, ClicksAndKeysClose) {
    for (const char* name : {"Panel1", "Image1", "Label1", "Label2", "Label3", "Label5"}) {
        TSplashForm splash(nullptr, 0);
        splash.show();
        QTest::mouseClick(splash.findChild<QWidget*>(name), Qt::LeftButton);
        EXPECT_TRUE(splash.isHidden()) << name;
        EXPECT_EQ(splash.result(), QDialog::Accepted) << name;
    }
    TSplashForm splash(nullptr, 0);
    splash.show();
    QTest::mouseClick(splash.findChild<QWidget*>("Image2"), Qt::LeftButton);
    EXPECT_TRUE(splash.isVisible()) << "the small picture does not close the window";
    QTest::keyClick(&splash, Qt::Key_Shift);
    EXPECT_TRUE(splash.isVisible()) << "a key without a character";
    QTest::keyClick(&splash, Qt::Key_Q);
    EXPECT_TRUE(splash.isHidden());
}

TEST_F(WindowTest, StartUpHoldsTheSplashForTwoSecondsFromTheStart) {
    platform.clock = 1000;
    auto form = StartUp(platform, 1000);
    EXPECT_EQ(platform.slept, 2000);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->windowTitle(), "KVQ Setup V2.3");
    for (QWidget* top : QApplication::topLevelWidgets())
        EXPECT_FALSE(qobject_cast<TSplashForm*>(top) && top->isVisible()) << "the splash is gone";
}

TEST_F(WindowTest, SlowStartUpDoesNotWait) {
    platform.clock = 5000;
    auto form = StartUp(platform, 2500);
    EXPECT_LE(platform.slept, 0);
}

// The files come byte for byte, also after "--" and when they are no UTF-8; help and version win
// over files, wherever they stand.
TEST(CommandLineTest, FilesHelpVersionAndUsageErrors) {
    using Action = CommandLine::Action;
    struct Row {
        std::vector<std::string> args;
        Action action;
        std::vector<std::string> files;
        const char* error = "";
    };
    // clang-format off
    const Row rows[] = {
        {{}, Action::Run, {}},
        {{"a.br1", "dir/b.fe2", "-"}, Action::Run, {"a.br1", "dir/b.fe2", "-"}},
        {{"caf\xe9.br1"}, Action::Run, {"caf\xe9.br1"}},
        {{"--", "-x.br1", "--help"}, Action::Run, {"-x.br1", "--help"}},
        {{"a.br1", "--help"}, Action::Help, {"a.br1"}},
        {{"-h"}, Action::Help, {}},
        {{"--version", "-h"}, Action::Help, {}},
        {{"-v"}, Action::Version, {}},
        {{"--version"}, Action::Version, {}},
        {{"--bogus", "a.br1"}, Action::UsageError, {"a.br1"}, "Unknown option 'bogus'."},
        {{"-platform", "offscreen"}, Action::UsageError, {"offscreen"},
         "Unknown option 'platform'."},
    };
    // clang-format on
    for (const Row& row : rows) {
        std::vector<std::string> args{"kvqsetup"};
        args.insert(args.end(), row.args.begin(), row.args.end());
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        const CommandLine commandLine =
            ParseCommandLine(static_cast<int>(argv.size()), argv.data());
        const std::string trace = args.back();
        EXPECT_EQ(commandLine.Do, row.action) << trace;
        std::vector<std::string> files;
        for (const QString& file : commandLine.Files) files.push_back(LocalPath(file));
        EXPECT_EQ(files, row.files) << trace;
        EXPECT_EQ(commandLine.Error.toStdString(), row.error) << trace;
    }
}

} // namespace
} // namespace kvq::test
