#include "tools/render/OutputFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

OutputFile::~OutputFile()
{
    Discard();
}

bool OutputFile::Fail(const std::string& what, int error)
{
    if (error == ENOSPC)
        m_error = what + " '" + m_path + "': no space left on device";
    else
        m_error = what + " '" + m_path + "': " + (error ? std::strerror(error) : "the sound library refused");
    if (error != ENOSPC && m_file && sf_error(m_file)) m_error += std::string(" (") + sf_strerror(m_file) + ")";
    if (!m_temporary.empty()) m_error += "; the unfinished file was removed";
    Discard();
    return false;
}

void OutputFile::Discard()
{
    if (m_file) sf_close(m_file);
    m_file = nullptr;
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
    if (!m_temporary.empty()) ::unlink(m_temporary.c_str());
    m_temporary.clear();
}

bool OutputFile::Open(const std::string& path, SF_INFO& info)
{
    m_path = path;
    m_temporary = path + ".partial-XXXXXX";
    m_fd = ::mkstemp(m_temporary.data());
    if (m_fd < 0) {
        const int error = errno;
        m_temporary.clear();
        return Fail("cannot write", error);
    }
    // mkstemp makes the file private; a finished render gets the usual permissions.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(m_fd, 0666 & ~mask);
    m_file = sf_open_fd(m_fd, SFM_WRITE, &info, SF_FALSE);
    if (!m_file) return Fail("cannot write", 0);
    return true;
}

bool OutputFile::Write(const float* frames, sf_count_t count)
{
    errno = 0;
    if (sf_writef_float(m_file, frames, count) == count) return true;
    return Fail("writing", errno);
}

bool OutputFile::Commit()
{
    // The encoder writes its last blocks and the header at close: check that too.
    errno = 0;
    const int closed = sf_close(m_file);
    m_file = nullptr;
    if (closed != 0) return Fail("finishing", errno ? errno : EIO);
    if (::fsync(m_fd) != 0) return Fail("finishing", errno);
    ::close(m_fd);
    m_fd = -1;
    if (::rename(m_temporary.c_str(), m_path.c_str()) != 0) return Fail("cannot write", errno);
    m_temporary.clear();
    return true;
}

bool IsSameFile(const std::string& a, const std::string& b)
{
    struct stat first {}, second {};
    if (::stat(a.c_str(), &first) != 0 || ::stat(b.c_str(), &second) != 0) return false;
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}
