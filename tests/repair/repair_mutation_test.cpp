// Bounded mutation test of the repair commands: seeded images of 2 to 40 MB
// made by mkfs.fat and filled with mtools, FAT16 and FAT32, whole devices and
// partitions, their boot sector destroyed and then damaged at random (bytes
// flipped in the FATs and the directories, stray "." and ".." sectors, FAT
// starts where none belong, the image cut short, hostile partition entries).
// Whatever the damage, a repair either refuses with the disk unchanged or
// writes the volume's first sector alone, with the cluster size, reserved
// sectors, FAT size and FAT type that mkfs.fat made. The images are split
// into shards that run as tests of their own; each image is reproduced by its
// number alone.

#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "fixtures/directory_scan.h"
#include "fixtures/disk_image.h"
#include "fixtures/whole_repair.h"
#include "machine_fixture.h"
#include "platform/machine_selection.h"
#include "recording_host.h"
#include "repair/repair_commands.h"
#include "repair/repair_texts.h"

namespace repair {
namespace {

using fixtures::FatType;

constexpr std::uint64_t Seed = 20261209;
constexpr int Images = 200;
constexpr int Shards = 8;
static_assert(Images % Shards == 0, "every shard repairs as many images");

enum class Road { Removable, At63, At2048 };

// One image: its volume, where it lies, and what befell it; `story` tells it.
class Mutant {
public:
    explicit Mutant(int number) : random_(Seed + static_cast<std::uint64_t>(number))
    {
        story_ << "image " << number << ":";
        ChooseVolume();
        road_ = static_cast<Road>(Below(3));
    }

    const fixtures::FatVolumeOptions& options() const { return options_; }
    Road road() const { return road_; }
    double directoriesAfter() const { return directoriesAfter_; }
    std::string story() const { return story_.str(); }

    // Damages the volume up to twice, each time in one of the ways below; a
    // cut comes last, so that the other damage lies on the image.
    void Damage(const fixtures::VolumeLocation& volume, const fixtures::BootSectorFields& original)
    {
        bool cut = false;
        for (std::uint64_t n = Below(3); n > 0; --n) {
            switch (Below(road_ == Road::Removable ? 5 : 6)) {
            case 0: FlipFatBytes(volume, original); break;
            case 1: FlipDirectoryBytes(volume, original); break;
            case 2: PutStrayDirectory(volume, original); break;
            case 3: PutStrayFatStart(volume, original); break;
            case 4: cut = true; break;
            case 5: PutHostileEntry(volume); break;
            }
        }
        if (cut) CutShort(volume, original);
    }

private:
    std::uint64_t Below(std::uint64_t n) { return random_() % n; }
    std::uint64_t Between(std::uint64_t low, std::uint64_t high) { return low + Below(high - low + 1); }
    // Whole tracks of 32 sectors, so that mkfs.fat uses all of them.
    std::uint64_t Sectors(std::uint64_t low, std::uint64_t high) { return Between(low / 32, high / 32) * 32; }

    // FAT16 volumes whose copies lie at offsets of 192 and more (large FATs,
    // or many reserved sectors, which leaves the layout to the fallback), and
    // FAT32 volumes, which need 65,525 clusters and so 33 MiB at least.
    void ChooseVolume()
    {
        const std::uint64_t kind = Below(4);
        options_.heads = 64;
        options_.sectorsPerTrack = 32;
        if (kind == 0) {
            options_ = {.type = FatType::Fat32, .sectors = Sectors(67584, 81920), .sectorsPerCluster = 1,
                        .heads = 64, .sectorsPerTrack = 32};
            directoriesAfter_ = 0.10 + 0.01 * static_cast<double>(Below(40));
        } else if (kind == 1) {
            options_ = {.type = FatType::Fat16, .sectors = Sectors(53248, 65536), .sectorsPerCluster = 1,
                        .heads = 64, .sectorsPerTrack = 32};
            directoriesAfter_ = 0.03 + 0.01 * static_cast<double>(Below(47));
        } else {
            const std::uint32_t perCluster = kind == 2 ? 1 : 2;
            options_ = {.type = FatType::Fat16,
                        .sectors = Sectors(4608 * perCluster, 40960 * perCluster),
                        .sectorsPerCluster = perCluster,
                        .reservedSectors = static_cast<std::uint32_t>(Between(192, 260)),
                        .heads = 64,
                        .sectorsPerTrack = 32};
            directoriesAfter_ = 0.30 + 0.01 * static_cast<double>(Below(40));
        }
        story_ << (options_.type == FatType::Fat32 ? " FAT32 " : " FAT16 ") << options_.sectors << " sectors, "
               << options_.sectorsPerCluster << " per cluster, " << options_.reservedSectors << " reserved;";
    }

    // Flips 1 to 8 bytes among the first `span` bytes of the sector.
    void FlipBytes(const fixtures::VolumeLocation& volume, std::uint64_t offset, const char* where, std::uint64_t span)
    {
        fixtures::Sector sector = fixtures::ReadSector(volume.image, volume.startSector + offset);
        const std::uint64_t flips = Between(1, 8);
        for (std::uint64_t i = 0; i < flips; ++i) sector[Below(span)] ^= static_cast<std::uint8_t>(Between(1, 255));
        fixtures::WriteSector(volume.image, volume.startSector + offset, sector);
        story_ << " bytes flipped in " << where << " sector " << offset << ";";
    }

    // Half the time in the FAT start of a copy, which the search looks for.
    void FlipFatBytes(const fixtures::VolumeLocation& volume, const fixtures::BootSectorFields& original)
    {
        const std::uint64_t copyStart = Below(2) == 0 ? original.FirstFatSector() : original.SecondFatSector();
        if (Below(2) == 0) {
            FlipBytes(volume, copyStart + Below(original.SectorsPerFat()), "FAT", 512);
        } else {
            FlipBytes(volume, copyStart, "FAT start", 4);
        }
    }

    void FlipDirectoryBytes(const fixtures::VolumeLocation& volume, const fixtures::BootSectorFields& original)
    {
        const auto first = fixtures::FirstSubdirectorySector(volume, original.TotalSectors());
        if (!first) return;
        FlipBytes(volume, *first + Below(8 * original.sectorsPerCluster), "directory", 512);
    }

    void PutStrayDirectory(const fixtures::VolumeLocation& volume, const fixtures::BootSectorFields& original)
    {
        // Mostly where the directory search meets it before the real ones.
        const auto searchStart = static_cast<std::uint64_t>(0.03 * static_cast<double>(original.TotalSectors()));
        const std::uint64_t offset =
            Below(4) == 0 ? Between(original.FirstDataSector(), original.TotalSectors() - 1)
                          : Between(searchStart, static_cast<std::uint64_t>(directoriesAfter_ *
                                                                            static_cast<double>(original.TotalSectors())));
        const auto cluster = static_cast<std::uint32_t>(Below(2) == 0 ? Between(2, 300) : Between(2, 70000));
        fixtures::Sector stray = testing::DirectoryStart(cluster);
        fixtures::WriteLe16(stray.data() + 32 + 26, static_cast<std::uint16_t>(Below(3) == 0 ? 0 : Below(70000)));
        fixtures::WriteSector(volume.image, volume.startSector + offset, stray);
        story_ << " stray directory of cluster " << cluster << " at " << offset << ";";
    }

    void PutStrayFatStart(const fixtures::VolumeLocation& volume, const fixtures::BootSectorFields& original)
    {
        const std::uint64_t offset = Between(1, std::min<std::uint64_t>(20000, original.TotalSectors() - 1));
        const fixtures::Sector start = Below(2) == 0 ? testing::Fat16Start : testing::Fat32Start;
        fixtures::WriteSector(volume.image, volume.startSector + offset, start);
        story_ << " FAT start at " << offset << ";";
    }

    void CutShort(const fixtures::VolumeLocation& volume, const fixtures::BootSectorFields& original)
    {
        const std::uint64_t end = volume.startSector + Between(original.TotalSectors() / 2, original.TotalSectors());
        if (end >= fixtures::ImageSectors(volume.image)) return;
        std::filesystem::resize_file(volume.image, end * fixtures::kSectorSize);
        story_ << " image cut at sector " << end << ";";
    }

    // The entry of the only partition claims a start at or before its table,
    // an end past the drive, or a length near 2^32.
    void PutHostileEntry(const fixtures::VolumeLocation& volume)
    {
        fixtures::Sector table = fixtures::ReadSector(volume.image, 0);
        std::uint8_t* entry = table.data() + 0x1BE;
        const std::uint64_t drive = fixtures::ImageSectors(volume.image);
        switch (Below(3)) {
        case 0: fixtures::WriteLe32(entry + 8, 0); break;
        case 1: fixtures::WriteLe32(entry + 12, static_cast<std::uint32_t>(Between(drive - volume.startSector + 1, 4 * drive))); break;
        case 2: fixtures::WriteLe32(entry + 12, static_cast<std::uint32_t>(Between(0xF0000000u, 0xFFFFF000u))); break;
        }
        fixtures::WriteSector(volume.image, 0, table);
        story_ << " partition entry now " << fixtures::ReadLe32(entry + 8) << "+" << fixtures::ReadLe32(entry + 12) << ";";
    }

    std::mt19937_64 random_;
    std::ostringstream story_;
    fixtures::FatVolumeOptions options_;
    Road road_ = Road::Removable;
    double directoriesAfter_ = 0.03;
};

class RepairMutation : public ::testing::TestWithParam<int> {
protected:
    ~RepairMutation() override { platform::UseMachineFromEnvironment(); }

    // Makes, fills, damages and repairs image `number`; true when it was repaired.
    bool RepairImage(int number)
    {
        Mutant mutant(number);
        SCOPED_TRACE(mutant.story());
        const fixtures::TempDir dir;
        const fixtures::FatVolumeOptions& options = mutant.options();
        const std::uint8_t type = options.type == FatType::Fat32 ? fixtures::kTypeFat32Lba : fixtures::kTypeFat16;
        const std::uint64_t start = mutant.road() == Road::At63 ? 63 : mutant.road() == Road::At2048 ? 2048 : 0;
        const fixtures::VolumeLocation volume = fixtures::MakeVolumeOnDisk(dir.File("disk.img"), options, start, type);
        const fixtures::DamagedVolume damaged = fixtures::FillAndDestroyBootSector(
            volume, {.depth = 2, .directoriesAfter = mutant.directoriesAfter()},
            options.type == FatType::Fat32 ? fixtures::BootDamage::WithFat32Copies
                                           : fixtures::BootDamage::BootSectorOnly);
        mutant.Damage(volume, damaged.original);
        fixtures::InstallOneDriveMachine(
            dir, {0, volume.image, mutant.road() == Road::Removable ? fixtures::kMediaRemovable : fixtures::kMediaFixed});
        const fixtures::SectorDigest before = fixtures::DigestSectors(volume.image);

        RepairState state;
        testing::RecordingHost host;
        RepairCommands commands(state, host, options.type == FatType::Fat32 && number % 2 ? Fat32OnlyRoads
                                                                                           : VolmenderRoads);
        state.DriveParams.flags = mutant.road() == Road::Removable ? d_api::RemovableFlag : 0;
        if (mutant.road() == Road::Removable)
            commands.RepairButton({});
        else
            commands.PartitionClick(1);

        const std::vector<std::uint64_t> changed =
            fixtures::ChangedSectors(before, fixtures::DigestSectors(volume.image));
        const std::vector<std::string> messages = host.Messages();
        const bool repaired = !messages.empty() && messages.back() == texts::Repaired;
        if (!repaired) {
            EXPECT_EQ(changed, std::vector<std::uint64_t>{});
            return false;
        }
        EXPECT_EQ(changed, std::vector<std::uint64_t>{volume.startSector});
        const fixtures::BootSectorFields rebuilt = fixtures::ReadBootSector(volume);
        const fixtures::BootSectorFields& original = damaged.original;
        EXPECT_EQ(rebuilt.IsFat32(), original.IsFat32());
        EXPECT_EQ(rebuilt.sectorsPerCluster, original.sectorsPerCluster);
        EXPECT_EQ(rebuilt.reservedSectors, original.reservedSectors);
        EXPECT_EQ(rebuilt.SectorsPerFat(), original.SectorsPerFat());
        return true;
    }
};

TEST_P(RepairMutation, EveryImageIsRefusedUnchangedOrGetsItsOwnLayout)
{
    int repaired = 0;
    for (int number = GetParam(); number < Images; number += Shards)
        if (RepairImage(number)) ++repaired;
    // Damage spares some images, and those must be repaired: a shard in which
    // nothing is repaired proves nothing about the writes.
    EXPECT_GE(repaired, 3);
    ::testing::Test::RecordProperty("repaired", repaired);
    std::cout << "mutation shard " << GetParam() << ": " << repaired << " repaired, " << Images / Shards - repaired << " refused\n";
}

INSTANTIATE_TEST_SUITE_P(Shards, RepairMutation, ::testing::Range(0, Shards));

}  // namespace
}  // namespace repair
