#pragma once
// Little-endian fields of on-disk and driver structures: partition tables,
// boot sectors, FAT entries, the sector driver's request block.

#include <cstddef>
#include <cstdint>
#include <span>

namespace platform {

inline std::uint16_t Le16(std::span<const std::uint8_t> bytes, std::size_t offset)
{
    return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

inline std::uint32_t Le32(std::span<const std::uint8_t> bytes, std::size_t offset)
{
    return std::uint32_t{Le16(bytes, offset)} | (std::uint32_t{Le16(bytes, offset + 2)} << 16);
}

inline void PutLe16(std::span<std::uint8_t> bytes, std::size_t offset, std::uint16_t value)
{
    bytes[offset] = static_cast<std::uint8_t>(value);
    bytes[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

inline void PutLe32(std::span<std::uint8_t> bytes, std::size_t offset, std::uint32_t value)
{
    PutLe16(bytes, offset, static_cast<std::uint16_t>(value));
    PutLe16(bytes, offset + 2, static_cast<std::uint16_t>(value >> 16));
}

inline void PutLe64(std::span<std::uint8_t> bytes, std::size_t offset, std::uint64_t value)
{
    PutLe32(bytes, offset, static_cast<std::uint32_t>(value));
    PutLe32(bytes, offset + 4, static_cast<std::uint32_t>(value >> 32));
}

}  // namespace platform
