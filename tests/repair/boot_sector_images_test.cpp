// The FAT16 and FAT32 boot-sector images, field by field, and the boot-sector
// test of both programs.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "repair/analysis.h"
#include "repair/boot_sector_images.h"

namespace repair {
namespace {

std::uint32_t Le(const SectorImage& image, std::size_t offset, int width)
{
    std::uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i) value = (value << 8) | image[offset + i];
    return value;
}

std::vector<std::uint8_t> Bytes(const SectorImage& image, std::size_t offset, std::size_t count)
{
    return {image.begin() + offset, image.begin() + offset + count};
}

// Offsets of every byte that a builder sets; all others must stay 0.
void ExpectZeroOutside(const SectorImage& image, const std::set<std::size_t>& set)
{
    for (std::size_t i = 0; i < image.size(); ++i) {
        if (!set.contains(i)) {
            EXPECT_EQ(image[i], 0) << "byte " << i;
        }
    }
}

std::set<std::size_t> Range(std::initializer_list<std::pair<std::size_t, std::size_t>> spans)
{
    std::set<std::size_t> offsets;
    for (auto [from, count] : spans)
        for (std::size_t i = from; i < from + count; ++i) offsets.insert(i);
    return offsets;
}

TEST(BootSectorImages, Fat16ImageHoldsTheLayoutAndNothingElse)
{
    SectorImage image{};
    BuildFat16Image(image, 8, 4, 2000000, 250);

    EXPECT_EQ(Bytes(image, 0, 11),
              (std::vector<std::uint8_t>{0xEB, 0x3C, 0x90, 'M', 'S', 'D', 'O', 'S', '5', '.', '0'}));
    EXPECT_EQ(Le(image, 11, 2), 512u);
    EXPECT_EQ(image[13], 8);
    EXPECT_EQ(Le(image, 14, 2), 4u);
    EXPECT_EQ(image[16], 2);
    EXPECT_EQ(Le(image, 17, 2), 512u);
    EXPECT_EQ(Le(image, 19, 2), 0u);
    EXPECT_EQ(image[21], 0xF8);
    EXPECT_EQ(Le(image, 22, 2), 250u);
    EXPECT_EQ(Le(image, 32, 4), 2000000u);
    EXPECT_EQ(image[38], 0x29);
    EXPECT_EQ(image[510], 0x55);
    EXPECT_EQ(image[511], 0xAA);
    ExpectZeroOutside(image, Range({{0, 19}, {21, 3}, {32, 4}, {38, 1}, {510, 2}}));
}

TEST(BootSectorImages, Fat32ImageHoldsTheLayoutAndNothingElse)
{
    SectorImage image{};
    LabelGenerator labels;
    BuildFat32Image(image, labels, 16, 32, 15631182, 15264);

    EXPECT_EQ(Bytes(image, 0, 11),
              (std::vector<std::uint8_t>{0xEB, 0x58, 0x90, 'M', 'S', 'D', 'O', 'S', '5', '.', '0'}));
    EXPECT_EQ(Le(image, 11, 2), 512u);
    EXPECT_EQ(image[13], 16);
    EXPECT_EQ(Le(image, 14, 2), 32u);
    EXPECT_EQ(image[16], 2);
    EXPECT_EQ(Le(image, 17, 2), 0u);
    EXPECT_EQ(image[21], 0xF8);
    EXPECT_EQ(Le(image, 22, 2), 0u);
    EXPECT_EQ(Le(image, 32, 4), 15631182u);
    EXPECT_EQ(Le(image, 36, 4), 15264u);
    EXPECT_EQ(Le(image, 44, 4), 2u);
    EXPECT_EQ(Le(image, 48, 2), 0u);
    EXPECT_EQ(Le(image, 50, 2), 0u);
    EXPECT_EQ(image[64], 0);
    EXPECT_EQ(image[66], 0x29);
    EXPECT_EQ(Bytes(image, 71, 11),
              (std::vector<std::uint8_t>{0x00, 0x08, 0xDB, 0x33, 0x45, 0xAB, 0x51, 0x29, 0x5E, 0x6C, 0x14}));
    ExpectZeroOutside(image, Range({{0, 17}, {21, 1}, {32, 8}, {44, 1}, {66, 1}, {71, 11}, {510, 2}}));
}

TEST(BootSectorImages, LabelsContinueThroughTheRunAndFat16BuildsDrawNone)
{
    SectorImage fat16{};
    SectorImage fat32{};
    LabelGenerator labels;
    BuildFat32Image(fat32, labels, 8, 32, 100000, 1000);
    BuildFat16Image(fat16, 4, 1, 100000, 200);
    BuildFat32Image(fat32, labels, 8, 32, 100000, 1000);
    EXPECT_EQ(Bytes(fat32, 71, 11),
              (std::vector<std::uint8_t>{0x79, 0x11, 0xD6, 0x0F, 0x4A, 0xE9, 0x5D, 0xC5, 0x53, 0xB1, 0xD7}));
    EXPECT_EQ(Bytes(fat16, 43, 11), std::vector<std::uint8_t>(11, 0));
}

TEST(BootSectorImages, WideValuesKeepTheirLowBits)
{
    SectorImage fat16{};
    BuildFat16Image(fat16, static_cast<std::uint8_t>(256 + 8), static_cast<std::uint16_t>(65536 + 6), 70000, 70000);
    EXPECT_EQ(Le(fat16, 22, 2), 4464u);
    EXPECT_EQ(fat16[13], 8);
    EXPECT_EQ(Le(fat16, 14, 2), 6u);

    SectorImage fat32{};
    LabelGenerator labels;
    BuildFat32Image(fat32, labels, 8, 32, 70000, 70000);
    EXPECT_EQ(Le(fat32, 36, 4), 70000u);
    EXPECT_EQ(Le(fat32, 22, 2), 0u);
}

// A sector holding only the FAT32 jump EB 58 90 and the 55 AA signature.
SectorImage SignedFat32Jump()
{
    SectorImage sector{};
    sector[0] = 0xEB;
    sector[1] = 0x58;
    sector[2] = 0x90;
    sector[510] = 0x55;
    sector[511] = 0xAA;
    return sector;
}

TEST(BootSectorTest, VolmenderAcceptsAnyJumpDistance)
{
    SectorImage sector = SignedFat32Jump();
    EXPECT_TRUE(IsBootSector(VolmenderProfile, sector));
    sector[1] = 0x3C;
    EXPECT_TRUE(IsBootSector(VolmenderProfile, sector));

    SectorImage broken = sector;
    broken[0] = 0xE9;
    EXPECT_FALSE(IsBootSector(VolmenderProfile, broken));
    broken = sector;
    broken[2] = 0x00;
    EXPECT_FALSE(IsBootSector(VolmenderProfile, broken));
    broken = sector;
    std::swap(broken[510], broken[511]);
    EXPECT_FALSE(IsBootSector(VolmenderProfile, broken));
    broken[510] = broken[511] = 0;
    EXPECT_FALSE(IsBootSector(VolmenderProfile, broken));
}

TEST(BootSectorTest, Fat32OnlyProgramAcceptsOnlyTheFat32Jump)
{
    SectorImage sector = SignedFat32Jump();
    EXPECT_TRUE(IsBootSector(Fat32OnlyProfile, sector));
    sector[1] = 0x3C;
    EXPECT_FALSE(IsBootSector(Fat32OnlyProfile, sector));
    sector[1] = 0x58;
    sector[2] = 0x00;
    EXPECT_FALSE(IsBootSector(Fat32OnlyProfile, sector));
    sector[2] = 0x90;
    std::swap(sector[510], sector[511]);
    EXPECT_FALSE(IsBootSector(Fat32OnlyProfile, sector));
}

TEST(BootSectorTest, BuiltImagesPassTheirProgramsTest)
{
    SectorImage fat16{};
    SectorImage fat32{};
    LabelGenerator labels;
    BuildFat16Image(fat16, 4, 1, 100000, 200);
    BuildFat32Image(fat32, labels, 8, 32, 100000, 1000);
    EXPECT_TRUE(IsBootSector(VolmenderProfile, fat16));
    EXPECT_TRUE(IsBootSector(VolmenderProfile, fat32));
    EXPECT_TRUE(IsBootSector(Fat32OnlyProfile, fat32));
    EXPECT_FALSE(IsBootSector(Fat32OnlyProfile, fat16));
}

}  // namespace
}  // namespace repair
