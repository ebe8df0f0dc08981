// The search for the first sector of a subdirectory: its "." and ".." entries
// and the first cluster in its "." entry give the cluster size.

#include <algorithm>

#include "repair/analysis.h"
#include "repair/directory_entry_layout.h"

namespace repair {

namespace {

// Only the names count; extension and attributes are not examined.
bool HoldsDotPair(std::span<const std::uint8_t> sector)
{
    return std::ranges::equal(sector.subspan(dir_entry::NameAt, dir_entry::NameBytes), dir_entry::DotName) &&
           std::ranges::equal(sector.subspan(dir_entry::Bytes + dir_entry::NameAt, dir_entry::NameBytes),
                              dir_entry::DotDotName);
}

}  // namespace

bool Analysis::FindDirCluster()
{
    VolumeLayout& layout = state_.Layout;
    if (profile_.clearsClusterSizeAtSearchStart) layout.SectorsPerCluster = 0;

    // Counted in 64 bits: a volume that reaches the end of the 32-bit sector
    // numbers ends the search there instead of wrapping round to sector 0.
    const std::uint64_t volumeEnd = std::uint64_t{layout.VolumeStart} + layout.VolumeSectors;
    std::uint64_t blockStart =
        std::uint64_t{layout.VolumeStart} + DirSearchStartOffset(profile_, layout.VolumeSectors);

    host_.ShowBusyPanel();
    // The first Block is tested whatever the volume's length; later ones only
    // while they start inside the volume.
    while (blockStart <= LastAddressableSector && !Stopped()) {
        const auto first = static_cast<std::uint32_t>(blockStart);
        ReadIntoBlockBuf(first);
        if (!Stopped() && FindDotEntries(state_.BlockBuf, first)) return true;
        blockStart += profile_.dirSearchStep;
        if (blockStart >= volumeEnd) break;
    }
    return false;
}

bool Analysis::FindDotEntries(std::span<const std::uint8_t> block, std::uint32_t firstSector)
{
    VolumeLayout& layout = state_.Layout;
    const std::uint64_t sectorsInBlock = block.size() / d_api::SectorSize;
    const std::uint64_t addressable = LastAddressableSector - firstSector + 1;
    const auto inspected = std::min({std::uint64_t{profile_.dirSectorsInspected}, sectorsInBlock, addressable});

    for (std::uint64_t s = 0; s < inspected; ++s) {
        const auto sector = block.subspan(s * d_api::SectorSize, d_api::SectorSize);
        if (HoldsDotPair(sector)) {
            const std::uint32_t cluster = dir_entry::FirstCluster(sector, 0);
            // A "." entry naming cluster 0 gives no cluster size; the search
            // passes over it as over any other sector.
            if (cluster != 0) {
                const std::uint32_t dirSector = firstSector + static_cast<std::uint32_t>(s);
                layout.SectorsPerCluster = (dirSector - layout.VolumeStart) / cluster;
                layout.DirSector = dirSector;
                layout.DirClusterOffset = static_cast<std::int32_t>((cluster - 2) * layout.SectorsPerCluster);
                return true;
            }
        }
        host_.ProcessMessages();
        if (Stopped()) return false;
    }
    return false;
}

}  // namespace repair
