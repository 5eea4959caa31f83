#include "effect/BankFile.h"

#include "effect/ParamData.h"
#include "port/CFile.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

uint32_t ReadBigEndian32(CFile& file)
{
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        unsigned char byte = 0;
        file.Read(&byte, 1);
        value = (value << 8) | byte;
    }
    return value;
}

uint16_t ReadBigEndian16(CFile& file)
{
    unsigned char bytes[2] = {};
    file.Read(&bytes[0], 1);
    file.Read(&bytes[1], 1);
    return static_cast<uint16_t>((bytes[0] << 8) | bytes[1]);
}

static void StoreBigEndian32(unsigned char* at, uint32_t value)
{
    at[0] = static_cast<unsigned char>(value >> 24);
    at[1] = static_cast<unsigned char>(value >> 16);
    at[2] = static_cast<unsigned char>(value >> 8);
    at[3] = static_cast<unsigned char>(value);
}

void BuildBankImage(const AKestruneProgram programs[kNumPrograms], int32_t fxId, unsigned char out[kBankFileSize])
{
    std::memset(out, 0, kBankHeaderSize);
    std::memcpy(out, "CcnK", 4);
    StoreBigEndian32(out + 4, 0); // byte size: not used by readers
    std::memcpy(out + 8, "FBCh", 4);
    StoreBigEndian32(out + 12, 1);
    StoreBigEndian32(out + 16, static_cast<uint32_t>(fxId));
    StoreBigEndian32(out + 20, 1);
    StoreBigEndian32(out + 24, kNumPrograms);
    StoreBigEndian32(out + 156, kBankChunkSize);
    std::memcpy(out + kBankHeaderSize, programs, kBankChunkSize);
}

int ReadBankChunk(CFile& file, int32_t fxId, void* chunk, int capacity)
{
    char magic[4] = {};
    if (file.Read(magic, 4) != 4 || std::memcmp(magic, "CcnK", 4) != 0) return 0;
    ReadBigEndian32(file); // byte size, ignored
    if (file.Read(magic, 4) != 4 || std::memcmp(magic, "FBCh", 4) != 0) return 0;
    ReadBigEndian32(file); // format version
    if (static_cast<int32_t>(ReadBigEndian32(file)) != fxId) return 0;
    ReadBigEndian32(file); // fxVersion
    ReadBigEndian32(file); // numPrograms
    file.Seek(128, CFile::current);
    const uint32_t stated = ReadBigEndian32(file);
    if (stated == 0 || capacity <= 0) return 0;
    const unsigned int wanted = stated < static_cast<uint32_t>(capacity) ? stated : static_cast<unsigned int>(capacity);
    // A truncated file is not half-loaded.
    return file.Read(chunk, wanted) == wanted ? static_cast<int>(wanted) : 0;
}

bool WriteFileAtomically(const std::string& path, const void* data, std::size_t size)
{
    static std::atomic<unsigned> counter {0};
    char suffix[64];
    std::snprintf(suffix, sizeof suffix, ".tmp-%ld-%u", static_cast<long>(::getpid()), counter.fetch_add(1));
    const std::string temporary = path + suffix;

    CFile file;
    if (!file.Open(temporary.c_str(), CFile::modeCreate | CFile::modeWrite)) return false;
    const bool written = file.Write(data, static_cast<unsigned int>(size)) && file.Flush();
    if (!file.Close() || !written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    // Make the rename itself durable.
    const std::string::size_type slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

void SanitizePrograms(AKestruneProgram* programs, int count)
{
    for (int p = 0; p < count; ++p) {
        for (float& v : programs[p].values) v = SanitizeNormalized(v);
        programs[p].name[sizeof programs[p].name - 1] = '\0';
    }
}
