#include "repair/repair_commands.h"

#include "repair/drive_choice.h"
#include "repair/drive_extent.h"
#include "repair/fat_type_probe.h"
#include "repair/layout_evidence.h"
#include "repair/layout_facts.h"
#include "repair/one_box_per_failed_sector.h"
#include "repair/partition_volume.h"
#include "repair/partitioned_stick.h"
#include "repair/repair_texts.h"
#include "repair/sector_backup.h"
#include "repair/volume_placement.h"

namespace repair {

namespace {

d_api::TDiskDetail WalkPartitions(std::uint8_t drive)
{
    d_api::TDiskDetail detail;
    d_api::ReadPartitionList(drive, detail);
    return detail;
}

}  // namespace

// The layout values and buffers are shared by every step of a repair, and the
// analysis lets the window dispatch input between sectors: a second repair
// started from there would work over the first one's values. Its reads go
// through the state's reader from start to end.
class RepairCommands::RunningScope {
public:
    explicit RunningScope(RepairCommands& commands) : running_(commands.running_), reader_(commands.state_.Reader)
    {
        running_ = true;
        reader_.Begin(commands.state_.Drive(), commands.host_);
    }
    ~RunningScope()
    {
        reader_.End();
        running_ = false;
    }
    RunningScope(const RunningScope&) = delete;
    RunningScope& operator=(const RunningScope&) = delete;

private:
    bool& running_;
    DriveReader& reader_;
};

RepairCommands::RepairCommands(RepairState& state, RepairHost& host, const RoadsProfile& profile)
    : state_(state), host_(host), profile_(profile), writer_(state)
{
}

std::optional<std::vector<PartitionMenuEntry>> RepairCommands::RepairButton(const DriveListChoice& choice)
{
    if (running_) return std::nullopt;
    if (state_.DriveParams.flags & d_api::RemovableFlag) {
        RepairRemovable();
        return std::nullopt;
    }

    // Only the lines of the list have a drive number behind them.
    const bool lineChosen = choice.chosenLine >= 0 && choice.chosenLine < choice.lineCount &&
                            static_cast<std::size_t>(choice.chosenLine) < state_.DriveNumbers.size();
    if (lineChosen) {
        ChooseDrive(state_, static_cast<std::size_t>(choice.chosenLine));
    } else if (choice.driveChosenBefore) {
        SelectDrive(state_, state_.SelectedDrive);
    } else {
        return std::nullopt;
    }
    // The menu reads the partition tables again for every field of every
    // item: a table that cannot be read shows its box once, not at every walk.
    const OneBoxPerFailedSector boxes(host_);
    // The first sector of the drive, as a pick from the list reads it.
    ReadSectorAt(state_, host_, state_.CurSector);
    return BuildPartitionMenuEntries(state_.Drive());
}

void RepairCommands::PartitionClick(int tag)
{
    if (running_) return;
    const int k = tag & 0xFF;
    if (k < 1 || k > LastPartitionNumber) return;
    RunningScope scope(*this);
    selectedPartition_ = static_cast<std::uint8_t>(k);
    RepairPartition(k);
}

void RepairCommands::RepairRemovable()
{
    RunningScope scope(*this);
    // The device's exact length, not the geometry's whole cylinders, which
    // would cut off the volume's last clusters.
    if (!LearnDriveLength(state_, host_)) return;
    const std::optional<std::uint32_t> sectors = WholeDriveVolumeSectors(*state_.Reader.DriveSectors);
    if (!sectors) {
        Refuse(texts::PartitionOutOfReach);
        return;
    }
    VolumeLayout& layout = state_.Layout;
    layout.VolumeStart = 0;
    layout.VolumeSectors = *sectors;

    Analysis analysis(state_, host_, *profile_.analysis);
    // A device that still carries a working boot sector needs no new one; what
    // is wrong with it lies elsewhere, most likely in a partition table. Nor
    // does a stick whose partition table leads to one; a boot sector written
    // at sector 0 would wipe that table.
    const bool intact = analysis.FindBootSector() ||
                        (!analysis.Stopped() && PartitionTableLeadsToAnIntactBootSector(analysis, state_));
    if (EndedByStop()) return;
    if (intact) {
        Refuse(texts::RemovableRefused);
        return;
    }
    BackUpAnalyseAndWrite(analysis);
}

void RepairCommands::RepairPartition(int k)
{
    const std::optional<std::uint32_t> start = PartitionVolumeStart(WalkPartitions(state_.Drive()), k);
    const std::optional<std::uint32_t> sectors = PartitionVolumeSectors(WalkPartitions(state_.Drive()), k);
    if (EndedByStop()) return;
    if (!start || !sectors) {
        Refuse(texts::PartitionOutOfReach);
        return;
    }
    if (!LearnDriveLength(state_, host_)) return;
    state_.Layout.VolumeStart = *start;
    state_.Layout.VolumeSectors = *sectors;

    Analysis analysis(state_, host_, *profile_.analysis);
    const bool intact = analysis.FindBootSector();
    if (EndedByStop()) return;
    if (intact) {
        Refuse(texts::PartitionRefused);
        return;
    }
    const bool admitted = PartitionTypeAdmitted(k);
    if (EndedByStop()) return;
    if (!admitted) {
        Refuse(profile_.typeRefusal);
        return;
    }
    if (!PartitionLiesAfterItsTableAndOnTheDrive(WalkPartitions(state_.Drive()), k, *state_.Reader.DriveSectors)) {
        Refuse(texts::PartitionRefused);
        return;
    }
    BackUpAnalyseAndWrite(analysis);
}

// The type name only admits or refuses the partition; the image written
// follows what the analysis finds on the disk.
bool RepairCommands::PartitionTypeAdmitted(int k) const
{
    for (const std::string_view admitted : profile_.admittedTypes)
        if (WalkPartitions(state_.Drive()).Names[k] == admitted) return true;
    return false;
}

void RepairCommands::BackUpAnalyseAndWrite(Analysis& analysis)
{
    // A backup that could not be written must not be followed by the write
    // it was meant to secure; the user has read why.
    if (profile_.backsUpSector && BackupSector(state_, host_, state_.Layout.VolumeStart) == BackupOutcome::Failed)
        return;
    if (EndedByStop()) return;

    if (!analysis.AnalyseFat()) {
        if (!EndedByStop()) host_.HideBusyPanel();
        return;
    }
    if (profile_.decidesFatType) ProbeFatType(analysis, state_.Layout);
    // The drive's exact length, or the partition's end, is where the volume
    // may end at the most: a formatter rounds its volume down (mkfs.fat to a
    // whole track, with a FAT sized for what is left), and declaring clusters
    // past the last one its FAT maps would make a volume that no system
    // accepts. The layout found gives that cluster; the directory search ran
    // over the whole length.
    EndAtTheLastClusterItsFatMaps(state_.Layout, WritesFat32Image());
    // The layout checks read the disk too; nothing is written once the
    // repair was stopped, whatever they concluded.
    const bool mayBeWritten = LayoutMayBeWritten();
    if (EndedByStop()) return;
    // A program that writes only the FAT32 boot sector puts it only over a
    // volume whose FAT copies start as FAT32 ones: not where one of them says
    // FAT16 (F8 FF FF FF).
    if (!profile_.decidesFatType && analysis.FatStartSignature() != FatStartKind::Fat32) {
        EndWith(profile_.typeRefusal);
        return;
    }
    if (!mayBeWritten) {
        EndWith(texts::FileSystemDamaged);
        return;
    }
    EndWith(WriteBootSector() ? texts::Repaired : texts::WriteFailed);
}

// The boot sector must describe a possible FAT volume, and the disk must
// confirm the layout where the analysis had no direct evidence for it.
bool RepairCommands::LayoutMayBeWritten() const
{
    return !BrokenFatVolumeFact(state_, WritesFat32Image()) && LayoutConfirmedByDisk(state_, WritesFat32Image());
}

bool RepairCommands::WritesFat32Image() const
{
    return !profile_.decidesFatType || state_.Layout.FatType == "FAT32";
}

bool RepairCommands::WriteBootSector()
{
    const VolumeLayout& layout = state_.Layout;
    const auto sectorsPerCluster = static_cast<std::uint8_t>(layout.SectorsPerCluster);
    const auto reservedSectors = static_cast<std::uint16_t>(layout.ReservedSectors);
    if (WritesFat32Image())
        return writer_.WriteFat32BootSector(sectorsPerCluster, reservedSectors, layout.VolumeSectors,
                                            layout.SectorsPerFat);
    return writer_.WriteFat16BootSector(sectorsPerCluster, reservedSectors, layout.VolumeSectors,
                                        layout.SectorsPerFat);
}

void RepairCommands::EndWith(const char* message)
{
    host_.HideBusyPanel();
    host_.ShowMessage(state_.Reader.Run().LastMessage(message));
}

void RepairCommands::Refuse(const char* message)
{
    host_.ShowMessage(state_.Reader.Run().LastMessage(message));
}

// A drive that can no longer be opened is told as the failed read it is; a
// closed window has nobody left to tell.
bool RepairCommands::EndedByStop()
{
    switch (state_.Reader.Run().StopReason()) {
    case RepairStop::None: return false;
    case RepairStop::DriveGone:
        host_.HideBusyPanel();
        host_.ShowInformation(state_.Reader.Run().LastMessage(texts::ReadError));
        return true;
    case RepairStop::WindowClosed: host_.HideBusyPanel(); return true;
    }
    return true;
}

void RepairCommands::Stop(RepairStop reason)
{
    if (running_) state_.Reader.Stop(reason);
}

}  // namespace repair
