#include "base/FileNotices.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <tuple>
#include <vector>
#ifdef _WIN32
#include <windows.h>
#else
#include <poll.h>
#endif

namespace kvq {
namespace {

using test::TempDir;
using Notice = std::tuple<std::string, std::string, bool>; // path, name, gone

// Waits for the handle as an event loop does: readable on Linux, signalled on Windows.
bool WaitFor(std::intptr_t handle) {
    constexpr int kMilliseconds = 5000;
#ifdef _WIN32
    return ::WaitForSingleObject(reinterpret_cast<HANDLE>(handle), kMilliseconds) == WAIT_OBJECT_0;
#else
    pollfd ready{static_cast<int>(handle), POLLIN, 0};
    return ::poll(&ready, 1, kMilliseconds) == 1;
#endif
}

bool UnderWine() {
#ifdef _WIN32
    return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
#else
    return false;
#endif
}

// In a folder "d" that holds the file "f": what is watched, what another program does, and the
// notices that must come of it. The system may tell more (a write is several changes), but no
// path is gone that was not.
TEST(FileNoticesTest, WhatHappensAtAWatchedPathIsTold) {
    namespace fs = std::filesystem;
    struct Row {
        const char* name;
        std::vector<std::pair<const char*, bool>> watched; // path, folder
        std::function<void(const TempDir&)> change;
        std::vector<Notice> expected;
        // Wine removes a folder only once the last handle on it is closed, the watch's too, and
        // tells nothing until then. Whether Windows itself tells it at once has not been tried
        // here: there is no Windows machine to run it on.
        bool notUnderWine = false;
    };
    const Row rows[] = {
        {"an entry comes into a watched folder",
         {{"d", true}},
         [](const TempDir& dir) { test::WriteText(dir.File("d/new"), "x"); },
         {{"d", "new", false}}},
        {"a watched file is written",
         {{"d/f", false}},
         [](const TempDir& dir) { test::WriteText(dir.File("d/f"), "changed"); },
         {{"d/f", "", false}}},
        {"a watched file is removed",
         {{"d/f", false}},
         [](const TempDir& dir) { fs::remove(dir.File("d/f")); },
         {{"d/f", "", true}}},
        {"a watched file is renamed away",
         {{"d/f", false}},
         [](const TempDir& dir) { fs::rename(dir.File("d/f"), dir.File("d/g")); },
         {{"d/f", "", true}}},
        {"two paths to one folder",
         {{"d", true}, {"d/.", true}},
         [](const TempDir& dir) { test::WriteText(dir.File("d/new"), "x"); },
         {{"d", "new", false}, {"d/.", "new", false}}},
        {"a watched folder is removed",
         {{"d", true}},
         [](const TempDir& dir) { fs::remove_all(dir.File("d")); },
         {{"d", "", true}},
         true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.notUnderWine && UnderWine()) continue;
        TempDir dir;
        fs::create_directory(dir.File("d"));
        test::WriteText(dir.File("d/f"), "setup");
        std::vector<Notice> told;
        const auto notices =
            FileNotices::Make([&](const std::string& path, const std::string& name, bool gone) {
                told.emplace_back(path, name, gone);
            });
        ASSERT_NE(notices->WaitHandle(), -1);
        EXPECT_FALSE(notices->Watch(dir.File("missing"), false));
        for (const auto& [path, folder] : row.watched)
            ASSERT_TRUE(notices->Watch(dir.File(path), folder)) << path;

        row.change(dir);
        std::vector<Notice> expected;
        for (const auto& [path, name, gone] : row.expected)
            expected.emplace_back(dir.File(path), name, gone);
        const auto allTold = [&] {
            return std::ranges::all_of(expected, [&](const Notice& notice) {
                return std::ranges::find(told, notice) != told.end();
            });
        };
        while (!allTold() && WaitFor(notices->WaitHandle())) notices->Read();
        for (const auto& [path, name, gone] : expected)
            EXPECT_NE(std::ranges::find(told, Notice{path, name, gone}), told.end())
                << path << " '" << name << "' " << (gone ? "gone" : "");
        for (const auto& [path, name, gone] : told) {
            if (!gone) continue;
            EXPECT_NE(std::ranges::find(expected, Notice{path, name, gone}), expected.end())
                << path << " '" << name << "' told gone";
        }
    }
}

} // namespace
} // namespace kvq
