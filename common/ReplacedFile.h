// A file that appears only whole: it is written to a temporary file beside
// the target (so that the rename stays on one file system) and renamed over
// the target by commit(). Without commit() the temporary file is removed, so
// a failure leaves nothing behind. Paths are UTF-8 on every platform.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

namespace tamrik {

class ReplacedFile {
public:
    // Opens the temporary file; ok() says whether that worked, error() why not.
    explicit ReplacedFile(const std::string& path);
    ~ReplacedFile();
    ReplacedFile(const ReplacedFile&) = delete;
    ReplacedFile& operator=(const ReplacedFile&) = delete;

    bool ok() const { return file != nullptr; }
    const std::string& error() const { return error_; }
    // Where to write; nil when the file could not be opened.
    std::FILE* stream() const { return file; }
    // Closes and renames; false (and nothing left behind) where any write,
    // the close or the rename failed.
    bool commit();

    static std::filesystem::path pathOf(const std::string& utf8);

private:
    std::filesystem::path target, temporary;
    std::FILE* file = nullptr;
    std::string error_;
};

}  // namespace tamrik
