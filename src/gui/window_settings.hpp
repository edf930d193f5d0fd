#pragma once

#include <QString>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QSettings;

namespace ts {

// What the window keeps from one run to the next, through QSettings: the
// user's settings for Textscape, or an INI file given instead (the tests
// give one). Every setting is read and written here, under its own key.
class WindowSettings {
public:
    // Without a file, the user's settings.
    explicit WindowSettings(QString file = {}) : file_(std::move(file)) {}
    void setFile(QString file) { file_ = std::move(file); }

    // The folder "Save as" or "Open picture" went to last, while it is still
    // a folder.
    std::optional<std::filesystem::path> lastFolder() const;
    void rememberFolder(const std::filesystem::path& folder);

    // Where the file dialogs open: the folder used last, else the pictures
    // folder (made when missing, as the save button makes it), else the
    // home folder.
    std::filesystem::path dialogFolder() const;

    // The texts made into pictures, the latest first, each once, at most
    // kRecentTexts of them. The empty text is not kept.
    static constexpr int kRecentTexts = 50;
    std::vector<std::string> recentTexts() const;
    void rememberText(const std::string& text);

private:
    std::unique_ptr<QSettings> settings() const;

    QString file_;
};

}  // namespace ts
