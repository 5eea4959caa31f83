#include "port/AtomicFile.h"

#include "port/CFile.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kTemporaryMark = ".tmp-";
constexpr time_t kAbandonedAfterSeconds = 24 * 60 * 60;

std::string FolderOf(const std::string& path)
{
    const std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? "./" : path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path)
{
    const std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Reads the digits at text[at...]; false when there are none or the number overflows.
bool TakeNumber(const std::string& text, std::string::size_type& at, long& number)
{
    const std::string::size_type start = at;
    number = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
        if (number > 100000000L) return false;
        number = number * 10 + (text[at] - '0');
        ++at;
    }
    return at > start;
}

// The writer's process id when entry is one of base's temporaries, else -1.
long TemporaryWriter(const std::string& entry, const std::string& base)
{
    const std::string prefix = base + kTemporaryMark;
    if (entry.compare(0, prefix.size(), prefix) != 0) return -1;
    std::string::size_type at = prefix.size();
    long pid = 0, serial = 0;
    if (!TakeNumber(entry, at, pid) || at >= entry.size() || entry[at++] != '-') return -1;
    if (!TakeNumber(entry, at, serial) || at != entry.size()) return -1;
    return pid;
}

bool WriterIsGone(long pid)
{
    if (pid <= 0) return true;
    if (pid == static_cast<long>(::getpid())) return false; // may be writing in another thread
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

void SyncFolder(const std::string& folder)
{
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return;
    ::fsync(dir);
    ::close(dir);
}

} // namespace

int RemoveStaleTemporaries(const std::string& path)
{
    const std::string folder = FolderOf(path);
    const std::string base = NameOf(path);
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir || base.empty()) return 0;
    int removed = 0;
    const time_t now = std::time(nullptr);
    while (const dirent* entry = ::readdir(dir.get())) {
        const long pid = TemporaryWriter(entry->d_name, base);
        if (pid < 0) continue;
        const std::string full = folder + entry->d_name;
        struct stat st {};
        if (::lstat(full.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        if (!WriterIsGone(pid) && now - st.st_mtime < kAbandonedAfterSeconds) continue;
        if (::unlink(full.c_str()) == 0) ++removed;
    }
    return removed;
}

bool WriteFileAtomically(const std::string& path, const void* data, std::size_t size)
{
    RemoveStaleTemporaries(path);
    static std::atomic<unsigned> counter {0};
    char suffix[64];
    std::snprintf(suffix, sizeof suffix, "%s%ld-%u", kTemporaryMark, static_cast<long>(::getpid()),
                  counter.fetch_add(1));
    const std::string temporary = path + suffix;

    CFile file;
    if (!file.Open(temporary.c_str(), CFile::modeCreate | CFile::modeWrite)) return false;
    const bool written = file.Write(data, static_cast<unsigned int>(size)) && file.Flush();
    if (!file.Close() || !written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    // Make the rename itself durable.
    SyncFolder(FolderOf(path));
    return true;
}

bool MoveAside(const std::string& path, const std::string& suffix)
{
    const std::string aside = path + suffix;
    if (std::rename(path.c_str(), aside.c_str()) == 0) return true;
    // An older entry of another kind (a folder in place of a file, or the reverse) or a
    // folder with contents cannot be renamed over: it goes first. Links are not followed.
    if (errno != EISDIR && errno != ENOTDIR && errno != ENOTEMPTY && errno != EEXIST) return false;
    std::error_code error;
    std::filesystem::remove_all(aside, error);
    return !error && std::rename(path.c_str(), aside.c_str()) == 0;
}
