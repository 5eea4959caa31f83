#include "effect/BankFile.h"

#include "effect/ParamData.h"
#include "port/CFile.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

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

static uint32_t LoadBigEndian32(const unsigned char* at)
{
    return (uint32_t {at[0]} << 24) | (uint32_t {at[1]} << 16) | (uint32_t {at[2]} << 8) | uint32_t {at[3]};
}

bool ParseBankImage(const unsigned char* bytes, std::size_t size, int32_t fxId,
                    AKestruneProgram programs[kNumPrograms])
{
    if (!bytes || size != static_cast<std::size_t>(kBankFileSize)) return false;
    if (std::memcmp(bytes, "CcnK", 4) != 0 || std::memcmp(bytes + 8, "FBCh", 4) != 0) return false;
    if (static_cast<int32_t>(LoadBigEndian32(bytes + 16)) != fxId) return false;
    if (LoadBigEndian32(bytes + 156) != static_cast<uint32_t>(kBankChunkSize)) return false;
    std::memcpy(static_cast<void*>(programs), bytes + kBankHeaderSize, kBankChunkSize);
    SanitizePrograms(programs, kNumPrograms);
    return true;
}

BankFileState ReadBankFile(const std::string& path, int32_t fxId, AKestruneProgram programs[kNumPrograms])
{
    CFile file;
    if (!file.Open(path.c_str(), CFile::typeBinary)) {
        // A dangling link or an entry we may not open is still something in the way.
        struct stat st {};
        const bool nothing = ::lstat(CFile::FileSystemPath(path.c_str()).c_str(), &st) != 0 && errno == ENOENT;
        return nothing ? BankFileState::absent : BankFileState::damaged;
    }
    // One byte more than a bank tells a longer file from a whole one.
    unsigned char image[kBankFileSize + 1];
    const unsigned int size = file.Read(image, sizeof image);
    return ParseBankImage(image, size, fxId, programs) ? BankFileState::valid : BankFileState::damaged;
}

void SanitizePrograms(AKestruneProgram* programs, int count)
{
    for (int p = 0; p < count; ++p) {
        for (float& v : programs[p].values) v = SanitizeNormalized(v);
        programs[p].name[sizeof programs[p].name - 1] = '\0';
    }
}
