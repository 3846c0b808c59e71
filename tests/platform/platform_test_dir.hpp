// A temporary directory for platform tests, removed with everything in it at the end.
#pragma once
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace vornmac::testing {

class ScratchDir {
  public:
    ScratchDir() {
        char pattern[] = "/tmp/vornmac_platform_XXXXXX";
        if (mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp failed");
        dir_ = std::string(pattern) + "/";
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    ScratchDir(const ScratchDir &) = delete;
    ScratchDir &operator=(const ScratchDir &) = delete;

    const std::string &dir() const { return dir_; } // ends in "/"
    std::string path(const std::string &name) const { return dir_ + name; }
    void write(const std::string &name, const std::string &bytes = "x") const {
        std::ofstream(path(name), std::ios::binary) << bytes;
    }
    bool exists(const std::string &name) const { return std::filesystem::exists(path(name)); }

  private:
    std::string dir_;
};

} // namespace vornmac::testing
