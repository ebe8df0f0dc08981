#pragma once
// The text of the box that tells the user a read from a drive failed.

#include <cstdint>
#include <string>

#include "disk/d_api.h"
#include "platform/win32.h"

namespace d_api {

inline constexpr const char* ReadErrorCaption = "读盘错误";

enum class ReadKind { Sector, Block };

std::string ReadErrorText(ReadKind kind, DApiFlavour flavour, win32::DWORD error, std::uint8_t drive,
                          std::uint32_t sector, std::uint16_t count);

}  // namespace d_api
