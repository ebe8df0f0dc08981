// Times whole repairs through the host's own disk path, on a loop device,
// against the same image as the drive of a described machine, interleaved in
// one run, and prints what each path costs:
//
//   SIZE host path / image path: H s / I s, ratio R   medians of whole repairs,
//                                                     every transfer and the
//                                                     last close included
//   host system calls per transfer: S                 counted by strace -f -c,
//                                                     over the handles a whole
//                                                     repair opens (one per
//                                                     transfer or query)
//   image path overhead per transfer: O us            a one-sector read through
//                                                     the disk layer less a bare
//                                                     pread of the same sector,
//                                                     on the sectors of a FAT
//                                                     search; then the same for
//                                                     sectors apart, each read
//                                                     fetched on its own
//   host path: ok | short                             ok when every R <= 1.5,
//                                                     S <= 1.5 and O <= 0.5
//
// The disks are sparse images of 2 GiB and 16 GiB, each with one FAT32
// partition at sector 2,048, its directories about 8 % into the volume, and its
// boot sector destroyed (put back into that state before every repair). The
// page cache of the images stays warm. Needs root, loop devices and strace;
// without them it says why and measures what it can.
//
//   bench_host_path [--rounds N]
//   bench_host_path --count IMAGE REPAIRS   (the repairs strace counts)

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "fixtures/boot_sector_damage.h"
#include "fixtures/command.h"
#include "fixtures/described_machine.h"
#include "fixtures/disk_image.h"
#include "fixtures/fat_volume.h"
#include "fixtures/host_drive.h"
#include "fixtures/loop_device.h"
#include "fixtures/partitioning.h"
#include "fixtures/temp_dir.h"
#include "fixtures/volume_filler.h"
#include "platform/machine_selection.h"
#include "platform/win32.h"
#include "quiet_host.h"
#include "repair/repair_commands.h"
#include "repair/repair_texts.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint64_t PartitionStart = 2048;
constexpr double MaxTimeRatio = 1.5;
constexpr double MaxCallsPerTransfer = 1.5;
constexpr double MaxOverheadMicroseconds = 0.5;
constexpr std::uint32_t FatSearchSectors = 20001;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Disk {
    std::string label;
    std::string image;
    fixtures::Sector damaged{};  // the volume's first sector as the accident left it
};

Disk MakeDamagedDisk(const fixtures::TempDir& dir, unsigned gibibytes)
{
    const std::uint64_t diskSectors = (std::uint64_t{gibibytes} << 30) / 512;
    const std::uint64_t volumeSectors = diskSectors - 2 * PartitionStart;
    Disk disk{std::to_string(gibibytes) + " GiB", dir.File("disk-" + std::to_string(gibibytes) + "g.img")};
    std::printf("making a %s disk, FAT32 at sector %llu, directories 8 %% in ...\n", disk.label.c_str(),
                static_cast<unsigned long long>(PartitionStart));
    fixtures::CreatePartitionedDisk(disk.image, {.diskSectors = diskSectors,
                                                 .primaries = {{PartitionStart, volumeSectors,
                                                                fixtures::kTypeFat32Lba}}});
    const fixtures::VolumeLocation volume{disk.image, PartitionStart};
    fixtures::MakeFatVolume(volume, {.type = fixtures::FatType::Fat32, .sectors = volumeSectors});
    fixtures::FillVolume(volume, {.depth = 2, .directoriesPerLevel = 2, .filesPerDirectory = 1,
                                  .directoriesAfter = 0.08});
    fixtures::DestroyBootSector(volume, fixtures::BootDamage::WithFat32Copies);
    fixtures::MarkFirstSector(disk.image);
    disk.damaged = fixtures::ReadSector(disk.image, PartitionStart);
    return disk;
}

// Puts the destroyed boot sector back, so that every repair has the same work.
void Damage(const Disk& disk)
{
    fixtures::WriteSector(disk.image, PartitionStart, disk.damaged);
    const int fd = ::open(disk.image.c_str(), O_RDONLY | O_CLOEXEC);
    ::fdatasync(fd);
    ::close(fd);
}

// One whole repair of partition 1 of `drive` on the current machine, which is
// then let go, so that its last close is timed too. False when it was not
// repaired.
bool Repair(std::uint8_t drive, bool hostAfterwards, double& seconds)
{
    bench::QuietHost host;
    const auto start = Clock::now();
    bool repaired = false;
    {
        repair::RepairState state;
        repair::RepairCommands commands{state, host, repair::VolmenderRoads};
        state.DriveNumbers[0] = drive;
        const auto menu = commands.RepairButton({0, 1, false});
        if (menu && !menu->empty()) {
            host.messages.clear();
            commands.PartitionClick(menu->back().number);
            repaired = !host.messages.empty() && host.messages.back() == repair::texts::Repaired;
        }
    }
    if (hostAfterwards) platform::UseMachineFromEnvironment();
    seconds = Seconds(Clock::now() - start);
    return repaired;
}

// The handles the Win32 calls have opened so far on the current machine,
// whose drive 0 must open: every transfer opens one, and so does every query.
// A new handle is numbered 4 above the one before, as on Windows.
std::uint64_t HandlesSoFar()
{
    const win32::HANDLE handle =
        win32::CreateFileA(d_api::DeviceName(0).c_str(), 0, 0, nullptr, win32::OPEN_EXISTING, 0, nullptr);
    win32::CloseHandle(handle);
    return reinterpret_cast<std::uintptr_t>(handle) / 4;
}

// The system calls of `repairs` whole host repairs of `image` in a child
// process under strace, with everything around them; nothing without strace.
std::optional<std::uint64_t> CountedCalls(const std::string& self, const Disk& disk, int repairs,
                                          const std::string& output)
{
    Damage(disk);
    try {
        fixtures::RunCommandOrThrow({"strace", "-f", "-c", "-o", output, "--", self, "--count", disk.image,
                                     std::to_string(repairs)});
    } catch (const std::exception& error) {
        std::printf("counting failed: %s\n", error.what());
        return std::nullopt;
    }
    std::ifstream in(output);
    std::optional<std::uint64_t> total;
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::vector<std::string> words;
        for (std::string word; fields >> word;) words.push_back(word);
        if (words.size() >= 4 && words.back() == "total") total = std::stoull(words[3]);
    }
    return total;
}

int CountMode(const std::string& image, int repairs)
{
    Disk disk{"", image, fixtures::ReadSector(image, PartitionStart)};
    const std::optional<std::uint8_t> drive = fixtures::HostDriveHolding(image);
    if (!drive) return 1;
    for (int i = 0; i < repairs; ++i) {
        Damage(disk);
        platform::UseMachineFromEnvironment();
        double seconds = 0;
        if (!Repair(*drive, true, seconds)) return 2;
    }
    return 0;
}

// What the platform adds to a one-sector read of a described drive: the
// open, the positioning, the read and the close, over a bare pread of the
// same sector. The sectors read lie `step` sectors apart.
double OverheadPerTransfer(const fixtures::TempDir& dir, const Disk& disk, std::uint32_t step)
{
    fixtures::DescribedMachine described;
    described.drives.push_back({0, disk.image});
    fixtures::WriteMachineFile(dir.File("overhead.txt"), described);
    platform::UseDescribedMachine(dir.File("overhead.txt"));
    std::vector<std::uint8_t> sector(512);
    const int fd = ::open(disk.image.c_str(), O_RDONLY | O_CLOEXEC);
    std::vector<double> overheads;
    for (int round = 0; round < 5; ++round) {
        auto start = Clock::now();
        for (std::uint32_t s = 0; s < FatSearchSectors; ++s)
            d_api::ReadSectors(0, static_cast<std::uint32_t>(PartitionStart) + s * step, 1, sector.data());
        const double throughLayer = Seconds(Clock::now() - start);
        start = Clock::now();
        for (std::uint32_t s = 0; s < FatSearchSectors; ++s)
            if (::pread(fd, sector.data(), 512, static_cast<off_t>((PartitionStart + s * step) * 512)) != 512) break;
        const double bare = Seconds(Clock::now() - start);
        overheads.push_back((throughLayer - bare) / FatSearchSectors * 1e6);
    }
    ::close(fd);
    platform::UseMachineFromEnvironment();
    return Median(overheads);
}

}  // namespace

int main(int argc, char** argv)
{
    // The host path is what is measured, whatever the environment names.
    ::unsetenv("VOLMENDER_MACHINE");
    d_api::DApiInit(d_api::DApiFlavour::Volmender, nullptr);
    if (argc == 4 && std::string(argv[1]) == "--count") return CountMode(argv[2], std::atoi(argv[3]));
    int rounds = 3;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--rounds") rounds = std::max(1, std::atoi(argv[++i]));

    if (std::string why = fixtures::LoopDevicesUnavailable(); !why.empty()) {
        std::printf("nothing measured: %s\n", why.c_str());
        return 0;
    }
    fixtures::TempDir dir;
    std::vector<Disk> disks{MakeDamagedDisk(dir, 2), MakeDamagedDisk(dir, 16)};
    std::vector<std::unique_ptr<fixtures::LoopDevice>> loops;
    std::map<std::string, std::vector<double>> hostTimes, imageTimes;
    std::uint64_t transfers = 0;
    bool allRepaired = true;
    for (const Disk& disk : disks) {
        loops.push_back(std::make_unique<fixtures::LoopDevice>(disk.image));
        fixtures::DescribedMachine described;
        described.drives.push_back({0, disk.image});
        fixtures::WriteMachineFile(disk.image + ".machine", described);
    }
    // Round 0 warms the page cache and is not counted.
    for (int round = 0; round <= rounds; ++round)
        for (const Disk& disk : disks) {
            double seconds = 0;
            Damage(disk);
            platform::UseMachineFromEnvironment();
            const std::optional<std::uint8_t> drive = fixtures::HostDriveHolding(disk.image);
            allRepaired = drive && Repair(*drive, true, seconds) && allRepaired;
            if (round) hostTimes[disk.label].push_back(seconds);

            Damage(disk);
            platform::UseDescribedMachine(disk.image + ".machine");
            const std::uint64_t before = HandlesSoFar();
            allRepaired = Repair(0, false, seconds) && allRepaired;
            if (round == 1 && &disk == &disks.front()) transfers = HandlesSoFar() - before - 1;
            platform::UseMachineFromEnvironment();
            if (round) imageTimes[disk.label].push_back(seconds);
        }

    bool ok = allRepaired;
    if (!allRepaired) std::printf("a repair did not end repaired\n");
    for (const Disk& disk : disks) {
        const double onHost = Median(hostTimes[disk.label]), onImage = Median(imageTimes[disk.label]);
        std::printf("%s host path / image path: %.3f s / %.3f s, ratio %.2f (medians of %d)\n", disk.label.c_str(),
                    onHost, onImage, onHost / onImage, rounds);
        ok = ok && onHost / onImage <= MaxTimeRatio;
    }
    std::printf("transfers and queries per repair (%s): %llu\n", disks.front().label.c_str(),
                static_cast<unsigned long long>(transfers));

    const std::string self = "/proc/" + std::to_string(::getpid()) + "/exe";
    const auto one = CountedCalls(self, disks.front(), 1, dir.File("strace-1.txt"));
    const auto two = CountedCalls(self, disks.front(), 2, dir.File("strace-2.txt"));
    if (one && two && *two > *one && transfers) {
        const double callsPerTransfer = static_cast<double>(*two - *one) / static_cast<double>(transfers);
        std::printf("host system calls per transfer: %.2f (%llu in a whole repair)\n", callsPerTransfer,
                    static_cast<unsigned long long>(*two - *one));
        ok = ok && callsPerTransfer <= MaxCallsPerTransfer;
    } else {
        std::printf("host system calls per transfer: not counted (strace is missing or failed)\n");
        ok = false;
    }

    const double inRun = OverheadPerTransfer(dir, disks.front(), 1);
    const double apart = OverheadPerTransfer(dir, disks.front(), 2);
    std::printf("image path overhead per transfer: %.2f us (sectors apart: %.2f us)\n", inRun, apart);
    ok = ok && inRun <= MaxOverheadMicroseconds;
    std::printf("host path: %s\n", ok ? "ok" : "short");
    return 0;
}
