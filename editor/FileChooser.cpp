#include "editor/FileChooser.h"

#include <algorithm>
#include <system_error>

#include "editor/ControlBuilders.h"

namespace tamrik {

FileChooser::FileChooser(tk::TWinControl* parent, int left, int top, int width, std::string extension)
    : list_(builders::List(parent, left, top, width, std::vector<std::string>{})), extension_(std::move(extension)) {
    list_->Hide();
    list_->SetDropDownCount(16);
    list_->OnChange = [this](tk::TObject*) {
        const int chosen = list_->ItemIndex();
        if (chosen < 0 || size_t(chosen) >= entries_.size()) return;
        const std::filesystem::path entry = entries_[size_t(chosen)];
        std::error_code ec;
        if (entry.empty()) return;
        if (OnFolderChosen && chosen == 1) {
            OnFolderChosen(folder_);
            return;
        }
        if (std::filesystem::is_directory(entry, ec))
            Open(entry);
        else if (OnChosen)
            OnChosen(entry);
    };
}

void FileChooser::Open(std::filesystem::path folder, const std::filesystem::path& home) {
    std::error_code ec;
    if (folder.empty()) folder = std::filesystem::is_directory(home, ec) ? home : home.parent_path();
    if (folder.empty() || !std::filesystem::is_directory(folder, ec)) folder = std::filesystem::current_path(ec);
    Fill(folder);
    list_->SetDroppedDown(true);
}

void FileChooser::Fill(const std::filesystem::path& folder) {
    folder_ = folder;
    entries_.assign(1, {});
    std::vector<std::string> items{folder.string()};
    if (OnFolderChosen) {
        entries_.push_back(folder);
        items.push_back(FolderChoice);
    }
    if (folder.has_parent_path() && folder.parent_path() != folder) {
        entries_.push_back(folder.parent_path());
        items.push_back("[..]");
    }
    std::vector<std::filesystem::path> folders, files;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || name[0] == '.') continue;
        std::error_code kind;
        if (entry.is_directory(kind))
            folders.push_back(entry.path());
        else if (entry.path().extension() == extension_)
            files.push_back(entry.path());
    }
    if (ec && OnMessage) OnMessage("Cannot list " + folder.string());
    std::sort(folders.begin(), folders.end());
    std::sort(files.begin(), files.end());
    for (const auto& f : folders) {
        entries_.push_back(f);
        items.push_back("[" + f.filename().string() + "]");
    }
    for (const auto& f : files) {
        entries_.push_back(f);
        items.push_back(f.stem().string());
    }
    list_->SetItems(items);
    list_->SetItemIndex(-1);
}

}  // namespace tamrik
