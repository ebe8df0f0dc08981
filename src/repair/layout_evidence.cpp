#include "repair/layout_evidence.h"

#include <algorithm>
#include <array>
#include <optional>

#include "repair/directory_entry_layout.h"
#include "repair/fat_entry_layout.h"
#include "repair/layout_facts.h"

namespace repair {

namespace {

using SectorBytes = std::array<std::uint8_t, d_api::SectorSize>;

// The copies are compared over their leading sectors, where the entries of the
// files written first lie; enough to tell a FAT from what is not one, and
// bounded on volumes whose FAT runs to many megabytes.
constexpr std::uint32_t ComparedFatSectors = 2048;

using fat_entry::FirstCluster;

// The ".." entry, which names the parent's cluster (0: the root), follows the
// "." entry, which names the directory's own.
constexpr std::size_t DotDotEntry = dir_entry::Bytes;

// A "." entry in full: the name and a blank extension.
bool IsDotEntry(std::span<const std::uint8_t> entry)
{
    return std::ranges::equal(entry.subspan(dir_entry::NameAt, dir_entry::NameBytes), dir_entry::DotName) &&
           std::ranges::equal(entry.subspan(dir_entry::ExtensionAt, dir_entry::ExtensionBytes),
                              dir_entry::BlankExtension);
}

class FallbackEvidence {
public:
    FallbackEvidence(const RepairState& state, bool fat32, const DeclaredClusters& clusters)
        : state_(state), layout_(state.Layout), fat32_(fat32), clusters_(clusters)
    {
    }

    bool Confirmed() const
    {
        return FatSizeFitsTheClusters() && CopiesAgree() && DirectoryIsAllocated() && ParentIsADirectory();
    }

private:
    std::optional<SectorBytes> Read(std::uint64_t volumeOffset) const
    {
        SectorBytes bytes{};
        if (!state_.Reader.ReadSector(std::uint64_t{layout_.VolumeStart} + volumeOffset, bytes))
            return std::nullopt;
        return bytes;
    }

    // A FAT larger than its clusters need means the layout put the copies or
    // the data area elsewhere than the formatter did.
    bool FatSizeFitsTheClusters() const { return FatMadeFor(clusters_.count, layout_.SectorsPerFat, fat32_); }

    // Their first sectors are left out: the fallback runs because the first
    // copy's first sector is not what it should be. The sectors after it are
    // often gone too (wiping a volume's first kilobytes is how a boot sector
    // is most often lost): the first copy's leading sectors that read as
    // zeros or not at all are passed over, and then at least one sector that
    // holds entries must agree, or nothing shows that these are two copies.
    bool CopiesAgree() const
    {
        const std::uint32_t compared = std::min(layout_.SectorsPerFat, ComparedFatSectors);
        bool leading = true;
        bool passedOver = false;
        bool entriesAgree = false;
        for (std::uint32_t s = 1; s < compared; ++s) {
            const auto first = Read(std::uint64_t{layout_.ReservedSectors} + s);
            const bool empty = !first || *first == SectorBytes{};
            if (leading && empty) {
                passedOver = true;
                continue;
            }
            leading = false;
            const auto second = Read(std::uint64_t{layout_.ReservedSectors} + layout_.SectorsPerFat + s);
            if (!first || !second || *first != *second) return false;
            entriesAgree = entriesAgree || !empty;
        }
        return !passedOver || entriesAgree;
    }

    std::uint32_t DirectoryCluster() const
    {
        return static_cast<std::uint32_t>(layout_.DirClusterOffset) / layout_.SectorsPerCluster + FirstCluster;
    }

    std::optional<std::uint32_t> FatEntry(std::uint64_t copyStart, std::uint32_t cluster) const
    {
        const auto sector = Read(copyStart + std::uint64_t{cluster} * fat_entry::Bytes(fat32_) / d_api::SectorSize);
        if (!sector) return std::nullopt;
        return fat_entry::ReadEntry(*sector, cluster, fat32_);
    }

    // In use: the next cluster of its chain inside the volume, or the chain's
    // end (the values above the bad-cluster mark).
    bool Allocated(std::uint32_t entry) const
    {
        const std::uint32_t bad = fat_entry::Bad(fat32_);
        if (entry == bad) return false;
        return entry > bad || (entry >= FirstCluster && entry < clusters_.count + FirstCluster);
    }

    // Read in the second copy, whose start the FAT search found; the first
    // copy agrees with it (CopiesAgree).
    bool DirectoryIsAllocated() const
    {
        const auto entry = FatEntry(std::uint64_t{layout_.ReservedSectors} + layout_.SectorsPerFat, DirectoryCluster());
        return entry && Allocated(*entry);
    }

    // ".." names the root (0) or a directory whose own "." names its cluster.
    bool ParentIsADirectory() const
    {
        const auto directory = Read(std::uint64_t{layout_.DirSector} - layout_.VolumeStart);
        if (!directory) return false;
        const std::uint32_t parent = dir_entry::FirstCluster(*directory, DotDotEntry);
        if (parent == 0) return true;
        if (parent < FirstCluster || parent >= clusters_.count + FirstCluster) return false;
        const auto parentStart =
            Read(clusters_.dataStart + std::uint64_t{parent - FirstCluster} * layout_.SectorsPerCluster);
        return parentStart && IsDotEntry(*parentStart) && dir_entry::FirstCluster(*parentStart, 0) == parent;
    }

    const RepairState& state_;
    const VolumeLayout& layout_;
    bool fat32_;
    DeclaredClusters clusters_;
};

}  // namespace

bool LayoutConfirmedByDisk(const RepairState& state, bool fat32)
{
    const VolumeLayout& layout = state.Layout;
    if (layout.Fat1Offset != 0) return true;
    // The directory lies inside the volume at a cluster offset of 0 or more:
    // the fallback gives no FAT size otherwise, and the facts refuse that.
    const std::optional<DeclaredClusters> clusters = DeclaredClustersOf(layout, fat32);
    if (!clusters) return false;
    return FallbackEvidence(state, fat32, *clusters).Confirmed();
}

}  // namespace repair
