// A fresh temporary directory for one test, removed with everything in it
// when the test ends. One that is entered is also the working directory until
// then, with an empty SYS/ folder in it, as the browser expects.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

class WorkDir {
public:
    enum Mode { Enter, Stay };

    explicit WorkDir(Mode mode = Enter) {
        char pattern[] = "/tmp/nuva-test-XXXXXX";
        if (mkdtemp(pattern) == nullptr) {
            ADD_FAILURE() << "cannot make a temporary directory";
            std::abort();
        }
        path_ = pattern;
        if (mode == Enter) {
            previous_ = std::filesystem::current_path();
            std::filesystem::create_directory(path_ / "SYS");
            std::filesystem::current_path(path_);
        }
    }
    ~WorkDir() {
        std::error_code ignored;
        if (!previous_.empty()) std::filesystem::current_path(previous_, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    WorkDir(const WorkDir&) = delete;
    WorkDir& operator=(const WorkDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The absolute path of a file in the directory.
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_, previous_;
};
