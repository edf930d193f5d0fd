#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <utility>

#include "files/file_output.hpp"
#include "platform/raster_surface.hpp"
#include "platform/surface.hpp"
#include "state/form_state.hpp"

namespace ts {

// Which file each picture saved during this run went to. A picture is known
// by its name (the stamp of the moment it was made) and by the bytes saved:
// two pictures made within one second share a name but not their pixels,
// while saving the same picture again gives the same bytes. A picture made
// twice from the same text in one second is the same file either way.
class SaveHistory {
public:
    struct Picture {
        std::string name;
        std::uint64_t fingerprint = 0;
        auto operator<=>(const Picture&) const = default;
    };

    // The file this picture was saved to before, or an empty path.
    std::filesystem::path fileOf(const Picture& picture) const;
    // Whether this run saved some picture to `file`.
    bool written(const std::filesystem::path& file) const;
    void remember(const Picture& picture, const std::filesystem::path& file);

private:
    std::map<Picture, std::filesystem::path> files_;
};

// Called after each copied column with its index, when the progress mark
// has just moved: the window repaints the mark's strip there.
using ColumnDone = std::function<void(int column)>;

// The copy of SaveComposite: the canvas into the composite, column by column
// (i = 0..sir, j = 0..vis through the surfaces' pixel reads and sets), the
// progress mark moving along the window below the canvas as it goes. Leaves i
// and j one past their last values.
void CopyToComposite(FormState& s, const Surface& canvas, Surface& composite, Surface& form,
                     const ColumnDone& columnDone = {});

// The "save on disk" action: copies the canvas into the composite (of the
// canvas's size, so that the file holds exactly the canvas) with the
// moving progress mark, then writes the composite as a 24-bit bitmap into
// `folder` (made when missing) as imeslike + ".bmp". The same picture saved
// again replaces its own file; another picture whose name is taken, by this
// run or by a file already there, gets "-2", "-3", ... before ".bmp". A
// failure leaves no file behind and is returned, not thrown; the Outcome
// names the file written, or the one meant.
Outcome SaveComposite(FormState& s, const Surface& canvas, RasterSurface& composite, Surface& form,
                      SaveHistory& history, const std::filesystem::path& folder, const ColumnDone& columnDone = {});

}  // namespace ts
