#pragma once
// A temporary folder that lives as long as the test needs it and is removed
// afterwards.  Tests that touch files use one of these; none touches the home.
#include <cstdlib>
#include <filesystem>
#include <string>

namespace morvanel_test {

class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "morvanel-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Points MORVANEL_HOME and HOME at folders inside a TempDir for the lifetime
// of the object, restoring the previous values afterwards.
class ScopedHome {
public:
    explicit ScopedHome(const TempDir& dir)
        : oldHome_(get("HOME")), oldMorvanel_(get("MORVANEL_HOME")) {
        std::filesystem::create_directories(dir.path() / "home");
        std::filesystem::create_directories(dir.path() / "system");
        ::setenv("HOME", (dir.path() / "home").c_str(), 1);
        ::setenv("MORVANEL_HOME", (dir.path() / "system").c_str(), 1);
    }
    ~ScopedHome() {
        restore("HOME", oldHome_);
        restore("MORVANEL_HOME", oldMorvanel_);
    }

private:
    static std::string get(const char* name) {
        const char* v = std::getenv(name);
        return v ? std::string(1, '=') + v : std::string();
    }
    static void restore(const char* name, const std::string& saved) {
        if (saved.empty()) ::unsetenv(name);
        else ::setenv(name, saved.c_str() + 1, 1);
    }
    std::string oldHome_;
    std::string oldMorvanel_;
};

}  // namespace morvanel_test
