#include "platform/machine_description.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace platform {
namespace {

namespace fs = std::filesystem;

class LineError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

template <typename Number>
Number ParseNumber(const std::string& word, Number lowest, Number highest, const char* what)
{
    Number value{};
    const char* end = word.data() + word.size();
    auto [ptr, ec] = std::from_chars(word.data(), end, value);
    if (ec != std::errc() || ptr != end || value < lowest || value > highest)
        throw LineError(std::string("bad ") + what + " \"" + word + "\"");
    return value;
}

unsigned ParseDrive(const std::string& word) { return ParseNumber<unsigned>(word, 0, 255, "drive number"); }

std::uint64_t ParseSector(const std::string& word)
{
    return ParseNumber<std::uint64_t>(word, 0, UINT64_MAX, "sector number");
}

win32::DWORD ParseCode(const std::string& word)
{
    return ParseNumber<win32::DWORD>(word, 1, UINT32_MAX, "error code");
}

void ExpectWords(const std::vector<std::string>& words, std::size_t count)
{
    if (words.size() != count) throw LineError("\"" + words[0] + "\" takes " + std::to_string(count - 1) + " values");
}

DriveGeometry ParseGeometry(const std::string& text)
{
    std::istringstream parts(text);
    std::string cylinders, heads, sectors;
    if (!std::getline(parts, cylinders, '/') || !std::getline(parts, heads, '/') || !std::getline(parts, sectors))
        throw LineError("geometry must be C/H/S, not \"" + text + "\"");
    return DriveGeometry{ParseNumber<std::uint64_t>(cylinders, 0, INT64_MAX, "cylinder count"),
                         ParseNumber<win32::DWORD>(heads, 0, UINT32_MAX, "head count"),
                         ParseNumber<win32::DWORD>(sectors, 0, UINT32_MAX, "sectors per track")};
}

void ParseDriveLine(const std::vector<std::string>& words, const fs::path& folder, MachineDescription& machine)
{
    if (words.size() < 3) throw LineError("\"drive\" takes a number and an image");
    unsigned number = ParseDrive(words[1]);
    if (machine.drives.count(number)) throw LineError("drive " + words[1] + " is described twice");
    DescribedDrive drive;
    fs::path image(words[2]);
    drive.image = (image.is_absolute() ? image : folder / image).lexically_normal().string();
    if (!fs::is_regular_file(drive.image)) throw LineError("image \"" + drive.image + "\" does not exist");
    for (std::size_t i = 3; i < words.size(); ++i) {
        const std::string& option = words[i];
        if (option.rfind("media=", 0) == 0)
            drive.mediaType = ParseNumber<win32::DWORD>(option.substr(6), 0, UINT32_MAX, "media type");
        else if (option.rfind("geometry=", 0) == 0)
            drive.geometry = ParseGeometry(option.substr(9));
        else
            throw LineError("unknown drive option \"" + option + "\"");
    }
    machine.drives[number] = drive;
}

void ParseFaultLine(const std::vector<std::string>& words, MachineDescription& machine)
{
    if (words.size() < 2) throw LineError("\"fault\" needs a kind");
    const std::string& kind = words[1];
    if (kind == "open") {
        ExpectWords(words, 3);
        machine.refusedOpens.push_back(ParseDrive(words[2]));
    } else if (kind == "read") {
        ExpectWords(words, 5);
        machine.readFaults.push_back({ParseDrive(words[2]), ParseSector(words[3]), ParseCode(words[4])});
    } else if (kind == "short") {
        ExpectWords(words, 4);
        machine.shortReads.push_back({ParseDrive(words[2]), ParseSector(words[3])});
    } else if (kind == "write") {
        ExpectWords(words, 4);
        machine.writeFaults[ParseDrive(words[2])] = ParseCode(words[3]);
    } else if (kind == "seek") {
        ExpectWords(words, 4);
        machine.seekFaults[ParseDrive(words[2])] = ParseCode(words[3]);
    } else {
        throw LineError("unknown fault \"" + kind + "\"");
    }
}

void ParseLine(const std::vector<std::string>& words, const fs::path& folder, MachineDescription& machine)
{
    const std::string& keyword = words[0];
    if (keyword == "platform") {
        ExpectWords(words, 2);
        if (words[1] != "nt" && words[1] != "9x") throw LineError("platform must be nt or 9x");
        machine.ntFamily = words[1] == "nt";
    } else if (keyword == "driver") {
        ExpectWords(words, 2);
        if (words[1] != "int13ext") throw LineError("the only driver is int13ext");
        machine.sectorDriver = true;
    } else if (keyword == "screen") {
        ExpectWords(words, 3);
        machine.screenWidth = ParseNumber<int>(words[1], 1, 100000, "screen width");
        machine.screenHeight = ParseNumber<int>(words[2], 1, 100000, "screen height");
    } else if (keyword == "drive") {
        ParseDriveLine(words, folder, machine);
    } else if (keyword == "letter") {
        ExpectWords(words, 3);
        if (words[1].size() != 1 || !std::isalpha(static_cast<unsigned char>(words[1][0])))
            throw LineError("a drive letter is one letter");
        char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(words[1][0])));
        machine.letterBytes[letter] = ParseNumber<std::uint64_t>(words[2], 0, UINT64_MAX, "byte count");
    } else if (keyword == "fault") {
        ParseFaultLine(words, machine);
    } else if (keyword == "host") {
        ExpectWords(words, 3);
        machine.hostOverrides[words[1]] = words[2];
    } else {
        throw LineError("unknown keyword \"" + keyword + "\"");
    }
}

}  // namespace

MachineDescription ReadMachineDescription(const std::string& path)
{
    std::ifstream file(path);
    if (!file) throw std::runtime_error(path + ": cannot be read");
    fs::path folder = fs::absolute(fs::path(path)).parent_path();

    MachineDescription machine;
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        line = line.substr(0, line.find('#'));
        std::istringstream stream(line);
        std::vector<std::string> words;
        for (std::string word; stream >> word;) words.push_back(word);
        if (words.empty()) continue;
        try {
            ParseLine(words, folder, machine);
        } catch (const LineError& error) {
            throw std::runtime_error(path + ":" + std::to_string(number) + ": " + error.what());
        }
    }
    return machine;
}

}  // namespace platform
