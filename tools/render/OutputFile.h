#pragma once
// A sound file written beside its final name and moved into place only when complete, so a
// failed render (full disk, file size limit) leaves neither a torn file nor a lost old one.
#include <sndfile.h>

#include <string>

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates the temporary file; false with Error() set when it cannot.
    bool Open(const std::string& path, SF_INFO& info);
    // Writes interleaved frames; false with Error() set on a short write.
    bool Write(const float* frames, sf_count_t count);
    // Flushes, syncs and renames into place; false with Error() set (the partial file is gone).
    bool Commit();
    const std::string& Error() const { return m_error; }

private:
    bool Fail(const std::string& what, int error);
    void Discard();

    std::string m_path;
    std::string m_temporary;
    SNDFILE* m_file = nullptr;
    int m_fd = -1;
    std::string m_error;
};

// True when both names lead to the same file (through links as well).
bool IsSameFile(const std::string& a, const std::string& b);
