// A drop-down list that walks folders to pick a file: the folder's path as
// its title, then its parent, its subfolders and the files of one
// extension. Choosing a folder opens it; choosing a file calls OnChosen.
// With OnFolderChosen set, an item below the title chooses the folder
// listed itself (where an export goes). The panel's strip uses it for
// presets, the Kit's panel for kit files, the hit row for exports; it
// stays hidden but for while it is dropped down.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "toolkit/Toolkit.h"

namespace tamrik {

class FileChooser {
public:
    FileChooser(tk::TWinControl* parent, int left, int top, int width, std::string extension);

    // Lists folder and drops the list down; without a folder, home (or,
    // until it exists, its parent), else the current folder. A folder that
    // cannot be listed says so through OnMessage.
    void Open(std::filesystem::path folder, const std::filesystem::path& home = {});

    tk::TComboBox* List() const { return list_; }
    std::function<void(const std::filesystem::path&)> OnChosen;
    std::function<void(const std::filesystem::path&)> OnFolderChosen;
    // The caption of the item that chooses the folder listed.
    std::string FolderChoice = "[Choose this folder]";
    std::function<void(std::string)> OnMessage;

private:
    void Fill(const std::filesystem::path& folder);

    tk::TComboBox* list_;
    std::string extension_;
    std::vector<std::filesystem::path> entries_;
    std::filesystem::path folder_;
};

}  // namespace tamrik
