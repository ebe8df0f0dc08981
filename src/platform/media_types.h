#pragma once
// Which MEDIA_TYPE values of a disk geometry stand for a removable medium.

#include "platform/win32.h"

namespace platform {

// Every floppy format, RemovableMedia, and the removable formats after
// FixedMedia; Unknown, FixedMedia and the formats after F8_256_128 are not.
inline bool IsRemovableMediaType(win32::DWORD mediaType)
{
    return (mediaType >= win32::F5_1Pt2_512 && mediaType <= win32::RemovableMedia) ||
           (mediaType >= win32::F3_120M_512 && mediaType <= win32::F8_256_128);
}

}  // namespace platform
