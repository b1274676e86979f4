#include "common/ReplacedFile.h"

#include <cerrno>
#include <cstring>
#include <random>
#include <system_error>

namespace tamrik {

namespace fs = std::filesystem;

fs::path ReplacedFile::pathOf(const std::string& utf8) {
    return fs::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

ReplacedFile::ReplacedFile(const std::string& path) : target(pathOf(path)) {
    std::error_code failure;
    if (target.filename().empty() || fs::is_directory(target, failure)) {
        error_ = "expected a file name";
        return;
    }
    std::random_device random;
    for (int tries = 0; tries < 100 && (temporary.empty() || fs::exists(temporary, failure)); ++tries)
        temporary = target.parent_path() /
                    (u8"." + target.filename().u8string() + u8"." + pathOf(std::to_string(random())).u8string());
#if defined(_WIN32)
    file = _wfopen(temporary.c_str(), L"wb");
#else
    file = std::fopen(temporary.c_str(), "wb");
#endif
    if (!file) error_ = std::strerror(errno);
}

ReplacedFile::~ReplacedFile() {
    if (!file) return;
    std::fclose(file);
    std::error_code ignored;
    fs::remove(temporary, ignored);
}

bool ReplacedFile::commit() {
    if (!file) return false;
    const bool written = std::ferror(file) == 0;
    const bool closed = std::fclose(file) == 0;
    file = nullptr;
    std::error_code failure;
    if (written && closed) {
        fs::rename(temporary, target, failure);
        if (!failure) return true;
        error_ = failure.message();
    } else {
        error_ = "cannot write the file";
    }
    fs::remove(temporary, failure);
    return false;
}

}  // namespace tamrik
