// The demo machine that scripts/demo.sh makes: volmender repairs every one of
// its volumes through the window, each comes back sound (fsck.fat), and its
// rebuilt layout is the one expected.txt gives for it.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "disk/d_api.h"
#include "fixtures/boot_sector.h"
#include "fixtures/command.h"
#include "fixtures/partitioning.h"
#include "fixtures/required_tool.h"
#include "fixtures/temp_dir.h"
#include "fixtures/volume_check.h"
#include "form_harness.h"
#include "platform/machine_selection.h"
#include "repair/repair_texts.h"

namespace {

struct DemoVolume {
    const char* name;           // as expected.txt names it
    int line;                   // of the drive list
    int item;                   // of the partition menu; 0 on the removable drive
    fixtures::VolumeLocation location;
};

TEST(DemoDisks, VolmenderRepairsEveryVolumeAsExpectedTxtDescribesIt)
{
    for (const char* tool : {"mkfs.fat", "sfdisk", "mcopy", "fsck.fat"}) fixtures::RequireTool(tool);
    fixtures::TempDir dir;
    const fixtures::CommandResult made = fixtures::RunCommand({MAKE_DEMO_DISKS, dir.Path()});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    std::ifstream expectedFile(dir.File("expected.txt"));
    const std::string expected(std::istreambuf_iterator<char>(expectedFile), {});

    platform::UseDescribedMachine(dir.File("machine.txt"));
    d_api::DApiInit(d_api::DApiFlavour::Volmender, [](const std::string&) {});
    FormHarness harness;
    harness.ShowAndActivate();
    TForm1& form = *harness.form;

    // The fixed disk's FAT16 primary partition and FAT32 logical drive are
    // the items 1 and 2 of its partition menu.
    const std::string fixed = dir.File("fixed.img");
    const std::vector<fixtures::Partition> partitions = fixtures::ListPartitions(fixed);
    ASSERT_EQ(partitions.size(), 3u);
    const DemoVolume volumes[] = {
        {"fixed.img partition 1", 0, 1, {fixed, partitions[0].start}},
        {"fixed.img partition 5", 0, 2, {fixed, partitions[2].start}},
        {"removable.img", 1, 0, {dir.File("removable.img"), 0}},
    };
    for (const DemoVolume& volume : volumes) {
        SCOPED_TRACE(volume.name);
        harness.dialogs.Forget();
        // The line chosen in the drive list's pop-up.
        form.DList->setCurrentIndex(volume.line);
        emit form.DList->activated(volume.line);
        harness.dialogs.QueueSaveAnswer(QString::fromStdString(dir.File(std::string(volume.name) + " backup")));
        form.Button2->click();
        if (volume.item != 0) {
            form.DiskPop->close();
            ASSERT_NE(form.PartItems[static_cast<std::size_t>(volume.item)], nullptr);
            form.PartItems[static_cast<std::size_t>(volume.item)]->trigger();
        }
        EXPECT_EQ(harness.dialogs.Texts(ui::DialogKind::Message),
                  (std::vector<QString>{QString::fromUtf8(repair::texts::PleaseBackUp),
                                        QString::fromUtf8(repair::texts::Repaired)}));

        const fixtures::FsckReport fsck = fixtures::CheckWithFsck(volume.location);
        EXPECT_TRUE(fsck.Sound()) << fsck.messages;
        const std::string layout = std::string(volume.name) + ": start sector " +
                                   std::to_string(volume.location.startSector) + ", " +
                                   fixtures::DescribeLayout(fixtures::ReadBootSector(volume.location)) + ", ";
        EXPECT_NE(expected.find(layout), std::string::npos) << layout << "\nnot in\n" << expected;
    }
    platform::UseMachineFromEnvironment();
}

}  // namespace
