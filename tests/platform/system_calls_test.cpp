// The calls that are not file transfers, on a described machine.

#include <gtest/gtest.h>

#include <thread>

#include "platform/machine_selection.h"
#include "platform/win32.h"
#include "fixtures/test_machine.h"

namespace {

using namespace win32;

TEST(SystemCalls, TheVersionNamesTheMachinesFamily)
{
    fixtures::TestMachine machine;
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    machine.Line("platform 9x").Install();
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(info.dwPlatformId, VER_PLATFORM_WIN32_WINDOWS);

    machine.Line("platform nt").Install();
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(info.dwPlatformId, VER_PLATFORM_WIN32_NT);

    info.dwOSVersionInfoSize = 100;
    EXPECT_FALSE(GetVersionExA(&info));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(SystemCalls, TheScreenLineWinsOverTheGuisAnswer)
{
    fixtures::TestMachine machine;
    SetScreenSizeHandler([](int index) { return index == SM_CXSCREEN ? 1920 : 1080; });
    machine.Install();
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1920);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 1080);
    machine.Line("screen 800 600").Install();
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 600);
    SetScreenSizeHandler(nullptr);
}

TEST(SystemCalls, DriveLettersAnswerTheirSizeOnly)
{
    fixtures::TestMachine machine;
    machine.Line("letter C 1048576000").Install();
    std::uint64_t free = 1, total = 0, totalFree = 1;
    ASSERT_TRUE(GetDiskFreeSpaceExA("c:\\", &free, &total, &totalFree));
    EXPECT_EQ(total, 1048576000u);
    EXPECT_FALSE(GetDiskFreeSpaceExA("D:\\", &free, &total, &totalFree));
    EXPECT_FALSE(GetDiskFreeSpaceExA("\\", &free, &total, &totalFree));
}

TEST(SystemCalls, PagesDeletionsAndTrimsAreRecordedNotDone)
{
    fixtures::TestMachine machine;
    machine.Line("host update.example.com 127.0.0.1:9").Install();
    EXPECT_GT(ShellExecuteA(nullptr, "open", "IEXPLORE.EXE", "http://www.example.com/", nullptr, SW_SHOWMAXIMIZED),
              32);
    EXPECT_TRUE(SetProcessWorkingSetSize(GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1)));
    EXPECT_FALSE(DeleteFileA("\\\\.\\INT13EXT")) << "no driver on this machine";
    EXPECT_FALSE(SetProcessWorkingSetSize(nullptr, static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1)));

    const platform::Observations& seen = platform::CurrentObservations();
    EXPECT_EQ(seen.pagesOpened, std::vector<std::string>{"open|IEXPLORE.EXE|http://www.example.com/|3"});
    EXPECT_EQ(seen.workingSetTrims, 1);
    EXPECT_EQ(seen.deletedFiles, std::vector<std::string>{"\\\\.\\INT13EXT"});
    EXPECT_EQ(platform::HostOverride("update.example.com"), "127.0.0.1:9");
    EXPECT_EQ(platform::HostOverride("www.example.com"), "");

    machine.Install();
    EXPECT_EQ(platform::CurrentObservations().workingSetTrims, 0) << "a new machine starts with nothing seen";
}

TEST(SystemCalls, MessageBoxesGoToTheInstalledHandler)
{
    {
        fixtures::MessageBoxRecorder recorder;
        EXPECT_EQ(MessageBoxA(nullptr, "text", "caption", MB_OK | MB_ICONWARNING), IDOK);
        ASSERT_EQ(recorder.Boxes().size(), 1u);
        EXPECT_EQ(recorder.Boxes()[0].text, "text");
        EXPECT_EQ(recorder.Boxes()[0].caption, "caption");
        EXPECT_EQ(recorder.Boxes()[0].type, MB_OK | MB_ICONWARNING);
        EXPECT_FALSE(recorder.Boxes()[0].owned);
    }
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxA(nullptr, "unseen", "box", MB_OK), IDOK);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("box: unseen"), std::string::npos);
}

TEST(SystemCalls, HandlesThatAreNotOpenAreRefusedAndErrorsStayWithTheirThread)
{
    std::uint8_t byte = 0;
    DWORD count = 0;
    EXPECT_FALSE(ReadFile(INVALID_HANDLE_VALUE, &byte, 1, &count, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(DeviceIoControl(nullptr, IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, nullptr, 0, &count, nullptr));
    EXPECT_EQ(SetFilePointer(INVALID_HANDLE_VALUE, 0, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);

    SetLastError(ERROR_CRC);
    DWORD seenElsewhere = 1;
    std::thread([&] { seenElsewhere = GetLastError(); }).join();
    EXPECT_EQ(seenElsewhere, 0u);
    EXPECT_EQ(GetLastError(), ERROR_CRC);
}

}  // namespace
