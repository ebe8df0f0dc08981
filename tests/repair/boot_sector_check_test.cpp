// The check for a boot sector that is still intact near the volume start, and
// the FAT-type decision, on described machines.

#include "machine_fixture.h"
#include "fixtures/test_machine.h"

namespace repair {
namespace {

using testing::BootSector;
using testing::Fat32Start;
using testing::MachineTest;
using testing::SectorBeginning;

class BootSectorCheck : public MachineTest {
protected:
    bool Check(const AnalysisProfile& profile = VolmenderProfile)
    {
        return RunAnalysis(&Analysis::FindBootSector, profile);
    }
};

TEST_F(BootSectorCheck, IntactBootSectorLeadingToAFat)
{
    MakeDisk(4000);
    SetVolume(0, 4000);
    Put(0, BootSector(0x58, 32));
    EXPECT_FALSE(Check());
    Put(32, Fat32Start);
    EXPECT_TRUE(Check());
    EXPECT_TRUE(host.events.empty());
    EXPECT_EQ(host.messagesProcessed, 0);
}

TEST_F(BootSectorCheck, CopiesFurtherOnCountUpToOffset512)
{
    MakeDisk(4000);
    SetVolume(0, 4000);
    Put(6, BootSector(0x58, 32));  // probes 38, where no FAT starts
    EXPECT_FALSE(Check());

    Put(513, BootSector(0x58, 1));
    Put(514, Fat32Start);
    EXPECT_FALSE(Check());
    Put(512, BootSector(0x58, 2));
    EXPECT_TRUE(Check());
}

TEST_F(BootSectorCheck, Fat32OnlyProgramIgnoresTheFat16Jump)
{
    MakeDisk(110000);
    SetVolume(100063, 5000);
    Put(100063, BootSector(0x3C, 32));
    Put(100095, Fat32Start);
    EXPECT_TRUE(Check(VolmenderProfile));
    EXPECT_FALSE(Check(Fat32OnlyProfile));
    Put(100063, BootSector(0x58, 32));
    EXPECT_TRUE(Check(Fat32OnlyProfile));
}

TEST_F(BootSectorCheck, ReservedCountPastTheLastSectorNumberLeadsNowhere)
{
    MakeDisk(std::uint64_t{1} << 32);
    SetVolume(0xFFFFFFFFu - 600, 600);
    Put(0xFFFFFFFFu - 100, BootSector(0x58, 0xFFFF));  // would wrap to sector 65,434
    Put(65434, Fat32Start);
    EXPECT_FALSE(Check());
}

// The 513 sectors would run past the last sector number: none is examined,
// so none is read round from sector 0, whose failed read would show its box.
TEST_F(BootSectorCheck, VolumeWhoseSectorsRunPastTheLastNumberIsNotScanned)
{
    fixtures::MessageBoxRecorder boxes;
    MakeDisk(std::uint64_t{1} << 32, {fixtures::MachineFault::ReadError(0, 0, 23)});
    SetVolume(0xFFFFFFFFu - 100, 100);
    EXPECT_FALSE(Check());
    EXPECT_TRUE(boxes.Boxes().empty());
}

class FatType : public MachineTest {
protected:
    // Writes `words` little-endian at the start of sector 100 and decides.
    bool Decide(std::initializer_list<std::uint16_t> words)
    {
        fixtures::Sector sector{};
        std::size_t at = 0;
        for (std::uint16_t w : words) {
            fixtures::WriteLe16(sector.data() + at, w);
            at += 2;
        }
        Put(100, sector);
        Analysis analysis(state, host, VolmenderProfile);
        return analysis.DetectFatType(100);
    }
};

TEST_F(FatType, FirstOrdinaryLinkDecides)
{
    MakeDisk(200);
    EXPECT_TRUE(Decide({0xFFF8, 0x0FFF, 0xFFFF, 0x0FFF, 0xFFFF, 0x0FFF, 0x0003, 0x0000}));
    EXPECT_EQ(state.Layout.FatType, "FAT32");
    EXPECT_TRUE(Decide({0xFFF8, 0xFFFF, 0x0003, 0x0004}));
    EXPECT_EQ(state.Layout.FatType, "FAT16");
    EXPECT_TRUE(Decide({0xFFF8, 0xFFFF, 0x0005, 0x0000}));
    EXPECT_EQ(state.Layout.FatType, "FAT32");
    EXPECT_TRUE(Decide({0xFFF8, 0xFFFF, 0xFFF0, 0xFFFF}));  // 0xFFF0 is an ordinary link
    EXPECT_EQ(state.Layout.FatType, "FAT16");
}

TEST_F(FatType, NothingDecidedKeepsTheEarlierType)
{
    MakeDisk(200);
    state.Layout.FatType = "FAT32";
    EXPECT_FALSE(Decide({}));
    EXPECT_FALSE(Decide({0xEFFF, 0x0FFF, 0xFFF1, 0xFFFF}));
    EXPECT_EQ(state.Layout.FatType, "FAT32");
}

TEST_F(FatType, ThirtySecondWordLooksAtBytes64And65)
{
    MakeDisk(200);
    std::vector<std::uint16_t> words(31, 0xFFFF);
    fixtures::Sector sector{};
    for (std::size_t i = 0; i < words.size(); ++i) fixtures::WriteLe16(sector.data() + 2 * i, words[i]);
    fixtures::WriteLe16(sector.data() + 62, 0x0007);
    fixtures::WriteLe16(sector.data() + 64, 0x0008);
    Put(100, sector);
    Analysis analysis(state, host, VolmenderProfile);
    EXPECT_TRUE(analysis.DetectFatType(100));
    EXPECT_EQ(state.Layout.FatType, "FAT16");

    fixtures::WriteLe16(sector.data() + 62, 0xFFFF);  // 32 skipped words: word 33 is not read
    Put(100, sector);
    EXPECT_FALSE(analysis.DetectFatType(100));
}

}  // namespace
}  // namespace repair
