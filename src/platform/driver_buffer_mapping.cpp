#include <map>

#include "platform/driver_memory.h"
#include "platform/win32.h"

namespace platform {
namespace {

struct Mapping {
    std::uint8_t* memory;
    win32::DWORD length;
};

// Mappings never start at 0 and keep a gap between them, so that an address
// just past one mapping never falls into the next.
constexpr std::uint64_t FirstAddress = 0x10000;
constexpr std::uint64_t Gap = 0x1000;
constexpr std::uint64_t AddressLimit = 0x100000000;

std::map<win32::DWORD, Mapping>& Table()
{
    static std::map<win32::DWORD, Mapping> table;
    return table;
}

win32::DWORD Reserve(std::uint8_t* memory, win32::DWORD length)
{
    auto& table = Table();
    std::uint64_t candidate = FirstAddress;
    for (const auto& [start, mapping] : table) {
        if (candidate + length + Gap <= start) break;
        candidate = std::uint64_t(start) + mapping.length + Gap;
        candidate = (candidate + Gap - 1) / Gap * Gap;
    }
    if (candidate + length + Gap > AddressLimit) return 0;  // the 32-bit space is used up
    table[static_cast<win32::DWORD>(candidate)] = Mapping{memory, length};
    return static_cast<win32::DWORD>(candidate);
}

}  // namespace

std::span<std::uint8_t> DriverMemoryAt(win32::DWORD address)
{
    auto& table = Table();
    auto next = table.upper_bound(address);
    if (next == table.begin()) return {};
    auto& [start, mapping] = *std::prev(next);
    std::uint64_t offset = address - start;
    if (offset >= mapping.length) return {};
    return {mapping.memory + offset, mapping.length - offset};
}

}  // namespace platform

namespace win32 {

DriverBufferMapping::DriverBufferMapping(void* buffer, DWORD length)
    : address_(buffer && length ? platform::Reserve(static_cast<std::uint8_t*>(buffer), length) : 0)
{
}

DriverBufferMapping::~DriverBufferMapping()
{
    if (address_ == 0) return;
    platform::Table().erase(address_);
}

}  // namespace win32
