#pragma once

#include <filesystem>
#include <optional>
#include <vector>

#include "gui/file_dialogs.hpp"

namespace ts::testing {

// File dialogs that give set answers (by default a cancel) and record the
// folder and name each was opened with.
class ScriptedFileDialogs final : public FileDialogs {
public:
    std::optional<SaveChoice> askSaveFile(const std::filesystem::path& folder, const std::string& name,
                                          std::span<const PictureSize> sizes) override {
        saveFolders.push_back(folder);
        saveNames.push_back(name);
        offeredSizes.assign(sizes.begin(), sizes.end());
        return save;
    }
    std::optional<std::filesystem::path> askOpenFile(const std::filesystem::path& folder) override {
        openFolders.push_back(folder);
        return open;
    }

    std::optional<SaveChoice> save;
    std::optional<std::filesystem::path> open;
    std::vector<std::filesystem::path> saveFolders, openFolders;
    std::vector<std::string> saveNames;
    std::vector<PictureSize> offeredSizes;
};

}  // namespace ts::testing
