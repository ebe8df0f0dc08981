#include "platform/host_inventory.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

namespace platform {
namespace {

bool IsWholeDiskName(const std::string& name)
{
    static const std::regex pattern("sd.*|nvme[0-9]+n[0-9]+|mmcblk[0-9]+.*|vd.*");
    return std::regex_match(name, pattern);
}

bool IsWritableAttachedLoop(const std::filesystem::path& disk)
{
    static const std::regex pattern("loop[0-9]+");
    if (!std::regex_match(disk.filename().string(), pattern)) return false;
    int readOnly = 1;
    return std::filesystem::exists(disk / "loop" / "backing_file") && std::ifstream(disk / "ro") >> readOnly &&
           readOnly == 0;
}

// /proc/mounts writes blanks, tabs and backslashes in paths as octal escapes.
std::string Unescape(const std::string& field)
{
    std::string text;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() &&
            std::all_of(field.begin() + i + 1, field.begin() + i + 4, [](char c) { return c >= '0' && c <= '7'; })) {
            text += static_cast<char>(std::stoi(field.substr(i + 1, 3), nullptr, 8));
            i += 3;
        } else {
            text += field[i];
        }
    }
    return text;
}

bool IsBlockDevice(const std::string& path)
{
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISBLK(status.st_mode);
}

}  // namespace

std::vector<WholeDisk> WholeDisks()
{
    std::vector<WholeDisk> disks, loops;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/sys/block", error)) {
        std::string name = entry.path().filename().string();
        std::vector<WholeDisk>* list = IsWholeDiskName(name)                    ? &disks
                                       : IsWritableAttachedLoop(entry.path()) ? &loops
                                                                               : nullptr;
        if (list) list->push_back({name, DiskSequence(name).value_or(0)});
    }
    auto byName = [](const WholeDisk& a, const WholeDisk& b) { return a.name < b.name; };
    std::sort(disks.begin(), disks.end(), byName);
    std::sort(loops.begin(), loops.end(), byName);
    disks.insert(disks.end(), loops.begin(), loops.end());
    return disks;
}

std::optional<std::uint64_t> DiskSequence(const std::string& name)
{
    std::filesystem::path disk = "/sys/block/" + name;
    if (!std::filesystem::exists(disk)) return std::nullopt;
    std::uint64_t sequence = 0;  // 0 where the kernel keeps none
    std::ifstream(disk / "diskseq") >> sequence;
    return sequence;
}

std::optional<WholeDisk> DiskNumbering::DiskOf(unsigned number, const std::vector<WholeDisk>& present)
{
    for (const WholeDisk& disk : present)
        if (std::find(numbered_.begin(), numbered_.end(), disk) == numbered_.end()) numbered_.push_back(disk);
    if (number >= numbered_.size()) return std::nullopt;
    const WholeDisk& disk = numbered_[number];
    if (std::find(present.begin(), present.end(), disk) == present.end()) return std::nullopt;
    return disk;
}

std::string VolumeNode(const std::string& diskName, std::uint64_t firstSector)
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/sys/block/" + diskName, error)) {
        std::uint64_t start = 0;
        // The kernel counts a partition's start in 512-byte sectors whatever the disk's own.
        if (std::filesystem::exists(entry.path() / "partition") && std::ifstream(entry.path() / "start") >> start &&
            start == firstSector)
            return "/dev/" + entry.path().filename().string();
    }
    return "/dev/" + diskName;
}

std::vector<std::string> BlockDeviceMountPoints()
{
    std::vector<std::string> points;
    std::ifstream mounts("/proc/mounts");
    for (std::string line; std::getline(mounts, line);) {
        std::istringstream fields(line);
        std::string device, point;
        if (!(fields >> device >> point)) continue;
        device = Unescape(device);
        point = Unescape(point);
        if (device.rfind("/dev/", 0) != 0 || !IsBlockDevice(device)) continue;
        if (std::find(points.begin(), points.end(), point) == points.end()) points.push_back(point);
    }
    return points;
}

}  // namespace platform
