// Programs of the effect: selection and names, host chunks, the default bank file, and
// the editor's save, copy and revert operations.
#include "effect/AKestrune.h"

#include "effect/BankFile.h"
#include "port/AtomicFile.h"
#include "port/CFile.h"
#include "port/Folders.h"
#include "port/UiServices.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <syslog.h>

namespace {
constexpr int32_t kUniqueId = FourCC('K', 'S', 'T', 'R');

bool IsProgramIndex(int index)
{
    return index >= 0 && index < kNumPrograms;
}

std::string UserBankPath()
{
    return std::string(szGlobalMyApplicationDataPathName) + kDefaultBankName;
}

// Said once per process: hosts open many instances, each finding the same file.
void ReportDamagedBank(const std::string& path)
{
    static std::atomic<bool> reported {false};
    if (reported.exchange(true)) return;
    syslog(LOG_WARNING, "Kestrune: %s is not a valid bank; the factory programs are used. "
                        "The next save keeps the damaged file as %s%s.",
           path.c_str(), kDefaultBankName, kDamagedBankSuffix);
}

// Before a save replaces what is at path: a damaged bank is moved aside, not destroyed.
bool KeepDamagedBank(const std::string& path)
{
    AKestruneProgram probe[kNumPrograms];
    return ReadBankFile(path, kUniqueId, probe) != BankFileState::damaged || MoveAside(path, kDamagedBankSuffix);
}
} // namespace

void AKestrune::setProgram(VstInt32 program)
{
    if (!IsProgramIndex(program)) return;
    {
        CSingleLock lock(m_lock);
        m_curProgram = program;
        for (int i = 0; i < kNumParams; ++i) setParameter(i, m_programs[program].values[i]);
    }
    UpdateModify();
}

void AKestrune::ApplyCurrentProgram()
{
    setProgram(m_curProgram);
    NotifyHost();
}

void AKestrune::setProgramName(char* name)
{
    if (!name) return;
    char* target = m_programs[m_curProgram].name;
    std::strncpy(target, name, 23);
    target[23] = '\0';
}

void AKestrune::getProgramName(char* name)
{
    if (name) std::strcpy(name, m_programs[m_curProgram].name);
}

bool AKestrune::getProgramNameIndexed(VstInt32, VstInt32 index, char* text)
{
    if (!IsProgramIndex(index) || !text) return false;
    std::strcpy(text, m_programs[index].name);
    return true;
}

VstInt32 AKestrune::getChunk(void** data, bool isPreset)
{
    if (!data) return 0;
    // The host copies the chunk when it likes, maybe while automation changes the programs
    // on another thread: it gets a snapshot of its own, valid until the next getChunk.
    CSingleLock lock(m_lock);
    if (isPreset) {
        m_chunkSnapshot[0] = m_programs[m_curProgram];
        *data = m_chunkSnapshot;
        return static_cast<VstInt32>(sizeof(AKestruneProgram));
    }
    m_programs[0].slot = m_curProgram;
    std::copy(std::begin(m_programs), std::end(m_programs), std::begin(m_chunkSnapshot));
    *data = m_chunkSnapshot;
    return kBankChunkSize;
}

VstInt32 AKestrune::setChunk(void* data, VstInt32 byteSize, bool isPreset)
{
    if (!data || byteSize <= 0) return 0;
    int next = m_curProgram;
    {
        CSingleLock lock(m_lock);
        if (isPreset) {
            const size_t size = std::min<size_t>(static_cast<size_t>(byteSize), sizeof(AKestruneProgram));
            std::memcpy(&m_programs[m_curProgram], data, size);
            SanitizePrograms(&m_programs[m_curProgram], 1);
        } else {
            const size_t size = std::min<size_t>(static_cast<size_t>(byteSize), kBankChunkSize);
            std::memcpy(m_programs, data, size);
            SanitizePrograms(m_programs, kNumPrograms);
            // A slot from a foreign or damaged bank is not applied.
            if (IsProgramIndex(m_programs[0].slot)) next = m_programs[0].slot;
        }
    }
    setProgram(next);
    return 0;
}

unsigned int AKestrune::getDWordFile(CFile* file)
{
    return file ? ReadBigEndian32(*file) : 0;
}

unsigned int AKestrune::getWordFile(CFile* file)
{
    return file ? ReadBigEndian16(*file) : 0;
}

void AKestrune::putDWordFile(CFile* file, unsigned int value)
{
    if (!file) return;
    const unsigned char bytes[4] = {static_cast<unsigned char>(value >> 24), static_cast<unsigned char>(value >> 16),
                                    static_cast<unsigned char>(value >> 8), static_cast<unsigned char>(value)};
    file->Write(bytes, 4);
}

static std::string PluginFolderFromHost(const char* hostDirectory)
{
    std::string folder = hostDirectory ? hostDirectory : "";
    if (folder.size() > 1 && folder.back() != '/') {
        const std::string::size_type slash = folder.rfind('/');
        if (slash != std::string::npos) folder.resize(slash + 1);
    }
    return folder;
}

void AKestrune::open()
{
    // Linux hosts answer the directory query differently (the .so's folder, its parent,
    // or nothing): use the host's answer when it holds the factory bank, else our own folder.
    AKestruneProgram bank[kNumPrograms];
    std::string folder = PluginFolderFromHost(static_cast<const char*>(getDirectory()));
    if (folder.empty() || ReadBankFile(folder + kDefaultBankName, kUniqueId, bank) != BankFileState::valid)
        folder = GetModuleFolder();
    std::snprintf(m_pluginFolder, sizeof m_pluginFolder, "%s", folder.c_str());

    setProgram(0);
    std::memcpy(m_initialPrograms, m_programs, sizeof m_programs);

    // A user bank that is not whole and valid counts as absent, so the factory bank loads;
    // the damaged file itself is kept aside at the next save (WriteDefaultBank).
    const BankFileState user = ReadBankFile(UserBankPath(), kUniqueId, bank);
    if (user == BankFileState::damaged) ReportDamagedBank(UserBankPath());
    if (user == BankFileState::valid
        || ReadBankFile(std::string(m_pluginFolder) + kDefaultBankName, kUniqueId, bank) == BankFileState::valid)
        setChunk(bank, kBankChunkSize, false);

    std::memcpy(m_initialPrograms, m_programs, sizeof m_programs);
    SetFactoryProgram();
}

void AKestrune::SetFactoryProgram()
{
    AKestruneProgram bank[kNumPrograms];
    if (ReadBankFile(std::string(m_pluginFolder) + kDefaultBankName, kUniqueId, bank) != BankFileState::valid) return;
    CSingleLock lock(m_lock);
    std::copy(std::begin(bank), std::end(bank), std::begin(m_factoryPrograms));
}

bool AKestrune::IsProgramChanged() const
{
    CSingleLock lock(m_lock);
    return std::memcmp(m_programs[m_curProgram].values, m_initialPrograms[m_curProgram].values,
                       sizeof m_programs[0].values)
        != 0;
}

int AKestrune::GetProgramNames(char (*names)[sizeof AKestruneProgram::name]) const
{
    CSingleLock lock(m_lock);
    for (int p = 0; p < kNumPrograms; ++p) std::memcpy(names[p], m_programs[p].name, sizeof m_programs[p].name);
    return m_curProgram;
}

void AKestrune::ProgramToInitial()
{
    {
        CSingleLock lock(m_lock);
        m_programs[m_curProgram] = m_initialPrograms[m_curProgram];
    }
    ApplyCurrentProgram();
}

void AKestrune::ProgramToAllInitial()
{
    {
        CSingleLock lock(m_lock);
        std::copy(std::begin(m_initialPrograms), std::end(m_initialPrograms), std::begin(m_programs));
    }
    ApplyCurrentProgram();
}

void AKestrune::ProgramToFactory()
{
    {
        CSingleLock lock(m_lock);
        m_programs[m_curProgram] = m_factoryPrograms[m_curProgram];
    }
    ApplyCurrentProgram();
    UpdateModify();
}

void AKestrune::ProgramToAllFactory()
{
    {
        CSingleLock lock(m_lock);
        std::copy(std::begin(m_factoryPrograms), std::end(m_factoryPrograms), std::begin(m_programs));
    }
    ApplyCurrentProgram();
    UpdateModify();
}

void AKestrune::CopyPgFrom(int source)
{
    if (!IsProgramIndex(source)) return;
    {
        CSingleLock lock(m_lock);
        m_programs[m_curProgram] = m_programs[source];
    }
    setProgram(m_curProgram);
    WriteDefaultBank();
    NotifyHost();
}

void AKestrune::SaveProgram(int destination, CString name)
{
    if (!IsProgramIndex(destination)) return;
    {
        CSingleLock lock(m_lock);
        AKestruneProgram& saved = m_programs[destination];
        saved = m_programs[m_curProgram];
        std::strncpy(saved.name, name, 23);
        saved.name[23] = '\0';
        m_initialPrograms[destination] = saved;
        m_programs[m_curProgram] = m_initialPrograms[m_curProgram];
        m_curProgram = destination;
    }
    setProgram(destination);
    WriteDefaultBank();
    NotifyHost();
}

bool AKestrune::WriteDefaultBank()
{
    const std::string folder = szGlobalMyApplicationDataPathName;
    unsigned char image[kBankFileSize];
    {
        CSingleLock lock(m_lock);
        m_programs[0].slot = m_curProgram;
        BuildBankImage(m_programs, kUniqueId, image);
    }
    const bool saved = (folder.empty() || EnsureFolder(folder)) && KeepDamagedBank(UserBankPath())
        && WriteFileAtomically(UserBankPath(), image, sizeof image);
    if (!saved) AfxMessageBoxN("Failed to Save");
    return saved;
}
