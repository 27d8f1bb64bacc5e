// Reading and writing the kinds of files only POSIX systems have (pipes, FIFOs, devices,
// sockets), and their permission bits, owners and links.

#include "setup/SetupDocument.h"

#include "SetupFiles.h"
#include "TestFiles.h"
#include "base/AtomicFile.h"
#include "base/Utils.h"
#include "setup/ImportTemplate.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace kvq {
namespace {

using test::HiddenFiles;
using test::ReadBytes;
using test::TempDir;
using test::TemplateBytes;
using test::WriteBytes;
using test::WriteError;

bool IsRoot() { return ::geteuid() == 0; }

// Writes the bytes to the file open() opens in two pieces with a pause between, as a slow pipe
// delivers them. A reader that stops early makes the write fail, not the test die of SIGPIPE.
std::jthread WriteInPieces(std::function<int()> open, std::vector<std::uint8_t> bytes) {
    return std::jthread([open = std::move(open), bytes = std::move(bytes)] {
        sigset_t pipeSignal;
        ::sigemptyset(&pipeSignal);
        ::sigaddset(&pipeSignal, SIGPIPE);
        ::pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
        const int fd = open();
        if (fd < 0) return;
        if (::write(fd, bytes.data(), 100) == 100) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            EXPECT_EQ(::write(fd, bytes.data() + 100, bytes.size() - 100),
                      static_cast<long>(bytes.size() - 100));
        }
        ::close(fd);
    });
}

// Regular files are read by both front ends; a pipe only where waiting for its writer is allowed,
// and then to its end however it delivers, never the first piece taken for the whole file.
TEST(LoadSetupTest, EachKindOfInput) {
    auto shortBytes = TemplateBytes();
    shortBytes.resize(100);
    struct Row {
        const char* kind;
        Waiting waiting;
        std::vector<std::uint8_t> expected; // empty: refused
    };
    const Row rows[] = {
        {"regular file", Waiting::Never, TemplateBytes()},
        {"short file", Waiting::Allowed, shortBytes},
        {"pipe", Waiting::Allowed, TemplateBytes()},
        {"FIFO", Waiting::Allowed, TemplateBytes()},
        {"pipe", Waiting::Never, {}},
        {"FIFO", Waiting::Never, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.kind) + (row.waiting == Waiting::Never ? ", no waiting" : ""));
        TempDir dir;
        std::string path = dir.File("car.br1");
        std::jthread writer;
        int pipeEnds[2] = {-1, -1};
        const std::string kind = row.kind;
        if (kind == "regular file" || kind == "short file") {
            WriteBytes(path, row.expected);
        } else if (kind == "pipe") { // as a shell's <(...) or /dev/stdin give it
            ASSERT_EQ(::pipe(pipeEnds), 0);
            path = "/dev/fd/" + std::to_string(pipeEnds[0]);
            writer = WriteInPieces([w = pipeEnds[1]] { return w; }, TemplateBytes());
        } else {
            ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
            if (row.waiting == Waiting::Allowed)
                writer = WriteInPieces([path] { return ::open(path.c_str(), O_WRONLY); },
                                       TemplateBytes());
        }
        TSetup setup;
        std::string error;
        try {
            LoadSetup(setup, path, row.waiting);
        } catch (const KvqError& e) {
            error = e.what();
        }
        // A reader that gave up early leaves the writer waiting for one: let it finish.
        const FileDescriptor release(kind == "FIFO" ? ::open(path.c_str(), O_RDONLY | O_NONBLOCK)
                                                    : -1);
        if (writer.joinable()) writer.join();
        if (pipeEnds[0] >= 0) ::close(pipeEnds[0]);
        if (row.expected.empty()) {
            EXPECT_EQ(error, std::string(FileNameOf(path)) + ": not a regular file");
        } else {
            EXPECT_EQ(error, "");
            auto expected = row.expected;
            expected.resize(SetupRecord::kSize);
            EXPECT_EQ(std::vector<std::uint8_t>(setup.Record.ToBytes().begin(),
                                                setup.Record.ToBytes().end()),
                      expected);
        }
    }
}

TEST(WriteSetupFileTest, ReplacesAnExistingFileAndKeepsItsMode) {
    TempDir dir;
    const std::string path = dir.File("car.br1");
    WriteBytes(path, {1, 2, 3});
    ::chmod(path.c_str(), 0640);
    WriteSetupFile(path, ImportTemplate());
    EXPECT_EQ(ReadBytes(path), TemplateBytes());
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1)
        << "no temporary file is left behind";
}

// Only what can be replaced is replaced: a regular file, a missing one or a link to one. A device
// or a pipe is written in place, as cp and a shell's ">" write it; a folder is refused.
TEST(WriteSetupFileTest, EachKindOfTarget) {
    struct Row {
        const char* kind;
        bool needsRoot;
        std::function<int(const std::string& path)> make; // a reader of the target, or -1
        mode_t typeAfter;                                 // what is there afterwards
        const char* error;                                // after "Cannot write t.br1: "
    };
    const auto none = [](const std::string&) { return -1; };
    const auto fifo = [](const std::string& path) {
        EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
        return -1;
    };
    const auto device = [](unsigned minor) {
        return [minor](const std::string& path) {
            EXPECT_EQ(::mknod(path.c_str(), S_IFCHR | 0600, makedev(1, minor)), 0);
            return -1;
        };
    };
    // clang-format off
    const Row rows[] = {
        {"regular file", false, [](const std::string& p) { WriteBytes(p, {1, 2}); return -1; },
         S_IFREG, ""},
        {"missing file", false, none, S_IFREG, ""},
        {"link to a regular file", false,
         [](const std::string& p) {
             WriteBytes(p + ".real", {1});
             std::filesystem::create_symlink(p + ".real", p);
             return -1;
         },
         S_IFLNK, ""},
        {"FIFO with a reader", false,
         [&](const std::string& p) {
             fifo(p);
             return ::open(p.c_str(), O_RDONLY | O_NONBLOCK);
         },
         S_IFIFO, ""},
        {"FIFO nobody reads", false, fifo, S_IFIFO, "No such device or address"},
        {"socket", false,
         [](const std::string& p) {
             sockaddr_un address{};
             address.sun_family = AF_UNIX;
             p.copy(address.sun_path, sizeof address.sun_path - 1);
             const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
             EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
             ::close(fd);
             return -1;
         },
         S_IFSOCK, "No such device or address"},
        {"null device", true, device(3), S_IFCHR, ""},
        {"full device", true, device(7), S_IFCHR, "No space left on device"},
        {"link to a device", true,
         [&](const std::string& p) {
             device(5)(p + ".zero");
             std::filesystem::create_symlink(p + ".zero", p);
             return -1;
         },
         S_IFLNK, ""},
        {"folder", false,
         [](const std::string& p) {
             std::filesystem::create_directory(p);
             return -1;
         },
         S_IFDIR, "Is a directory"},
    };
    // clang-format on
    std::string skipped;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.kind);
        if (row.needsRoot && !IsRoot()) {
            skipped += std::string(" ") + row.kind + ",";
            continue;
        }
        TempDir dir;
        const std::string path = dir.File("t.br1");
        const int reader = row.make(path);
        struct stat before {};
        const bool existed = ::stat(path.c_str(), &before) == 0;
        const std::string expected =
            *row.error ? std::string("Cannot write t.br1: ") + row.error : "";
        EXPECT_EQ(WriteError(path), expected);
        struct stat after {};
        ASSERT_EQ(::lstat(path.c_str(), &after), 0);
        EXPECT_EQ(after.st_mode & S_IFMT, row.typeAfter);
        ASSERT_EQ(::stat(path.c_str(), &after), 0);
        if (existed) {
            EXPECT_EQ(after.st_mode & S_IFMT, before.st_mode & S_IFMT) << "still that kind";
        }
        if (S_ISREG(after.st_mode)) {
            EXPECT_EQ(ReadBytes(path), TemplateBytes());
        }
        if (reader >= 0) {
            std::vector<std::uint8_t> got(300);
            const long n = ::read(reader, got.data(), got.size());
            got.resize(static_cast<std::size_t>(std::max(0L, n)));
            EXPECT_EQ(got, TemplateBytes()) << "the reader has the record";
            ::close(reader);
        }
        EXPECT_EQ(HiddenFiles(dir.Path()), 0) << "no temporary file is left";
    }
    if (!skipped.empty()) GTEST_SKIP() << "not root, so no device nodes (mknod):" << skipped;
}

// What an editor does with permissions: a file its user may not write is refused, whatever the
// folder allows; the owner and group of a replaced file stay where the writer may keep them.
TEST(WriteSetupFileTest, PermissionsAndOwnersAsAnEditorKeepsThem) {
    if (!IsRoot()) GTEST_SKIP() << "needs root: to write as another user and to give files away";
    TempDir dir;
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
    const std::string shared = dir.File("shared");
    std::filesystem::create_directory(shared);
    ASSERT_EQ(::chmod(shared.c_str(), 0777), 0);
    constexpr uid_t kNobody = 65534;
    struct Row {
        const char* name;
        mode_t mode;
        const char* error; // as the user nobody
    };
    for (const Row& row :
         {Row{"writable.br1", 0644, ""}, Row{"readonly.br1", 0444, "Permission denied"}}) {
        const std::string path = shared + "/" + row.name;
        const std::string expected =
            *row.error ? std::string("Cannot write ") + row.name + ": " + row.error : "";
        WriteBytes(path, {1});
        ASSERT_EQ(::chown(path.c_str(), kNobody, kNobody), 0);
        ASSERT_EQ(::chmod(path.c_str(), row.mode), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            const bool asExpected =
                ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0 && WriteError(path) == expected;
            ::_exit(asExpected ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << row.name;
        EXPECT_EQ(ReadBytes(path), *row.error ? std::vector<std::uint8_t>{1} : TemplateBytes())
            << row.name;
        EXPECT_EQ(HiddenFiles(dir.Path()), 0);
    }

    const std::string theirs = dir.File("theirs.br1");
    WriteBytes(theirs, {1});
    ASSERT_EQ(::chown(theirs.c_str(), 4321, 4322), 0);
    ASSERT_EQ(::chmod(theirs.c_str(), 0640), 0);
    EXPECT_EQ(WriteError(theirs), "");
    struct stat info {};
    ASSERT_EQ(::stat(theirs.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 4321u);
    EXPECT_EQ(info.st_gid, 4322u);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

// A temporary name may not be longer than the folder allows, nor make the path too long.
TEST(WriteSetupFileTest, LongNamesAndPathsAreWritten) {
    TempDir dir;
    const std::string longName = std::string(251, 'n') + ".br1"; // 255 bytes, the most a name has
    std::string deepPath = dir.Path().string();
    while (deepPath.size() < 4095 - 300) {
        deepPath += "/" + std::string(200, 'd');
        std::filesystem::create_directory(deepPath);
    }
    deepPath += "/" + std::string(4095 - deepPath.size() - 5, 'p') + ".br1"; // 4,095 characters
    ASSERT_EQ(deepPath.size(), 4095u);
    for (const std::string& path : {dir.File(longName), deepPath}) {
        EXPECT_EQ(WriteError(path), "") << path.size();
        EXPECT_EQ(ReadBytes(path), TemplateBytes()) << path.size();
        EXPECT_EQ(WriteError(path), "") << "and replaced: " << path.size();
    }
    EXPECT_EQ(HiddenFiles(dir.Path()), 0);
}

TEST(WriteSetupFileTest, FollowsASymbolicLink) {
    TempDir dir;
    WriteBytes(dir.File("real.br1"), {1});
    std::filesystem::create_symlink(dir.File("real.br1"), dir.File("link.br1"));
    WriteSetupFile(dir.File("link.br1"), ImportTemplate());
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.br1")));
    EXPECT_EQ(ReadBytes(dir.File("real.br1")), TemplateBytes());
}

} // namespace
} // namespace kvq
