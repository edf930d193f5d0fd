#include "gui/window_settings.hpp"

#include <QDir>
#include <QSettings>

#include <system_error>

#include "files/file_output.hpp"
#include "files/pictures_folder.hpp"

namespace ts {

namespace {

const QString kFolderKey = QStringLiteral("folder");
const QString kRecentKey = QStringLiteral("recentTexts");

}  // namespace

std::unique_ptr<QSettings> WindowSettings::settings() const {
    if (file_.isEmpty())
        return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Textscape"),
                                           QStringLiteral("Textscape"));
    return std::make_unique<QSettings>(file_, QSettings::IniFormat);
}

std::optional<std::filesystem::path> WindowSettings::lastFolder() const {
    const QString remembered = settings()->value(kFolderKey).toString();
    if (remembered.isEmpty()) return std::nullopt;
    const std::filesystem::path folder = remembered.toStdString();
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) return std::nullopt;
    return folder;
}

void WindowSettings::rememberFolder(const std::filesystem::path& folder) {
    settings()->setValue(kFolderKey, QString::fromStdString(folder.string()));
}

std::filesystem::path WindowSettings::dialogFolder() const {
    if (std::optional<std::filesystem::path> last = lastFolder()) return *last;
    std::filesystem::path pictures = picturesFolder();
    if (ensureFolder(pictures)) return pictures;
    return QDir::homePath().toStdString();
}

std::vector<std::string> WindowSettings::recentTexts() const {
    std::vector<std::string> texts;
    for (const QString& text : settings()->value(kRecentKey).toStringList()) {
        if (static_cast<int>(texts.size()) == kRecentTexts) break;
        if (!text.isEmpty()) texts.push_back(text.toStdString());
    }
    return texts;
}

void WindowSettings::rememberText(const std::string& text) {
    if (text.empty()) return;
    const QString latest = QString::fromStdString(text);
    QStringList texts = settings()->value(kRecentKey).toStringList();
    texts.removeAll(latest);
    texts.prepend(latest);
    while (texts.size() > kRecentTexts) texts.removeLast();
    settings()->setValue(kRecentKey, texts);
}

}  // namespace ts
