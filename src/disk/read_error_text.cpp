#include "disk/read_error_text.h"

namespace d_api {

// The sector read of the FAT16/FAT32 program labels the sector "LBA"; the
// block read, and both reads of the FAT32-only program, say "LBA地址".
std::string ReadErrorText(ReadKind kind, DApiFlavour flavour, win32::DWORD error, std::uint8_t drive,
                          std::uint32_t sector, std::uint16_t count)
{
    bool sectorRead = kind == ReadKind::Sector;
    bool shortLabel = sectorRead && flavour == DApiFlavour::Volmender;
    return std::string(sectorRead ? "错误：" : "错误:") + std::to_string(error) + "\r\n" + "磁盘:" +
           std::to_string(drive) + (shortLabel ? " LBA:" : " LBA地址:") + std::to_string(sector) + " 块:" +
           std::to_string(count);
}

}  // namespace d_api
