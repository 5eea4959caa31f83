#pragma once
// Binary file handle over POSIX descriptors. Paths are plain file-system paths or
// file:// URLs with percent escapes.
#include <string>

class CFileException;

class CFile {
public:
    enum : unsigned int {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        modeCreate = 0x1000,
        typeBinary = 0x8000,
    };
    enum : unsigned int { begin = 0, current = 1, end = 2 };

    CFile() = default;
    ~CFile() { Close(); }
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Opens regular files only and never blocks (a FIFO, device or folder fails at once).
    bool Open(const char* path, unsigned int flags, CFileException* error = nullptr);
    unsigned int Read(void* buffer, unsigned int count);
    // Writes all count bytes; false when no file is open or the write failed (disk full).
    bool Write(const void* buffer, unsigned int count);
    long Seek(long offset, unsigned int from);
    // Pushes written data to the disk (fsync); false on failure.
    bool Flush();
    // False when closing reported an error (data may not have reached the disk).
    bool Close();
    bool IsOpen() const { return m_fd >= 0; }

    // The file-system path a CFile path or URL refers to (at most 2047 bytes).
    static std::string FileSystemPath(const char* path);

private:
    int m_fd = -1;
    std::string m_path;
};
