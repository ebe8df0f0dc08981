#pragma once
// A test that runs the repair code on a described machine: one drive backed by
// a sparse image, with sectors placed where a case needs them.

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "fixtures/disk_image.h"
#include "fixtures/test_machine.h"
#include "platform/machine_selection.h"
#include "recording_host.h"
#include "platform/little_endian.h"
#include "repair/analysis.h"
#include "repair/boot_sector_layout.h"
#include "repair/directory_entry_layout.h"
#include "repair/repair_state.h"

namespace repair::testing {

inline fixtures::Sector SectorBeginning(std::initializer_list<std::uint8_t> bytes)
{
    fixtures::Sector sector{};
    std::copy(bytes.begin(), bytes.end(), sector.begin());
    return sector;
}

inline const fixtures::Sector Fat32Start = SectorBeginning({0xF8, 0xFF, 0xFF, 0x0F, 0xFF, 0xFF, 0xFF, 0x0F});
inline const fixtures::Sector Fat16Start = SectorBeginning({0xF8, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});

// The first sector of a subdirectory whose "." entry names `cluster`.
inline fixtures::Sector DirectoryStart(std::uint32_t cluster)
{
    constexpr std::size_t dotDot = dir_entry::Bytes;
    fixtures::Sector sector{};
    std::memcpy(sector.data() + dir_entry::NameAt, ".          ", dir_entry::NameBytes + dir_entry::ExtensionBytes);
    sector[dir_entry::AttributesAt] = dir_entry::Directory;
    platform::PutLe16(sector, dir_entry::ClusterHighAt, static_cast<std::uint16_t>(cluster >> 16));
    platform::PutLe16(sector, dir_entry::ClusterLowAt, static_cast<std::uint16_t>(cluster));
    std::memcpy(sector.data() + dotDot + dir_entry::NameAt, "..         ",
                dir_entry::NameBytes + dir_entry::ExtensionBytes);
    sector[dotDot + dir_entry::AttributesAt] = dir_entry::Directory;
    return sector;
}

// A boot sector with the given jump distance and reserved-sector count.
inline fixtures::Sector BootSector(std::uint8_t jump, std::uint16_t reserved)
{
    namespace bs = boot_sector;
    fixtures::Sector sector = SectorBeginning({bs::ShortJump, jump, bs::NoOperation});
    platform::PutLe16(sector, bs::ReservedSectorsAt, reserved);
    platform::PutLe16(sector, bs::SignatureAt, bs::Signature);
    return sector;
}

class MachineTest : public ::testing::Test {
protected:
    ~MachineTest() override { platform::UseMachineFromEnvironment(); }

    // Drive 0 of the machine: a sparse image of `sectors` sectors.
    void MakeDisk(std::uint64_t sectors, const std::vector<fixtures::MachineFault>& faults = {})
    {
        image = dir.File("disk.img");
        fixtures::CreateBlankImage(image, sectors);
        UseMachine(faults);
    }

    void UseMachine(const std::vector<fixtures::MachineFault>& faults = {})
    {
        fixtures::InstallOneDriveMachine(dir, {0, image}, faults);
    }

    void Put(std::uint64_t sector, const fixtures::Sector& content) { fixtures::WriteSector(image, sector, content); }
    fixtures::Sector Get(std::uint64_t sector) const { return fixtures::ReadSector(image, sector); }

    void SetVolume(std::uint32_t start, std::uint32_t sectors)
    {
        state.Layout.VolumeStart = start;
        state.Layout.VolumeSectors = sectors;
    }

    // Runs one step of a fresh analysis (`&Analysis::FindFats` ...) on the
    // state and host set up, as `profile` has it, and returns what it answers.
    template <typename Answer>
    Answer RunAnalysis(Answer (Analysis::*step)(), const AnalysisProfile& profile)
    {
        Analysis analysis(state, host, profile);
        return (analysis.*step)();
    }

    fixtures::TempDir dir;
    std::string image;
    RepairState state;
    RecordingHost host;
};

}  // namespace repair::testing
