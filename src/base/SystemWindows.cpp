// The system seam on Windows (built with MinGW-w64). Names arrive as UTF-8 and reach the system
// as UTF-16, long ones with the "\\?\" prefix that lifts the limit of 260 characters. Files are
// open by the C runtime's numbers over the system's handles, so the careful writer above works
// alike on both systems.

#include "base/SystemWindows.h"

#include "base/AtomicFile.h"
#include "base/System.h"

#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <io.h>

namespace kvq {

std::wstring Wide(std::string_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    wide.resize(static_cast<std::size_t>(
        ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), size)));
    return wide;
}

std::string Utf8(std::wstring_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

std::wstring SystemName(std::string_view path) {
    std::wstring wide = Wide(path);
    constexpr std::size_t kShortEnough = MAX_PATH - 14; // room for a temporary name's end
    if (wide.size() < kShortEnough || wide.starts_with(L"\\\\?\\")) return wide;
    const DWORD size = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (size == 0) return wide;
    std::wstring full(size, L'\0');
    full.resize(::GetFullPathNameW(wide.c_str(), size, full.data(), nullptr));
    if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

namespace {

// The errno nearest to the system's error, so messages read as on every other system.
int ErrnoOf(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME: return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return EACCES;
    case ERROR_WRITE_PROTECT: return EROFS;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    case ERROR_FILENAME_EXCED_RANGE: return ENAMETOOLONG;
    case ERROR_DIRECTORY: return ENOTDIR;
    case ERROR_NOT_SAME_DEVICE: return EXDEV;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: return ENOMEM;
    case ERROR_INVALID_NAME: return EINVAL;
    case ERROR_TOO_MANY_OPEN_FILES: return EMFILE;
    default: return EIO;
    }
}

// -1 with errno set from the system's last error.
int Failed() {
    errno = ErrnoOf(::GetLastError());
    return -1;
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// A C runtime file number for the handle, which it then owns; -1 with errno on failure.
int NumberFor(HANDLE handle, int flags) {
    if (handle == INVALID_HANDLE_VALUE) return Failed();
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), flags | _O_BINARY);
    if (fd < 0) {
        ::CloseHandle(handle);
        errno = EMFILE;
    }
    return fd;
}

HANDLE HandleOf(int fd) { return reinterpret_cast<HANDLE>(::_get_osfhandle(fd)); }

// The name inside the open folder, in the system's form.
std::wstring InFolder(int folder, const char* name) {
    const HANDLE handle = HandleOf(folder);
    std::wstring path(MAX_PATH, L'\0');
    DWORD length = ::GetFinalPathNameByHandleW(handle, path.data(), MAX_PATH, VOLUME_NAME_DOS);
    if (length >= MAX_PATH) {
        path.resize(length);
        length = ::GetFinalPathNameByHandleW(handle, path.data(), length, VOLUME_NAME_DOS);
    }
    path.resize(length);
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    return path + Wide(name);
}

} // namespace

// The temporary file is written through to the disk as it is written, so that by the time a
// batch renames it nothing of it waits in a cache (Windows offers no flush of a whole volume to
// a user); SyncFolder then has nothing left to do.
int FileOps::CreateNew(int folder, const char* name) {
    return NumberFor(::CreateFileW(InFolder(folder, name).c_str(), GENERIC_READ | GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr),
                     _O_RDWR);
}
long FileOps::Write(int fd, const void* data, std::size_t size) {
    return ::_write(fd, data, static_cast<unsigned>(std::min<std::size_t>(size, INT_MAX)));
}
// Windows files carry no permission bits to copy, and a read-only target is refused before.
int FileOps::Fchmod(int /*fd*/, mode_t /*mode*/) { return 0; }
int FileOps::Fsync(int fd) { return ::_commit(fd); }
int FileOps::Close(int fd) { return ::_close(fd); }
int FileOps::Rename(int folder, const char* from, const char* to) {
    if (::MoveFileExW(InFolder(folder, from).c_str(), InFolder(folder, to).c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 0;
    return Failed();
}
int FileOps::SyncFolder(int /*folder*/) { return 0; }

} // namespace kvq

namespace kvq::sys {

namespace {

int StatusOfHandle(HANDLE handle, FileStatus& status) {
    status = {};
    const DWORD type = ::GetFileType(handle);
    if (type != FILE_TYPE_DISK) {
        if (type == FILE_TYPE_UNKNOWN && ::GetLastError() != NO_ERROR)
            return ErrnoOf(::GetLastError());
        status.kind = FileKind::Other; // a console, a pipe, NUL
        status.mode = 0666;
        return 0;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info)) return ErrnoOf(::GetLastError());
    const bool folder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    status.kind = folder ? FileKind::Folder : FileKind::Regular;
    status.mode = (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0 ? 0444 : 0666;
    status.device = info.dwVolumeSerialNumber;
    status.index = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    status.size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    // FILETIME counts 100 ns steps since 1601; 11,644,473,600 s lie between 1601 and 1970.
    const std::int64_t steps =
        static_cast<std::int64_t>((std::uint64_t{info.ftLastWriteTime.dwHighDateTime} << 32) |
                                  info.ftLastWriteTime.dwLowDateTime);
    status.modifiedNs = (steps - 116'444'736'000'000'000) * 100;
    return 0;
}

} // namespace

PathStyle SystemPathStyle() { return PathStyle::Windows; }

std::string_view FolderSeparators() { return "\\/"; }

std::string PathKey(const std::string& path) {
    std::wstring key = Wide(path);
    ::CharUpperBuffW(key.data(), static_cast<DWORD>(key.size()));
    return Utf8(key);
}

std::filesystem::path NativePath(std::string_view path) {
    return std::filesystem::path(Wide(path));
}

std::string PathText(const std::filesystem::path& path) { return Utf8(path.native()); }

int StatusOf(const std::string& path, FileStatus& status) {
    const HANDLE handle =
        ::CreateFileW(SystemName(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        status = {};
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? 0 : ErrnoOf(error);
    }
    const int error = StatusOfHandle(handle, status);
    ::CloseHandle(handle);
    return error;
}

int StatusOf(int fd, FileStatus& status) { return StatusOfHandle(HandleOf(fd), status); }

int CheckWritable(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(SystemName(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return ErrnoOf(::GetLastError());
    return (attributes & FILE_ATTRIBUTE_READONLY) != 0 ? EACCES : 0;
}

// Windows opens a named pipe or a device at once, waiting or not.
int OpenForReading(const std::string& path, bool /*wait*/) {
    return NumberFor(::CreateFileW(SystemName(path).c_str(), GENERIC_READ, kShareAll, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr),
                     _O_RDONLY);
}

int OpenForWriting(const std::string& path, bool /*wait*/) {
    return NumberFor(::CreateFileW(SystemName(path).c_str(), GENERIC_WRITE, kShareAll, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr),
                     _O_WRONLY);
}

long ReadSome(int fd, void* data, std::size_t size) {
    return ::_read(fd, data, static_cast<unsigned>(std::min<std::size_t>(size, INT_MAX)));
}

int CloseFile(int fd) { return ::_close(fd); }

std::FILE* OpenStream(const std::string& path, const char* mode) {
    return ::_wfopen(SystemName(path).c_str(), Wide(mode).c_str());
}

int OpenFolder(const std::string& folder) {
    return NumberFor(::CreateFileW(SystemName(folder).c_str(), FILE_READ_ATTRIBUTES, kShareAll,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr),
                     _O_RDONLY);
}

int RemoveIn(int folder, const char* name) {
    return ::DeleteFileW(InFolder(folder, name).c_str()) ? 0 : Failed();
}

// NTFS, exFAT and FAT with long names all take names of 255 UTF-16 units, which a name of 255
// UTF-8 bytes never exceeds.
std::size_t MaxNameLength(int /*folder*/) { return 255; }

// Windows gives a new file the owner and the access rules of the folder it is made in.
void TakeOwnership(int /*fd*/, const FileStatus& /*like*/) {}

unsigned NewFileMode() { return 0666; }

// Whether a file can be made there: what the folder's access rules say, which no attribute of
// the folder tells.
bool MayWriteIn(const std::string& folder) {
    const std::wstring probe =
        SystemName(folder + "\\.kvq-write-probe-" + std::to_string(::GetCurrentProcessId()));
    const HANDLE handle =
        ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    ::CloseHandle(handle);
    return true;
}

// The folder gets the access rules of the user's profile folder it is made in.
void MakePrivateFolder(const std::string& folder) {
    ::CreateDirectoryW(SystemName(folder).c_str(), nullptr);
}

namespace {

SRWLOCK endingSignalsHeld = SRWLOCK_INIT;
void (*cleanUpOnSignal)() = nullptr;

// Runs on a thread of its own that the system starts for the event; the lock makes it wait
// while the program changes what cleanUpOnSignal reads.
BOOL WINAPI CleanUpAndEnd(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT: break;
    default: return FALSE;
    }
    ::AcquireSRWLockExclusive(&endingSignalsHeld);
    cleanUpOnSignal();
    // The status with which Windows ends a program on Ctrl+C.
    ::ExitProcess(STATUS_CONTROL_C_EXIT);
}

} // namespace

void HoldEndingSignals() { ::AcquireSRWLockExclusive(&endingSignalsHeld); }

void ReleaseEndingSignals() { ::ReleaseSRWLockExclusive(&endingSignalsHeld); }

void OnEndingSignals(void (*cleanUp)()) {
    cleanUpOnSignal = cleanUp;
    // A program started with Ctrl+C ignored is not told of it: it stays ignored.
    ::SetConsoleCtrlHandler(&CleanUpAndEnd, TRUE);
}

// The C runtime's narrow environment is in the local code page, which cannot hold every value.
std::optional<std::string> EnvironmentVariable(const char* name) {
    const wchar_t* value = ::_wgetenv(Wide(name).c_str());
    if (!value) return std::nullopt;
    return Utf8(value);
}

// The C runtime's argv is in the local code page, which cannot hold every name: the wide command
// line can.
std::vector<std::string> CommandLineArguments(int /*argc*/, char** /*argv*/) {
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i) arguments.push_back(Utf8(wide[i]));
    ::LocalFree(wide);
    return arguments;
}

void PrepareStandardStreams() {
    for (std::FILE* stream : {stdin, stdout, stderr}) ::_setmode(::_fileno(stream), _O_BINARY);
    // The companion writes UTF-8; a console shows it as such.
    ::SetConsoleOutputCP(CP_UTF8);
}

std::string ProgramVersion() {
    std::wstring self(MAX_PATH, L'\0');
    DWORD length = 0;
    while ((length = ::GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()))) ==
           self.size())
        self.resize(self.size() * 2);
    self.resize(length);
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(self.c_str(), &ignored);
    std::string data(size, '\0');
    VS_FIXEDFILEINFO* info = nullptr;
    UINT infoSize = 0;
    if (size == 0 || !::GetFileVersionInfoW(self.c_str(), 0, size, data.data()) ||
        !::VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &infoSize) ||
        infoSize < sizeof *info)
        return "(no version resource)";
    return std::to_string(HIWORD(info->dwFileVersionMS)) + "." +
           std::to_string(LOWORD(info->dwFileVersionMS)) + "." +
           std::to_string(HIWORD(info->dwFileVersionLS)) + "." +
           std::to_string(LOWORD(info->dwFileVersionLS));
}

} // namespace kvq::sys
