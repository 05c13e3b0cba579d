#pragma once
// A temporary directory for one test: created empty under /tmp, removed with its contents when the
// object is destroyed. Used by the test thread only.

#include <filesystem>
#include <string>

namespace talvoro::test {

class TempDir {
  public:
    TempDir();
    ~TempDir();

    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }

    // The directory as text ending in "/", the form the program uses for its data directory.
    std::string dir() const;

    // The full path of `name` inside the directory, as text.
    std::string file(const std::string& name) const;

  private:
    std::filesystem::path path_;
};

// The whole content of a file (empty when it cannot be read).
std::string ReadFileText(const std::filesystem::path& path);

}  // namespace talvoro::test
