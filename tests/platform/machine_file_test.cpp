// Reading described-machine files.

#include <gtest/gtest.h>

#include <fstream>
#include <stdexcept>

#include "platform/machine_description.h"
#include "platform/machine_selection.h"
#include "fixtures/test_machine.h"

namespace {

using platform::ReadMachineDescription;

std::string WriteMachineFile(const fixtures::TestMachine& machine, const std::string& content)
{
    std::string path = machine.Folder() + "/machine.txt";
    std::ofstream(path) << content;
    return path;
}

std::string ErrorOf(const std::string& path)
{
    try {
        ReadMachineDescription(path);
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "";
}

TEST(MachineFile, ReadsEveryKindOfLine)
{
    fixtures::TestMachine machine;
    machine.MakeImage("a.img", 4096);
    std::string absolute = machine.MakeImage("b.img", 4096);
    std::string path = WriteMachineFile(machine,
                                        "# a Windows 98 machine\n"
                                        "platform 9x\n"
                                        "driver int13ext   # loadable\n"
                                        "\n"
                                        "screen 800 600\n"
                                        "drive 128 a.img media=12 geometry=10/16/63\n"
                                        "drive 0 " + absolute + " media=11\n"
                                        "letter c 1000000\n"
                                        "fault open 0\n"
                                        "fault read 128 63 23\n"
                                        "fault short 128 70\n"
                                        "fault write 128 29\n"
                                        "fault seek 0 27\n"
                                        "host update.example.com 127.0.0.1:8080\n");
    platform::MachineDescription description = ReadMachineDescription(path);
    EXPECT_FALSE(description.ntFamily);
    EXPECT_TRUE(description.sectorDriver);
    EXPECT_EQ(description.screenWidth, 800);
    EXPECT_EQ(description.screenHeight, 600);
    ASSERT_EQ(description.drives.size(), 2u);
    EXPECT_EQ(description.drives.at(128).image, machine.Folder() + "/a.img");
    ASSERT_TRUE(description.drives.at(128).geometry);
    EXPECT_EQ(description.drives.at(128).geometry->heads, 16u);
    EXPECT_EQ(description.drives.at(0).image, absolute);
    EXPECT_EQ(description.drives.at(0).mediaType, 11u);
    EXPECT_FALSE(description.drives.at(0).geometry);
    EXPECT_EQ(description.letterBytes.at('C'), 1000000u);
    EXPECT_EQ(description.refusedOpens, std::vector<unsigned>{0});
    ASSERT_EQ(description.readFaults.size(), 1u);
    EXPECT_EQ(description.readFaults[0].code, 23u);
    ASSERT_EQ(description.shortReads.size(), 1u);
    EXPECT_EQ(description.shortReads[0].sector, 70u);
    EXPECT_EQ(description.writeFaults.at(128), 29u);
    EXPECT_EQ(description.seekFaults.at(0), 27u);
    EXPECT_EQ(description.hostOverrides.at("update.example.com"), "127.0.0.1:8080");
}

TEST(MachineFile, DefaultsToAnNtMachineWithoutDrives)
{
    fixtures::TestMachine machine;
    platform::MachineDescription description = ReadMachineDescription(WriteMachineFile(machine, "# nothing\n"));
    EXPECT_TRUE(description.ntFamily);
    EXPECT_FALSE(description.sectorDriver);
    EXPECT_TRUE(description.drives.empty());
    EXPECT_FALSE(description.screenWidth);
}

TEST(MachineFile, NamesTheLineThatMakesNoSense)
{
    fixtures::TestMachine machine;
    machine.MakeImage("a.img", 4096);
    struct Case {
        const char* content;
        const char* expected;
    } cases[] = {
        {"platform nt\nplatform xp\n", ":2: platform must be nt or 9x"},
        {"drive 0 missing.img\n", ":1: image"},
        {"drive 256 a.img\n", ":1: bad drive number"},
        {"drive 0 a.img\ndrive 0 a.img\n", ":2: drive 0 is described twice"},
        {"drive 0 a.img colour=red\n", ":1: unknown drive option"},
        {"drive 0 a.img geometry=1/2\n", ":1: geometry must be C/H/S"},
        {"fault read 0 63\n", ":1: \"fault\" takes 4 values"},
        {"fault read 0 63 0\n", ":1: bad error code"},
        {"fault melt 0\n", ":1: unknown fault"},
        {"\n\nwindows 95\n", ":3: unknown keyword"},
    };
    for (const Case& c : cases) {
        std::string path = WriteMachineFile(machine, c.content);
        EXPECT_NE(ErrorOf(path).find(path + c.expected), std::string::npos) << c.content << " gave " << ErrorOf(path);
    }
    EXPECT_THROW(platform::UseDescribedMachine(machine.Folder() + "/absent.txt"), std::runtime_error);
}

}  // namespace
