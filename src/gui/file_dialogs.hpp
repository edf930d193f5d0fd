#pragma once

#include <QMargins>
#include <QSize>

#include <QStringList>

#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "files/image_format.hpp"
#include "gui/picture_export.hpp"

class QWidget;

namespace ts {

// Where and how "Save as" writes the picture.
struct SaveChoice {
    std::filesystem::path file;
    ImageFormat format = defaultImageFormat();
    PictureSize size;
};

// The file dialogs the window asks with.
class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // Asks where to save the picture, in which format and at which of
    // `sizes`, starting in `folder` with the name `name` (without its
    // extension); nothing when cancelled.
    virtual std::optional<SaveChoice> askSaveFile(const std::filesystem::path& folder, const std::string& name,
                                                  std::span<const PictureSize> sizes) = 0;
    // Asks for a picture to open, starting in `folder`; nothing when cancelled.
    virtual std::optional<std::filesystem::path> askOpenFile(const std::filesystem::path& folder) = 0;
};

// The file types "Save as" offers: for each of `formats` the window offers
// (inWindow), in their order, one per size, so that the platform's own file
// dialog asks for both.
QStringList saveFilters(std::span<const PictureSize> sizes, std::span<const ImageFormatInfo> formats = imageFormats());

// What a chosen file and file type ask for. An extension the user typed
// decides the format when it is one of a format the window offers; with any
// other, or none, the file type's extension is added.
SaveChoice saveChoiceOf(const std::filesystem::path& chosen, qsizetype filterIndex, std::span<const PictureSize> sizes,
                        std::span<const ImageFormatInfo> formats = imageFormats());

// The file types "Open picture" offers: the formats that carry the recipe,
// then all files.
QStringList openFilters(std::span<const ImageFormatInfo> formats = imageFormats());

// The size a dialog that would like `wanted` (and needs at least
// `minimum`) takes on a screen whose free area is `available`, its frame
// taking `frame`: what it wants where that fits, else what the screen has
// room for, and never less than it needs.
QSize dialogSizeWithin(QSize wanted, QSize minimum, QSize available, QMargins frame);

// The platform's file dialogs, each sized to fit the screen of the window
// that opens it.
class QtFileDialogs final : public FileDialogs {
public:
    explicit QtFileDialogs(QWidget* parent = nullptr) : parent_(parent) {}

    std::optional<SaveChoice> askSaveFile(const std::filesystem::path& folder, const std::string& name,
                                          std::span<const PictureSize> sizes) override;
    std::optional<std::filesystem::path> askOpenFile(const std::filesystem::path& folder) override;

private:
    QWidget* parent_;
};

}  // namespace ts
