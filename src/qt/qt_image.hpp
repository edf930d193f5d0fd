#pragma once

#include <QImage>

#include "platform/raster.hpp"

namespace ts {

// A raster's own pixels seen as a Qt image, with no copy: the raster must
// outlive the image. Painting on the writable one writes into the raster.
inline QImage imageOf(const Raster& raster) {
    return QImage(reinterpret_cast<const uchar*>(raster.data()), raster.width(), raster.height(),
                  raster.width() * static_cast<qsizetype>(sizeof(std::uint32_t)), QImage::Format_RGB32);
}

inline QImage writableImageOf(Raster& raster) {
    return QImage(reinterpret_cast<uchar*>(raster.data()), raster.width(), raster.height(),
                  raster.width() * static_cast<qsizetype>(sizeof(std::uint32_t)), QImage::Format_RGB32);
}

}  // namespace ts
