#pragma once
// What a test of the FAT32-only program's main window needs beyond the shared
// window harness: the disk layer started as this program starts it.
//
//   class MyTest : public Fat32WindowTest {};
//   machine.Line("platform 9x").Line("driver int13ext");
//   machine.AddDrive(128, 2048);
//   TForm1& form = Start();

#include "volmender-fat32/tform1.h"
#include "window_harness.h"

class Fat32Harness : public ui_testing::WindowHarness<TForm1> {
public:
    Fat32Harness() { form = std::make_unique<TForm1>(); }
};

class Fat32WindowTest : public ui_testing::WindowTest<Fat32Harness> {
protected:
    Fat32WindowTest() : WindowTest(d_api::DApiFlavour::VolmenderFat32) {}
};
