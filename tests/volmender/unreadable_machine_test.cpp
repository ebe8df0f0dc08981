// Both programs, started on a described machine whose file cannot be read,
// end at once with exit code 2 and say why, instead of falling back to the
// host's own disks.

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "fixtures/command.h"
#include "fixtures/temp_dir.h"

namespace {

TEST(UnreadableMachineFile, EndsEitherProgramWithExitCode2AndTheReason)
{
    fixtures::TempDir folder;
    const std::string missing = folder.File("absent.txt");
    const std::string malformed = folder.File("malformed.txt");
    std::ofstream(malformed) << "windows 95\n";
    struct Case {
        std::string file;
        std::string reason;
    } cases[] = {
        {missing, "VOLMENDER_MACHINE: " + missing + ": cannot be read"},
        {malformed, "VOLMENDER_MACHINE: " + malformed + ":1: unknown keyword"},
    };
    for (const char* program : {VOLMENDER_PROGRAM, VOLMENDER_FAT32_PROGRAM}) {
        for (const Case& c : cases) {
            // The time limit only keeps a program that wrongly starts its
            // window from hanging the test; it ends long before.
            const fixtures::CommandResult result =
                fixtures::RunCommand({"timeout", "60", program}, {.environment = {{"VOLMENDER_MACHINE", c.file}}});
            EXPECT_EQ(result.exitCode, 2) << program << " on " << c.file << ": " << result.err;
            EXPECT_NE(result.err.find(c.reason), std::string::npos) << program << " said: " << result.err;
        }
    }
}

}  // namespace
