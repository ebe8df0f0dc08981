// The backup of the sector about to be overwritten and the boot-sector writes,
// on described machines.

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "fixtures/file_content.h"
#include "machine_fixture.h"
#include "repair/boot_sector_images.h"
#include "repair/repair_texts.h"
#include "repair/sector_backup.h"

namespace repair {
namespace {

using testing::MachineTest;

class SectorBackup : public MachineTest {
protected:
    void SetUp() override
    {
        MakeDisk(1000);
        for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<std::uint8_t>(i * 7 + 1);
        Put(63, content);
        state.Layout.VolumeStart = 63;
    }

    fixtures::Sector content{};
};

TEST_F(SectorBackup, SavesExactlyTheSectorWithDatAppended)
{
    host.saveAnswers = {dir.File("keep.dat")};
    EXPECT_EQ(BackupSector(state, host, 63), BackupOutcome::Saved);
    EXPECT_EQ(host.events, (std::vector<std::string>{std::string("message: ") + texts::PleaseBackUp, "save dialog"}));
    const auto saved = fixtures::ReadHostFile(dir.File("keep.dat.dat"));
    EXPECT_EQ(saved, std::vector<std::uint8_t>(content.begin(), content.end()));
}

TEST_F(SectorBackup, CancelSavesNothingAndKeepsAnEarlierBackup)
{
    host.saveAnswers = {dir.File("keep"), std::nullopt};
    ASSERT_EQ(BackupSector(state, host, 63), BackupOutcome::Saved);
    Put(63, fixtures::Sector{});
    EXPECT_EQ(BackupSector(state, host, 63), BackupOutcome::NothingSaved);
    EXPECT_EQ(fixtures::ReadHostFile(dir.File("keep.dat")), std::vector<std::uint8_t>(content.begin(), content.end()));
}

TEST_F(SectorBackup, FailedReadSavesNoStaleSector)
{
    UseMachine({fixtures::MachineFault::ReadError(0, 63, 23)});
    state.SectorBuf.fill(0xAB);  // what an earlier step left
    host.saveAnswers = {dir.File("stale")};
    EXPECT_EQ(BackupSector(state, host, 63), BackupOutcome::NothingSaved);
    EXPECT_EQ(host.events, (std::vector<std::string>{std::string("information: ") + texts::ReadError,
                                                     std::string("message: ") + texts::BackupImpossible}));
    struct stat info {};
    EXPECT_NE(::stat(dir.File("stale.dat").c_str(), &info), 0);
}

TEST_F(SectorBackup, UncreatableFileIsAnErrorThatEndsTheRepair)
{
    host.saveAnswers = {dir.File("no-such-folder/keep")};
    EXPECT_EQ(BackupSector(state, host, 63), BackupOutcome::Failed);
    ASSERT_EQ(host.events.size(), 3u);
    EXPECT_EQ(host.events[2].rfind("error: Cannot create file \"" + dir.File("no-such-folder/keep.dat") + "\". ", 0),
              0u)
        << host.events[2];
}

// A name that holds no regular file is refused before anything is opened: a
// pipe would block the program for ever, a device would take the sector
// somewhere else; a folder gets the system's own words. Each is left as it was.
TEST_F(SectorBackup, NameThatHoldsNoRegularFileIsRefused)
{
    ASSERT_EQ(::mkfifo(dir.File("pipe.dat").c_str(), 0600), 0);
    ASSERT_EQ(::symlink("/dev/full", dir.File("device.dat").c_str()), 0);
    ASSERT_EQ(::symlink(dir.File("nowhere").c_str(), dir.File("dangling.dat").c_str()), 0);
    ASSERT_EQ(::mkdir(dir.File("folder.dat").c_str(), 0700), 0);
    const std::pair<std::string, std::string> cases[] = {{"pipe", texts::NotARegularFile},
                                                         {"device", texts::NotARegularFile},
                                                         {"dangling", texts::NotARegularFile},
                                                         {"folder", "Is a directory"}};
    for (const auto& [name, reason] : cases) {
        host.events.clear();
        host.saveAnswers = {dir.File(name)};
        EXPECT_EQ(BackupSector(state, host, 63), BackupOutcome::Failed) << name;
        EXPECT_EQ(host.events.back(), "error: Cannot create file \"" + dir.File(name + ".dat") + "\". " + reason);
    }
    struct stat info {};
    ASSERT_EQ(::stat(dir.File("pipe.dat").c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    EXPECT_NE(::stat(dir.File("nowhere").c_str(), &info), 0);
}

TEST_F(SectorBackup, ExistingFileIsReplacedOnlyAfterYesAndNoReturnsToTheDialog)
{
    const std::vector<std::uint8_t> earlier(512, 0xEE);
    fixtures::WriteHostFile(dir.File("keep.dat"), earlier);
    const std::string question = "question: \"" + dir.File("keep.dat") + "\"" + texts::ReplaceBackupQuestion;

    host.saveAnswers = {dir.File("keep"), std::nullopt};
    host.questionAnswers = {false};
    EXPECT_EQ(BackupSector(state, host, 63), BackupOutcome::NothingSaved);
    EXPECT_EQ(host.events, (std::vector<std::string>{std::string("message: ") + texts::PleaseBackUp, "save dialog",
                                                     question, "save dialog"}));
    EXPECT_EQ(fixtures::ReadHostFile(dir.File("keep.dat")), earlier);

    host.saveAnswers = {dir.File("keep")};
    host.questionAnswers = {true};
    EXPECT_EQ(BackupSector(state, host, 63), BackupOutcome::Saved);
    EXPECT_EQ(fixtures::ReadHostFile(dir.File("keep.dat")), std::vector<std::uint8_t>(content.begin(), content.end()));
}

TEST_F(SectorBackup, LinkToARegularFileStaysALinkAndItsFileIsReplaced)
{
    fixtures::WriteHostFile(dir.File("real.bin"), std::vector<std::uint8_t>(512, 0xEE));
    ASSERT_EQ(::symlink(dir.File("real.bin").c_str(), dir.File("linked.dat").c_str()), 0);
    host.saveAnswers = {dir.File("linked")};
    host.questionAnswers = {true};
    EXPECT_EQ(BackupSector(state, host, 63), BackupOutcome::Saved);
    struct stat info {};
    ASSERT_EQ(::lstat(dir.File("linked.dat").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(fixtures::ReadHostFile(dir.File("real.bin")), std::vector<std::uint8_t>(content.begin(), content.end()));
}

// Lowers the largest file this process may write, so that a write stops
// part-way as on a full disk; the signal the kernel sends then is ignored.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        const rlimit lowered{bytes, saved_.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &lowered);
        savedHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, savedHandler_);
    }

private:
    rlimit saved_{};
    void (*savedHandler_)(int) = nullptr;
};

TEST_F(SectorBackup, WriteThatStopsPartWayLeavesTheEarlierFileAndNoOtherBehind)
{
    const std::vector<std::uint8_t> earlier(512, 0xEE);
    fixtures::WriteHostFile(dir.File("keep.dat"), earlier);
    host.saveAnswers = {dir.File("keep")};
    host.questionAnswers = {true};
    {
        FileSizeLimit limit(100);
        EXPECT_EQ(BackupSector(state, host, 63), BackupOutcome::Failed);
    }
    EXPECT_EQ(host.events.back().rfind("error: Cannot write file \"" + dir.File("keep.dat") + "\". ", 0), 0u)
        << host.events.back();
    EXPECT_EQ(fixtures::ReadHostFile(dir.File("keep.dat")), earlier);
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        EXPECT_EQ(entry.path().filename().string().rfind("keep.dat.", 0), std::string::npos) << entry.path();
}

// The bytes go to a new file of the backup's own beside the chosen name,
// never through a link that somebody planted under the name it tries first.
TEST_F(SectorBackup, FileAlreadyUnderTheNewFilesNameIsLeftAlone)
{
    const std::string other = dir.File("keep.dat.part-" + std::to_string(::getpid()) + "-0");
    const std::vector<std::uint8_t> theirs(100, 0x5A);
    fixtures::WriteHostFile(dir.File("theirs"), theirs);
    ASSERT_EQ(::symlink(dir.File("theirs").c_str(), other.c_str()), 0);
    host.saveAnswers = {dir.File("keep")};
    EXPECT_EQ(BackupSector(state, host, 63), BackupOutcome::Saved);
    EXPECT_EQ(fixtures::ReadHostFile(other), theirs);
    EXPECT_EQ(fixtures::ReadHostFile(dir.File("keep.dat")), std::vector<std::uint8_t>(content.begin(), content.end()));
}

// A backup killed while saving leaves its new file beside the name; the next
// backup to that name removes it.
TEST_F(SectorBackup, NewFileOfAKilledBackupIsRemovedByTheNext)
{
    const pid_t ended = ::fork();
    ASSERT_GE(ended, 0);
    if (ended == 0) ::_exit(0);
    ASSERT_EQ(::waitpid(ended, nullptr, 0), ended);
    const std::string left = dir.File("keep.dat.part-" + std::to_string(ended) + "-0");
    fixtures::WriteHostFile(left, std::vector<std::uint8_t>(100, 0x5A));
    host.saveAnswers = {dir.File("keep")};
    EXPECT_EQ(BackupSector(state, host, 63), BackupOutcome::Saved);
    EXPECT_FALSE(std::filesystem::exists(left));
}

TEST_F(SectorBackup, ReadSectorAtReportsAFailedRead)
{
    EXPECT_TRUE(ReadSectorAt(state, host, 63));
    EXPECT_EQ(state.SectorBuf, content);
    UseMachine({fixtures::MachineFault::ReadError(0, 63, 23)});
    EXPECT_FALSE(ReadSectorAt(state, host, 63));
    EXPECT_EQ(state.SectorBuf, content);  // a failed read leaves the buffer alone
    EXPECT_EQ(host.events, std::vector<std::string>{std::string("information: ") + texts::ReadError});
}

using BootSectorWrite = MachineTest;

TEST_F(BootSectorWrite, ImagesGoToTheVolumeStartOfTheSelectedDrive)
{
    MakeDisk(1000);
    state.Layout.VolumeStart = 63;
    BootSectorWriter writer(state);
    ASSERT_TRUE(writer.WriteFat32BootSector(8, 32, 900, 100));
    EXPECT_EQ(Get(63), writer.Fat32Image());
    EXPECT_EQ(Get(0), fixtures::Sector{});

    ASSERT_TRUE(writer.WriteFat16BootSector(4, 1, 900, 100));
    const fixtures::Sector written = Get(63);
    EXPECT_EQ(written, writer.Fat16Image());
    // Nothing of the FAT32 image is left in the FAT16 one.
    for (std::size_t i = 62; i < 510; ++i) ASSERT_EQ(written[i], 0) << i;
    EXPECT_EQ(writer.Fat32Image()[1], 0x58);
}

TEST_F(BootSectorWrite, FailedWriteIsReported)
{
    MakeDisk(1000, {fixtures::MachineFault::WriteError(0, 29)});
    state.Layout.VolumeStart = 63;
    BootSectorWriter writer(state);
    EXPECT_FALSE(writer.WriteFat32BootSector(8, 32, 900, 100));
    EXPECT_FALSE(writer.WriteFat16BootSector(8, 32, 900, 100));
    EXPECT_EQ(Get(63), fixtures::Sector{});

    state.SelectedDrive = 5;  // no such drive
    UseMachine();
    EXPECT_FALSE(writer.WriteFat32BootSector(8, 32, 900, 100));
}

}  // namespace
}  // namespace repair
