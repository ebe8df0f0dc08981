// Times the whole on-disk analysis of a damaged 4 GiB FAT32 volume against a
// plain sequential read of the same bytes, to show what the analysis's way of
// reading (a device open per sector, one Block per step, the window served
// after every sector) costs over the disk's own speed.
//
//   bench_analysis [IMAGE] [--after FRACTION] [--rounds N] [--fat32-only]
//
// Without IMAGE a 4 GiB FAT32 image is made in a temporary folder, its
// directories placed FRACTION of the way in (default 0.10), and its boot
// sector destroyed. With IMAGE that file is analysed as it is (volume at
// sector 0, filling the file). Both timings run on a warm page cache.
// --fat32-only analyses as the FAT32-only program does: Blocks 80 sectors
// apart from 5 % into the volume.

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "fixtures/boot_sector_damage.h"
#include "fixtures/disk_image.h"
#include "fixtures/fat_volume.h"
#include "fixtures/temp_dir.h"
#include "fixtures/test_machine.h"
#include "fixtures/volume_filler.h"
#include "quiet_host.h"
#include "repair/analysis.h"

namespace {

using Clock = std::chrono::steady_clock;

struct ByteRange {
    std::uint64_t first;
    std::uint64_t bytes;
};

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Reads the ranges in 1 MiB pieces, as a copy tool would.
Clock::duration SequentialRead(const std::string& image, const std::vector<ByteRange>& ranges)
{
    const int fd = ::open(image.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        std::perror(image.c_str());
        std::exit(1);
    }
    std::vector<char> buffer(1 << 20);
    const auto start = Clock::now();
    for (const ByteRange& range : ranges) {
        for (std::uint64_t done = 0; done < range.bytes;) {
            const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), range.bytes - done));
            const ssize_t got = ::pread(fd, buffer.data(), want, static_cast<off_t>(range.first + done));
            if (got <= 0) break;
            done += static_cast<std::uint64_t>(got);
        }
    }
    const auto elapsed = Clock::now() - start;
    ::close(fd);
    return elapsed;
}

std::string MakeDamagedImage(const fixtures::TempDir& dir, double directoriesAfter)
{
    const std::string image = dir.File("fat32-4g.img");
    constexpr std::uint64_t FourGiB = std::uint64_t{4} << 30;
    std::printf("making a 4 GiB FAT32 image, directories %.0f %% in ...\n", directoriesAfter * 100);
    const fixtures::VolumeLocation volume =
        fixtures::MakeFatImage(image, {.type = fixtures::FatType::Fat32, .sectors = FourGiB / 512});
    fixtures::FillVolume(volume, {.depth = 2, .directoriesPerLevel = 2, .filesPerDirectory = 1,
                                  .directoriesAfter = directoriesAfter});
    fixtures::DestroyBootSector(volume, fixtures::BootDamage::WithFat32Copies);
    return image;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string image;
    double directoriesAfter = 0.10;
    int rounds = 3;
    const repair::AnalysisProfile* profile = &repair::VolmenderProfile;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--after" && i + 1 < argc) directoriesAfter = std::atof(argv[++i]);
        else if (arg == "--rounds" && i + 1 < argc) rounds = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--fat32-only") profile = &repair::Fat32OnlyProfile;
        else image = arg;
    }

    fixtures::TempDir dir;
    if (image.empty()) image = MakeDamagedImage(dir, directoriesAfter);

    fixtures::InstallOneDriveMachine(dir, {0, image});

    repair::RepairState state;
    state.Layout.VolumeStart = 0;
    state.Layout.VolumeSectors = static_cast<std::uint32_t>(fixtures::ImageSectors(image));
    bench::QuietHost host;

    std::vector<double> analysisTimes;
    std::vector<double> readTimes;
    std::vector<ByteRange> ranges;
    for (int round = 0; round < rounds; ++round) {
        repair::Analysis analysis(state, host, *profile);
        const auto start = Clock::now();
        analysis.AnalyseFat();
        analysisTimes.push_back(Seconds(Clock::now() - start));

        // The bytes the analysis read: the span of its Blocks up to the one
        // holding the directory, then the first 20,001 sectors one by one.
        const std::uint64_t firstBlock = repair::DirSearchStartOffset(*profile, state.Layout.VolumeSectors);
        const std::uint64_t lastBlock =
            firstBlock + (state.Layout.DirSector - firstBlock) / profile->dirSearchStep * profile->dirSearchStep;
        ranges = {{firstBlock * 512, (lastBlock - firstBlock) * 512 + d_api::BlockSize}, {0, 20001 * 512}};
        readTimes.push_back(Seconds(SequentialRead(image, ranges)));
    }

    std::sort(analysisTimes.begin(), analysisTimes.end());
    std::sort(readTimes.begin(), readTimes.end());
    const double analysis = analysisTimes[analysisTimes.size() / 2];
    const double plain = readTimes[readTimes.size() / 2];
    const double megabytes = static_cast<double>(ranges[0].bytes + ranges[1].bytes) / (1 << 20);

    std::printf("layout: %u sectors per cluster, %u reserved, %u per FAT (directory at sector %u)\n",
                state.Layout.SectorsPerCluster, state.Layout.ReservedSectors, state.Layout.SectorsPerFat,
                state.Layout.DirSector);
    std::printf("bytes read: %.1f MiB\n", megabytes);
    std::printf("AnalyseFat:       %8.3f s (median of %d)\n", analysis, rounds);
    std::printf("sequential read:  %8.3f s (median of %d)\n", plain, rounds);
    std::printf("ratio:            %8.2f\n", plain > 0 ? analysis / plain : 0.0);
    return 0;
}
