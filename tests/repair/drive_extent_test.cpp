// Reads of a repair stay on the drive and within 32-bit sector numbers.

#include "machine_fixture.h"
#include "repair/drive_reader.h"

namespace repair {
namespace {

class DriveExtent : public testing::MachineTest {};

// On a drive longer than 32-bit sector numbers reach, a sector past them is
// not read, and above all not as the sector its low 32 bits name.
TEST_F(DriveExtent, NoSectorPastTheLast32BitNumberIsRead)
{
    constexpr std::uint64_t past = std::uint64_t{1} << 32;
    MakeDisk(past + 8);
    Put(5, testing::SectorBeginning({0x42}));
    state.SelectedDrive = 0;
    state.Reader.DriveSectors = past + 8;
    fixtures::Sector buffer{};
    buffer.fill(0x99);
    EXPECT_FALSE(state.Reader.ReadSector(past + 5, buffer));
    EXPECT_EQ(buffer, fixtures::Sector{});
}

}  // namespace
}  // namespace repair
