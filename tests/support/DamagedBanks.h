#pragma once
// The ways a user's default bank file is found damaged, each made for real at a path.
#include "effect/BankFile.h"
#include "plugin/VstInterface.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

// A whole, valid bank whose programs are named "User 0" to "User 31".
inline std::vector<unsigned char> UserBankImage(int32_t fxId = FourCC('K', 'S', 'T', 'R'))
{
    AKestruneProgram programs[kNumPrograms];
    for (int i = 0; i < kNumPrograms; ++i) {
        std::snprintf(programs[i].name, sizeof programs[i].name, "User %d", i);
        programs[i].values[kFeedBack] = 0.5f;
    }
    std::vector<unsigned char> image(kBankFileSize);
    BuildBankImage(programs, fxId, image.data());
    return image;
}

inline void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

struct DamagedBank {
    const char* what;
    std::function<void(const std::string& path)> make;
};

inline std::vector<DamagedBank> DamagedBanks()
{
    auto edited = [](std::function<void(std::vector<unsigned char>&)> edit) {
        return [edit](const std::string& path) {
            std::vector<unsigned char> image = UserBankImage();
            edit(image);
            WriteBytes(path, image);
        };
    };
    return {
        {"an empty file", [](const std::string& path) { WriteBytes(path, {}); }},
        {"a text file", [](const std::string& path) { std::ofstream(path) << "my presets, do not delete\n"; }},
        {"a truncated bank", edited([](auto& image) { image.resize(1000); })},
        {"a bank without its last byte", edited([](auto& image) { image.pop_back(); })},
        {"a bank with bytes after it", edited([](auto& image) { image.resize(image.size() + 100, 0); })},
        {"random bytes", edited([](auto& image) {
             std::mt19937 random(12);
             for (auto& byte : image) byte = static_cast<unsigned char>(random());
         })},
        {"another plug-in's bank",
         [](const std::string& path) { WriteBytes(path, UserBankImage(FourCC('Z', 'z', 'Z', 'z'))); }},
        {"a chunk size of 10", edited([](auto& image) { image[156] = image[157] = image[158] = 0, image[159] = 10; })},
        {"a folder", [](const std::string& path) {
             ::mkdir(path.c_str(), 0755);
             std::ofstream(path + "/inside.txt") << "kept";
         }},
        {"a dangling link", [](const std::string& path) { (void)::symlink("nowhere.fxb", path.c_str()); }},
        {"a link to /dev/zero", [](const std::string& path) { (void)::symlink("/dev/zero", path.c_str()); }},
        {"a FIFO", [](const std::string& path) { ::mkfifo(path.c_str(), 0644); }},
    };
}

// Kind and content of what is at path, links not followed: a file's bytes, a folder's
// entries, a link's target.
inline std::string DescribeEntry(const std::string& path)
{
    std::error_code error;
    const auto status = std::filesystem::symlink_status(path, error);
    if (error || !std::filesystem::exists(status)) return "nothing";
    if (std::filesystem::is_symlink(status)) return "link to " + std::filesystem::read_symlink(path).string();
    if (std::filesystem::is_fifo(status)) return "FIFO";
    if (std::filesystem::is_directory(status)) {
        std::string entries = "folder:";
        for (const auto& entry : std::filesystem::directory_iterator(path)) entries += " " + entry.path().filename().string();
        return entries;
    }
    std::ifstream in(path, std::ios::binary);
    return "file: " + std::string(std::istreambuf_iterator<char>(in), {});
}
