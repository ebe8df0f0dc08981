#pragma once
// Tests of the repair commands on described machines: drive 0 is a sparse
// image, fixed or removable, and small FAT16 or FAT32 volumes are laid out in
// it sector by sector where a case needs them.

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "fixtures/partitioning.h"
#include "machine_fixture.h"
#include "repair/repair_commands.h"
#include "repair/repair_texts.h"

namespace repair::testing {

// A FAT32 volume of 40,000 sectors as the analysis sees it: 32 reserved
// sectors, two FATs of 313 sectors, 512-byte clusters, and a subdirectory in
// cluster 14,100.
struct SparseFat32 {
    static constexpr std::uint32_t Sectors = 40000;
    static constexpr std::uint32_t Reserved = 32;
    static constexpr std::uint32_t FatSize = 313;
    static constexpr std::uint32_t DirOffset = 32 + 2 * 313 + (14100 - 2);
};

// A FAT16 volume of 35,000 sectors: 4 reserved sectors, two FATs of 200
// sectors, 32 root sectors, 2 KiB clusters, a subdirectory in cluster 1,000.
struct SparseFat16 {
    static constexpr std::uint32_t Sectors = 35000;
    static constexpr std::uint32_t Reserved = 4;
    static constexpr std::uint32_t FatSize = 200;
    static constexpr std::uint32_t DirOffset = 4 + 2 * 200 + 32 + (1000 - 2) * 4;
};

class RoadsTest : public MachineTest {
protected:
    struct Machine {
        std::uint64_t sectors = 100000;
        int media = fixtures::kMediaFixed;
        std::optional<fixtures::DriveGeometry> geometry{};
        std::map<char, std::uint64_t> letters{};
        std::vector<fixtures::MachineFault> faults{};
    };

    void MakeMachine(const Machine& m)
    {
        image = dir.File("disk.img");
        if (!std::filesystem::exists(image)) fixtures::CreateBlankImage(image, m.sectors);
        fixtures::InstallOneDriveMachine(dir, {0, image, m.media, m.geometry}, m.faults, m.letters);
    }

    // A removable device of exactly `sectors` sectors (100 cylinders).
    void MakeRemovable(std::uint32_t sectors, const std::vector<fixtures::MachineFault>& faults = {})
    {
        MakeMachine({.sectors = sectors,
                     .media = fixtures::kMediaRemovable,
                     .geometry = fixtures::ExactGeometry(sectors, 16, sectors / 1600),
                     .faults = faults});
    }

    // What the drive list's choice of drive 0 leaves: its record and sector 0.
    void ChooseDrive0()
    {
        state.SelectedDrive = 0;
        ASSERT_TRUE(d_api::GetDriveParams(0, state.DriveParams));
    }

    void PutFat32Volume(std::uint32_t start, const fixtures::Sector& firstFatSector = Fat32Start)
    {
        Put(start + SparseFat32::Reserved, firstFatSector);
        Put(start + SparseFat32::Reserved + SparseFat32::FatSize, Fat32Start);
        Put(start + SparseFat32::DirOffset, DirectoryStart(14100));
    }

    void PutFat16Volume(std::uint32_t start)
    {
        Put(start + SparseFat16::Reserved, Fat16Start);
        Put(start + SparseFat16::Reserved + SparseFat16::FatSize, Fat16Start);
        Put(start + SparseFat16::DirOffset, DirectoryStart(1000));
    }

    void PutTable(std::uint64_t sector, const std::vector<fixtures::TableEntry>& entries)
    {
        fixtures::WritePartitionTable(image, sector, entries);
    }

    // An intact boot sector at `start` whose reserved count leads to a FAT start.
    void PutIntactBootSector(std::uint32_t start)
    {
        Put(start, BootSector(boot_sector::Fat32JumpDistance, 32));
        Put(start + 32, Fat32Start);
    }

    static std::string Message(const char* text) { return std::string("message: ") + text; }
    bool Wrote(std::uint32_t sector) const
    {
        const fixtures::Sector written = Get(sector);
        return written[boot_sector::JumpAt] == boot_sector::ShortJump &&
               platform::Le16(written, boot_sector::SignatureAt) == boot_sector::Signature;
    }

    RepairCommands volmender{state, host, VolmenderRoads};
    RepairCommands fat32Only{state, host, Fat32OnlyRoads};
};

}  // namespace repair::testing
