#pragma once

#include <cstddef>
#include <cstdint>

namespace ts {

// The CRC-32 of PNG chunks and zip files (polynomial 0xEDB88320).
std::uint32_t crc32(const std::uint8_t* data, std::size_t size);

}  // namespace ts
