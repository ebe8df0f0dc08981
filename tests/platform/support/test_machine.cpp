#include "test_machine.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "platform/machine_selection.h"

namespace test_machine {

namespace fs = std::filesystem;

TestMachine::TestMachine()
{
    std::string pattern = (fs::temp_directory_path() / "volmender-machine-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
    folder_ = pattern;
}

TestMachine::~TestMachine()
{
    platform::UseMachineFromEnvironment();
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
}

std::string TestMachine::MakeImage(const std::string& name, std::uint64_t bytes)
{
    std::string path = (fs::path(folder_) / name).string();
    { std::ofstream create(path, std::ios::binary); }
    fs::resize_file(path, bytes);
    return path;
}

TestMachine& TestMachine::Line(const std::string& line)
{
    lines_.push_back(line);
    return *this;
}

void TestMachine::Install()
{
    std::string path = (fs::path(folder_) / "machine.txt").string();
    {
        std::ofstream file(path);
        for (const std::string& line : lines_) file << line << '\n';
    }
    platform::UseDescribedMachine(path);
}

void WriteBytes(const std::string& image, std::uint64_t offset, const std::vector<std::uint8_t>& bytes)
{
    std::fstream file(image, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(static_cast<std::streamoff>(offset));
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!file) throw std::runtime_error("cannot write " + image);
}

std::vector<std::uint8_t> ReadBytes(const std::string& image, std::uint64_t offset, std::size_t length)
{
    std::ifstream file(image, std::ios::binary);
    file.seekg(static_cast<std::streamoff>(offset));
    std::vector<std::uint8_t> bytes(length);
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(length));
    bytes.resize(static_cast<std::size_t>(file.gcount()));
    return bytes;
}

MessageBoxRecorder::MessageBoxRecorder()
{
    win32::SetMessageBoxHandler([this](win32::HWND owner, const char* text, const char* caption, win32::DWORD type) {
        boxes_.push_back(RecordedBox{text, caption, type, owner != nullptr});
        return win32::IDOK;
    });
}

MessageBoxRecorder::~MessageBoxRecorder() { win32::SetMessageBoxHandler(nullptr); }

}  // namespace test_machine
