// Times the whole on-disk analysis of a damaged disk through the host's own
// disk path, on a loop device, against the same image as the drive of a
// described machine, and counts what each path costs:
//
//   host/image time ratio: R      host-path time over image-path time (medians)
//   device/requested sectors: D   what reached the loop device over what the
//                                 analysis asked for, on the host path
//   system calls per transfer: S  on the image path
//   host path: ok | short         ok when R <= 1.5, D <= 1.1 and S <= 1.5
//
// The disk is a 2 GiB image with one FAT32 partition at sector 2,048, its
// directories 5 % into the volume and its boot sector destroyed. The page
// cache of the image and of the loop device is dropped before every run.
// Needs root and loop devices (and tracepoints to count system calls);
// without them it says why and measures nothing.
//
//   bench_host_path [--rounds N]

#include <fcntl.h>
#include <linux/fs.h>
#include <linux/perf_event.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "fixtures/boot_sector_damage.h"
#include "fixtures/described_machine.h"
#include "fixtures/fat_volume.h"
#include "fixtures/host_drive.h"
#include "fixtures/loop_device.h"
#include "fixtures/partitioning.h"
#include "fixtures/temp_dir.h"
#include "fixtures/volume_filler.h"
#include "platform/machine_selection.h"
#include "quiet_host.h"
#include "repair/analysis.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint64_t DiskSectors = (std::uint64_t{2} << 30) / 512;
constexpr std::uint64_t PartitionStart = 2048;
constexpr std::uint64_t VolumeSectors = DiskSectors - 2 * PartitionStart;
constexpr double MaxTimeRatio = 1.5;
constexpr double MaxDeviceRatio = 1.1;
constexpr double MaxCallsPerTransfer = 1.5;

// Counts one kernel tracepoint for this thread while enabled.
class TracepointCounter {
public:
    // Empty when the tracepoint cannot be counted here.
    static std::optional<TracepointCounter> Open(const std::string& event)
    {
        for (const char* root : {"/sys/kernel/tracing/events/", "/sys/kernel/debug/tracing/events/"}) {
            std::uint64_t id = 0;
            if (!(std::ifstream(root + event + "/id") >> id)) continue;
            perf_event_attr attr{};
            attr.size = sizeof attr;
            attr.type = PERF_TYPE_TRACEPOINT;
            attr.config = id;
            attr.disabled = 1;
            int fd = static_cast<int>(::syscall(SYS_perf_event_open, &attr, 0, -1, -1, 0));
            if (fd >= 0) return TracepointCounter(fd);
        }
        return std::nullopt;
    }

    void Start() const
    {
        ::ioctl(fd_, PERF_EVENT_IOC_RESET, 0);
        ::ioctl(fd_, PERF_EVENT_IOC_ENABLE, 0);
    }
    std::uint64_t Stop() const
    {
        ::ioctl(fd_, PERF_EVENT_IOC_DISABLE, 0);
        std::uint64_t count = 0;
        return ::read(fd_, &count, sizeof count) == sizeof count ? count : 0;
    }

private:
    explicit TracepointCounter(int fd) : fd_(fd) {}
    int fd_;  // kept for the whole run
};

std::uint64_t NumberAfter(const std::string& file, const std::string& label)
{
    std::ifstream in(file);
    for (std::string word; in >> word;)
        if (word == label) {
            std::uint64_t value = 0;
            in >> value;
            return value;
        }
    return 0;
}

// Bytes this process got from read system calls ("rchar").
std::uint64_t BytesReadByProcess() { return NumberAfter("/proc/self/io", "rchar:"); }

// Sectors read from the device (the third field of its stat file).
std::uint64_t SectorsReadFromDevice(const std::string& name)
{
    std::ifstream in("/sys/block/" + name + "/stat");
    std::uint64_t reads = 0, merged = 0, sectors = 0;
    in >> reads >> merged >> sectors;
    return sectors;
}

// The image's own cache and the loop device's are both dropped: the loop
// device reads through the image's.
void DropCaches(const std::string& image, const std::string& node)
{
    int fd = ::open(image.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::fdatasync(fd);
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
    fd = ::open(node.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::ioctl(fd, BLKFLSBUF, 0);
        ::close(fd);
    }
}

std::string MakeDamagedDisk(const fixtures::TempDir& dir)
{
    const std::string image = dir.File("disk-2g.img");
    std::printf("making a 2 GiB disk, FAT32 at sector %llu, directories 5 %% in ...\n",
                static_cast<unsigned long long>(PartitionStart));
    fixtures::CreatePartitionedDisk(image, {.diskSectors = DiskSectors,
                                            .primaries = {{PartitionStart, VolumeSectors, fixtures::kTypeFat32Lba}}});
    const fixtures::VolumeLocation volume{image, PartitionStart};
    fixtures::MakeFatVolume(volume, {.type = fixtures::FatType::Fat32, .sectors = VolumeSectors});
    fixtures::FillVolume(volume, {.depth = 2, .directoriesPerLevel = 2, .filesPerDirectory = 1,
                                  .directoriesAfter = 0.05});
    fixtures::DestroyBootSector(volume, fixtures::BootDamage::WithFat32Copies);
    fixtures::MarkFirstSector(image);
    return image;
}

double Analyse(std::uint8_t drive)
{
    repair::RepairState state;
    state.SelectedDrive = drive;
    state.Layout.VolumeStart = PartitionStart;
    state.Layout.VolumeSectors = VolumeSectors;
    bench::QuietHost host;
    repair::Analysis analysis(state, host, repair::VolmenderProfile);
    const auto start = Clock::now();
    analysis.AnalyseFat();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    int rounds = 3;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--rounds") rounds = std::max(1, std::atoi(argv[++i]));

    // The host path is what is measured, whatever the environment names.
    ::unsetenv("VOLMENDER_MACHINE");
    if (std::string why = fixtures::LoopDevicesUnavailable(); !why.empty()) {
        std::printf("nothing measured: %s\n", why.c_str());
        return 0;
    }
    auto systemCalls = TracepointCounter::Open("raw_syscalls/sys_enter");
    auto positionedReads = TracepointCounter::Open("syscalls/sys_enter_preadv2");
    if (!systemCalls || !positionedReads) {
        std::printf("nothing measured: system calls cannot be counted (no tracepoints)\n");
        return 0;
    }

    fixtures::TempDir dir;
    const std::string image = MakeDamagedDisk(dir);
    fixtures::DescribedMachine described;
    described.drives.push_back({0, image});
    fixtures::WriteMachineFile(dir.File("machine.txt"), described);
    d_api::DApiInit(d_api::DApiFlavour::Volmender, nullptr);

    fixtures::LoopDevice loop(image);
    std::vector<double> hostTimes, imageTimes;
    std::uint64_t requested = 0, fromDevice = 0, imageCalls = 0, transfers = 0;
    for (int round = 0; round < rounds; ++round) {
        platform::UseMachineFromEnvironment();
        const std::optional<std::uint8_t> drive = fixtures::HostDriveHolding(image);
        if (!drive) {
            std::printf("%s is not among the host's drives\nhost path: short\n", loop.Node().c_str());
            return 1;
        }
        DropCaches(image, loop.Node());
        const std::uint64_t bytesBefore = BytesReadByProcess();
        const std::uint64_t deviceBefore = SectorsReadFromDevice(loop.Name());
        positionedReads->Start();
        hostTimes.push_back(Analyse(*drive));
        // On the host path every ReadFile starts with one read from memory
        // (preadv2): these are the transfers the analysis makes, on either path.
        transfers += positionedReads->Stop();
        fromDevice += SectorsReadFromDevice(loop.Name()) - deviceBefore;
        requested += (BytesReadByProcess() - bytesBefore) / 512;

        platform::UseDescribedMachine(dir.File("machine.txt"));
        DropCaches(image, loop.Node());
        systemCalls->Start();
        imageTimes.push_back(Analyse(0));
        imageCalls += systemCalls->Stop();
    }
    platform::UseMachineFromEnvironment();

    const double onHost = Median(hostTimes), onImage = Median(imageTimes);
    const double timeRatio = onHost / onImage;
    const double deviceRatio = requested ? static_cast<double>(fromDevice) / static_cast<double>(requested) : 0;
    const double callsPerTransfer = transfers ? static_cast<double>(imageCalls) / static_cast<double>(transfers) : 0;
    std::printf("host path:  %8.3f s, image path: %8.3f s (medians of %d, page cache dropped)\n", onHost, onImage,
                rounds);
    std::printf("transfers per analysis: %llu\n", static_cast<unsigned long long>(transfers / rounds));
    std::printf("host/image time ratio: %.2f\n", timeRatio);
    std::printf("device/requested sectors: %.2f\n", deviceRatio);
    std::printf("system calls per transfer: %.2f\n", callsPerTransfer);
    const bool ok =
        timeRatio <= MaxTimeRatio && deviceRatio <= MaxDeviceRatio && callsPerTransfer <= MaxCallsPerTransfer;
    std::printf("host path: %s\n", ok ? "ok" : "short");
    return 0;
}
