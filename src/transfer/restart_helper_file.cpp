#include "transfer/restart_helper_file.h"

#include <unistd.h>

#include <array>
#include <filesystem>
#include <system_error>

#include "transfer/file_io.h"
#include "transfer/restart_helper_image.h"
#include "transfer/transfer_names.h"

namespace talvoro::transfer {

namespace {

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

// Message files are a few hundred bytes; anything beyond this is not one of ours.
constexpr std::size_t kMaxTroublesSize = 64 * 1024;

}  // namespace

bool WriteRestartHelper(const std::string& path) {
    std::optional<TempFile> temp = TempFile::Create(FolderOf(path));
    return temp && WriteAll(temp->fd(), RestartHelperImage()) && ::fsync(temp->fd()) == 0 &&
           temp->Commit(path, 0755);
}

std::vector<std::string> RestartHelperArguments(const std::string& executable,
                                                const std::string& dataDir,
                                                std::span<const std::string> programArgs) {
    std::vector<std::string> arguments{executable, dataDir};
    arguments.insert(arguments.end(), programArgs.begin(), programArgs.end());
    return arguments;
}

std::string AbsoluteDataDir(const std::string& dataDir) {
    std::error_code error;
    std::string path = std::filesystem::absolute(dataDir, error).lexically_normal().string();
    if (error || path.empty()) {
        return dataDir;
    }
    if (path.back() != '/') {
        path += '/';
    }
    return path;
}

std::vector<std::string> RestartProgramArguments(bool serviceMode, const std::string& dataDir) {
    std::vector<std::string> arguments;
    if (serviceMode) {
        arguments.emplace_back("/service");
    }
    arguments.push_back(AbsoluteDataDir(dataDir));
    return arguments;
}

std::optional<std::string> TakeUpdateTroubles(const std::string& dataDir) {
    const std::string path = dataDir + std::string(kUpdateTroublesFileName);
    const UniqueFd file = OpenForReading(path);
    if (!file.valid()) {
        return std::nullopt;
    }
    std::string text;
    std::array<std::uint8_t, 4096> buffer{};
    long n = 0;
    while (text.size() < kMaxTroublesSize && (n = ReadSome(file.get(), buffer)) > 0) {
        text.append(buffer.begin(), buffer.begin() + n);
    }
    ::unlink(path.c_str());
    text.resize(std::min(text.size(), kMaxTroublesSize));
    return text;
}

}  // namespace talvoro::transfer
