// The user's settings in a folder of the test's own, for as long as the
// object lives: a scale chosen on this machine would otherwise win over
// the host's and the test's. With a scale, that choice is made there.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace tamrik::test {

struct UserSettingsFolder {
    std::filesystem::path folder;
    explicit UserSettingsFolder(const std::string& name, int scale = 0)
        : folder(std::filesystem::temp_directory_path() / (name + "-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(folder / "DrumTamrik");
        if (scale) std::ofstream(folder / "DrumTamrik" / "settings") << "scale = " << scale << "\n";
        ::setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    }
    ~UserSettingsFolder() {
        ::unsetenv("XDG_CONFIG_HOME");
        std::filesystem::remove_all(folder);
    }
    UserSettingsFolder(const UserSettingsFolder&) = delete;
    UserSettingsFolder& operator=(const UserSettingsFolder&) = delete;
};

}  // namespace tamrik::test
