// An output file that appears only when it is complete: the content goes to a
// hidden temporary file in the same folder (so that the final rename cannot
// cross file systems), and commit() renames it over the wanted name. If the
// object goes without commit(), the temporary file is removed, so a failed
// run leaves nothing behind.
#pragma once

#include <string>

namespace tamrik::render {

class PendingFile {
public:
    // Creates the temporary file at once, so that an unwritable place fails
    // before any work is done. Throws ToolError naming the path.
    explicit PendingFile(std::string path);
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    const std::string& path() const { return path_; }
    const std::string& temporaryPath() const { return temporaryPath_; }
    // Throws ToolError if the rename fails.
    void commit();

private:
    std::string path_;
    std::string temporaryPath_;
    bool committed = false;
};

}  // namespace tamrik::render
