#include "gui/file_dialogs.hpp"

#include <QFileDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

#include <utility>
#include <vector>

namespace ts {

namespace {

QString pathText(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }

QString textOf(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// The formats Save as offers, in the table's order.
std::vector<ImageFormatInfo> offeredFormats(std::span<const ImageFormatInfo> formats) {
    std::vector<ImageFormatInfo> offered;
    for (const ImageFormatInfo& info : formats)
        if (info.inWindow) offered.push_back(info);
    return offered;
}

// "*.png", or "*.jpg *.jpeg" for a format with two extensions.
QString patternsOf(const ImageFormatInfo& info) {
    QStringList patterns;
    for (const std::string_view extension : info.extensions) patterns << QLatin1Char('*') + textOf(extension);
    return patterns.join(QLatin1Char(' '));
}

// The format and size a file type stands for; the first for none.
std::pair<ImageFormatInfo, PictureSize> filterChoice(qsizetype filterIndex, std::span<const PictureSize> sizes,
                                                     const std::vector<ImageFormatInfo>& offered) {
    const auto count = static_cast<qsizetype>(sizes.size());
    if (filterIndex < 0 || filterIndex >= static_cast<qsizetype>(offered.size()) * count) filterIndex = 0;
    return {offered[static_cast<std::size_t>(filterIndex / count)],
            sizes[static_cast<std::size_t>(filterIndex % count)]};
}

// Sizes `dialog` to fit the free area of the screen `parent` is on.
void fitToScreen(QDialog& dialog, const QWidget* parent) {
    const QScreen* screen = parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    // The frame is not known before the dialog is shown: the window's is
    // the same window manager's.
    const QWindow* window = parent ? parent->window()->windowHandle() : nullptr;
    const QMargins frame = window ? window->frameMargins() : QMargins();
    const QSize available = screen->availableGeometry().size();
    const QSize room = available.shrunkBy(frame);
    dialog.setMinimumSize(dialog.minimumSizeHint().boundedTo(room));
    dialog.resize(dialogSizeWithin(dialog.sizeHint(), dialog.minimumSizeHint(), available, frame));
}

}  // namespace

QSize dialogSizeWithin(QSize wanted, QSize minimum, QSize available, QMargins frame) {
    return wanted.boundedTo(available.shrunkBy(frame)).expandedTo(minimum);
}

QStringList saveFilters(std::span<const PictureSize> sizes, std::span<const ImageFormatInfo> formats) {
    QStringList filters;
    for (const ImageFormatInfo& info : offeredFormats(formats))
        for (const PictureSize& size : sizes) {
            filters << QStringLiteral("%1 image, %2 \u00d7 %3 \u2014 %4 (%5)")
                           .arg(textOf(info.title))
                           .arg(size.width)
                           .arg(size.height)
                           .arg(QString::fromUtf8(size.purpose))
                           .arg(patternsOf(info));
        }
    return filters;
}

SaveChoice saveChoiceOf(const std::filesystem::path& chosen, qsizetype filterIndex, std::span<const PictureSize> sizes,
                        std::span<const ImageFormatInfo> formats) {
    const std::vector<ImageFormatInfo> offered = offeredFormats(formats);
    const auto [format, size] = filterChoice(filterIndex, sizes, offered);
    SaveChoice choice{chosen, format.format, size};
    // Only a format the window offers can be typed: another one's extension
    // is part of the name.
    if (const std::optional<ImageFormat> typed = imageFormatOf(chosen, offered))
        choice.format = *typed;
    else
        choice.file += std::string(format.extensions.front());
    return choice;
}

QStringList openFilters(std::span<const ImageFormatInfo> formats) {
    QStringList patterns;
    for (const ImageFormatInfo& info : formats)
        if (info.carriesRecipe) patterns << patternsOf(info);
    return {QStringLiteral("Pictures made by Textscape (%1)").arg(patterns.join(QLatin1Char(' '))),
            QStringLiteral("All files (*)")};
}

std::optional<SaveChoice> QtFileDialogs::askSaveFile(const std::filesystem::path& folder, const std::string& name,
                                                     std::span<const PictureSize> sizes) {
    QFileDialog dialog(parent_, QStringLiteral("Save picture as"));
    dialog.setObjectName(QStringLiteral("saveAs"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QStringList filters = saveFilters(sizes);
    const std::vector<ImageFormatInfo> offered = offeredFormats(imageFormats());
    // The suffix a file type adds, without its dot.
    const auto suffixOf = [&](qsizetype filterIndex) {
        return textOf(filterChoice(filterIndex, sizes, offered).first.extensions.front().substr(1));
    };
    dialog.setNameFilters(filters);
    dialog.setDirectory(pathText(folder));
    dialog.selectFile(QString::fromStdString(name) + QLatin1Char('.') + suffixOf(0));
    // The name's extension follows the file type chosen.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog, &filters, &suffixOf](const QString& filter) {
                         dialog.setDefaultSuffix(suffixOf(filters.indexOf(filter)));
                     });
    dialog.setDefaultSuffix(suffixOf(0));
    fitToScreen(dialog, parent_);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return saveChoiceOf(dialog.selectedFiles().front().toStdString(), filters.indexOf(dialog.selectedNameFilter()),
                        sizes);
}

std::optional<std::filesystem::path> QtFileDialogs::askOpenFile(const std::filesystem::path& folder) {
    QFileDialog dialog(parent_, QStringLiteral("Open picture"));
    dialog.setObjectName(QStringLiteral("open"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(openFilters());
    dialog.setDirectory(pathText(folder));
    fitToScreen(dialog, parent_);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return std::filesystem::path(dialog.selectedFiles().front().toStdString());
}

}  // namespace ts
