#pragma once
// Described machines for tests: a temporary folder with image files and a
// machine file, installed as the current machine, and a recorder for the
// system message boxes.
//
//   test_machine::TestMachine machine;
//   machine.MakeImage("disk0.img", 64 << 20);
//   machine.Line("drive 0 disk0.img media=11");
//   machine.Install();
//   test_machine::MessageBoxRecorder boxes;   // MessageBoxA answers IDOK and is recorded

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace test_machine {

class TestMachine {
public:
    TestMachine();
    // Goes back to the machine of the environment and removes the folder.
    ~TestMachine();
    TestMachine(const TestMachine&) = delete;
    TestMachine& operator=(const TestMachine&) = delete;

    const std::string& Folder() const { return folder_; }
    // A zero-filled (sparse) image of `bytes` bytes in the folder; returns its path.
    std::string MakeImage(const std::string& name, std::uint64_t bytes);
    // Adds one line to the machine file (image names relative to the folder).
    TestMachine& Line(const std::string& line);
    // Writes the machine file and makes it the current machine.
    void Install();

private:
    std::string folder_;
    std::vector<std::string> lines_;
};

// Bytes of an image file, for putting test content in and checking it.
void WriteBytes(const std::string& image, std::uint64_t offset, const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> ReadBytes(const std::string& image, std::uint64_t offset, std::size_t length);

struct RecordedBox {
    std::string text;
    std::string caption;
    win32::DWORD type = 0;
    bool owned = false;  // an owner window was given
};

// Records every MessageBoxA while it lives; each box answers IDOK.
class MessageBoxRecorder {
public:
    MessageBoxRecorder();
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    const std::vector<RecordedBox>& Boxes() const { return boxes_; }

private:
    std::vector<RecordedBox> boxes_;
};

}  // namespace test_machine
