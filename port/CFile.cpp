#include "port/CFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string DecodePercentEscapes(const char* text)
{
    std::string out;
    for (const char* p = text; *p; ++p) {
        if (*p == '%' && HexValue(p[1]) >= 0 && HexValue(p[2]) >= 0) {
            out += static_cast<char>(HexValue(p[1]) * 16 + HexValue(p[2]));
            p += 2;
        } else {
            out += *p;
        }
    }
    return out;
}

constexpr std::size_t kMaxPath = 2047;

} // namespace

std::string CFile::FileSystemPath(const char* path)
{
    if (!path) return {};
    std::string result;
    // Only file URLs are decoded: a plain Linux path may legitimately contain '%'.
    static const char kScheme[] = "file://";
    if (std::strncmp(path, kScheme, sizeof kScheme - 1) == 0) {
        const char* rest = path + sizeof kScheme - 1;
        if (std::strncmp(rest, "localhost/", 10) == 0) rest += 9;
        result = DecodePercentEscapes(rest);
    } else {
        result = path;
    }
    if (result.size() > kMaxPath) result.resize(kMaxPath);
    return result;
}

bool CFile::Open(const char* path, unsigned int flags, CFileException*)
{
    Close();
    m_path = FileSystemPath(path);
    if (m_path.empty()) return false;

    int mode = O_RDONLY;
    if (flags & modeCreate) {
        // Replace, not overwrite in place: a reader holding the old file keeps it whole.
        ::unlink(m_path.c_str());
        mode = O_WRONLY | O_CREAT | O_TRUNC;
    } else if (flags & modeReadWrite) {
        mode = O_RDWR | O_CREAT | O_TRUNC;
    } else if (flags & modeWrite) {
        mode = O_WRONLY | O_CREAT | O_TRUNC;
    }
    // Never block in open: a FIFO at the path would wait for a writer for ever.
    do {
        m_fd = ::open(m_path.c_str(), mode | O_CLOEXEC | O_NONBLOCK, 0644);
    } while (m_fd < 0 && errno == EINTR);
    if (m_fd < 0) return false;
    // Only regular files are files here: not folders, FIFOs, sockets or devices (/dev/zero).
    struct stat st {};
    if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        Close();
        return false;
    }
    const int status = ::fcntl(m_fd, F_GETFL);
    if (status >= 0) ::fcntl(m_fd, F_SETFL, status & ~O_NONBLOCK);
    return true;
}

unsigned int CFile::Read(void* buffer, unsigned int count)
{
    if (m_fd < 0 || !buffer) return 0;
    unsigned int done = 0;
    auto* bytes = static_cast<unsigned char*>(buffer);
    while (done < count) {
        const ssize_t n = ::read(m_fd, bytes + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<unsigned int>(n);
    }
    return done;
}

bool CFile::Write(const void* buffer, unsigned int count)
{
    if (m_fd < 0 || (!buffer && count)) return false;
    unsigned int done = 0;
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    while (done < count) {
        const ssize_t n = ::write(m_fd, bytes + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<unsigned int>(n);
    }
    return true;
}

long CFile::Seek(long offset, unsigned int from)
{
    if (m_fd < 0) return 0;
    if (from > end) return static_cast<long>(::lseek(m_fd, 0, SEEK_CUR));
    const int whence = from == begin ? SEEK_SET : from == current ? SEEK_CUR : SEEK_END;
    const off_t at = ::lseek(m_fd, offset, whence);
    return at < 0 ? static_cast<long>(::lseek(m_fd, 0, SEEK_CUR)) : static_cast<long>(at);
}

bool CFile::Flush()
{
    return m_fd >= 0 && ::fsync(m_fd) == 0;
}

bool CFile::Close()
{
    if (m_fd < 0) return true;
    const bool ok = ::close(m_fd) == 0;
    m_fd = -1;
    return ok;
}
