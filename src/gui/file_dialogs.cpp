#include "gui/file_dialogs.hpp"

#include <QFileDialog>

namespace ts {

namespace {

constexpr ImageFormat kFormats[] = {ImageFormat::Png, ImageFormat::Bmp};

const char* extensionOf(ImageFormat format) { return format == ImageFormat::Png ? ".png" : ".bmp"; }

QString pathText(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }

}  // namespace

QStringList saveFilters(std::span<const PictureSize> sizes) {
    QStringList filters;
    for (const ImageFormat format : kFormats)
        for (const PictureSize& size : sizes) {
            const QString kind = format == ImageFormat::Png ? QStringLiteral("PNG image") : QStringLiteral("BMP image");
            filters << QStringLiteral("%1, %2 \u00d7 %3 \u2014 %4 (*%5)")
                           .arg(kind)
                           .arg(size.width)
                           .arg(size.height)
                           .arg(QString::fromUtf8(size.purpose))
                           .arg(QLatin1String(extensionOf(format)));
        }
    return filters;
}

SaveChoice saveChoiceOf(const std::filesystem::path& chosen, qsizetype filterIndex,
                        std::span<const PictureSize> sizes) {
    const auto count = static_cast<qsizetype>(sizes.size());
    if (filterIndex < 0 || filterIndex >= 2 * count) filterIndex = 0;
    SaveChoice choice{chosen, kFormats[filterIndex / count], sizes[static_cast<std::size_t>(filterIndex % count)]};
    if (const std::optional<ImageFormat> typed = imageFormatOf(chosen))
        choice.format = *typed;
    else
        choice.file += extensionOf(choice.format);
    return choice;
}

std::optional<SaveChoice> QtFileDialogs::askSaveFile(const std::filesystem::path& folder, const std::string& name,
                                                     std::span<const PictureSize> sizes) {
    QFileDialog dialog(parent_, QStringLiteral("Save picture as"));
    dialog.setObjectName(QStringLiteral("saveAs"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QStringList filters = saveFilters(sizes);
    dialog.setNameFilters(filters);
    dialog.setDirectory(pathText(folder));
    dialog.selectFile(QString::fromStdString(name) + QStringLiteral(".png"));
    // The name's extension follows the file type chosen.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, &filters](const QString& filter) {
        const bool png = filters.indexOf(filter) < filters.size() / 2;
        dialog.setDefaultSuffix(png ? QStringLiteral("png") : QStringLiteral("bmp"));
    });
    dialog.setDefaultSuffix(QStringLiteral("png"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return saveChoiceOf(dialog.selectedFiles().front().toStdString(), filters.indexOf(dialog.selectedNameFilter()),
                        sizes);
}

std::optional<std::filesystem::path> QtFileDialogs::askOpenFile(const std::filesystem::path& folder) {
    QFileDialog dialog(parent_, QStringLiteral("Open picture"));
    dialog.setObjectName(QStringLiteral("open"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({QStringLiteral("Pictures made by Textscape (*.png)"), QStringLiteral("All files (*)")});
    dialog.setDirectory(pathText(folder));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return std::filesystem::path(dialog.selectedFiles().front().toStdString());
}

}  // namespace ts
