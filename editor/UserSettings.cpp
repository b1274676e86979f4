#include "editor/UserSettings.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <fstream>
#include <string>
#include <system_error>

namespace tamrik {

std::filesystem::path perUserFolder([[maybe_unused]] const char* xdgVariable,
                                    [[maybe_unused]] const char* xdgDefault) {
#if defined(_WIN32)
    const char* appData = std::getenv("APPDATA");
    if (!appData || !*appData) return {};
    return std::filesystem::path(appData) / "DrumTamrik";
#else
    const char* xdg = std::getenv(xdgVariable);
    if (xdg && *xdg == '/') return std::filesystem::path(xdg) / "DrumTamrik";
    const char* home = std::getenv("HOME");
    if (!home || !*home) return {};
    return std::filesystem::path(home) / xdgDefault / "DrumTamrik";
#endif
}

std::filesystem::path userSettingsFile() {
    const std::filesystem::path folder = perUserFolder("XDG_CONFIG_HOME", ".config");
    return folder.empty() ? folder : folder / "settings";
}

std::optional<tk::Scale> readChosenScale(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::string line;
    for (int lines = 0; lines < 100 && std::getline(in, line); ++lines) {
        line.erase(std::remove_if(line.begin(), line.end(), [](char c) { return c == ' ' || c == '\t' || c == '\r'; }),
                   line.end());
        if (line.rfind("scale=", 0) != 0) continue;
        int percent = 0;
        const char* begin = line.data() + 6;
        const char* end = line.data() + line.size();
        const auto [at, ec] = std::from_chars(begin, end, percent);
        if (ec == std::errc() && at == end && tk::Scale(percent).Percent() == percent) return tk::Scale(percent);
        return std::nullopt;
    }
    return std::nullopt;
}

bool writeChosenScale(const std::filesystem::path& file, tk::Scale scale) {
    if (file.empty()) return false;
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    std::filesystem::path temporary = file;
    temporary += ".part";
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << "scale = " << scale.Percent() << "\n";
        out.close();
        if (!out) return false;
    }
    std::filesystem::rename(temporary, file, ec);
    if (!ec) return true;
    std::filesystem::remove(temporary, ec);
    return false;
}

}  // namespace tamrik
