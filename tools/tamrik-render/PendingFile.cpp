// mkstemp gives a fresh name that no other process can take between the
// check and the open.
#include "PendingFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <utility>
#include <vector>

#include "ToolError.h"

namespace tamrik::render {

namespace fs = std::filesystem;

PendingFile::PendingFile(std::string path) : path_(std::move(path)) {
    std::error_code error;
    if (path_.empty() || fs::is_directory(path_, error))
        throw ToolError(path_ + ": expected a file name, but this is a folder");
    const fs::path target(path_);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const std::string pattern = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0)
        throw ToolError(path_ + ": cannot write a file here (" + std::strerror(errno) + ")");
    // mkstemp makes the file private; the result should get the usual mode.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    close(fd);
    temporaryPath_ = name.data();
}

PendingFile::~PendingFile() {
    if (!committed) std::remove(temporaryPath_.c_str());
}

void PendingFile::commit() {
    if (std::rename(temporaryPath_.c_str(), path_.c_str()) != 0)
        throw ToolError(path_ + ": cannot write a file here (" + std::strerror(errno) + ")");
    committed = true;
}

}  // namespace tamrik::render
