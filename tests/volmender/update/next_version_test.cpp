#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "fixtures/temp_dir.h"
#include "ui/web_addresses.h"
#include "volmender/update/update_download.h"

namespace {

using update::NextVersion;

TEST(NextVersion, AddsOneHundredthAndDropsTrailingZeros) {
    EXPECT_EQ(NextVersion("1.22"), "1.23");
    EXPECT_EQ(NextVersion("1.99"), "2");
    EXPECT_EQ(NextVersion("0.99"), "1");
    EXPECT_EQ(NextVersion("1.2"), "1.21");
    EXPECT_EQ(NextVersion("9.99"), "10");
    EXPECT_EQ(NextVersion("1.09"), "1.1");
    EXPECT_EQ(NextVersion("0"), "0.01");
    EXPECT_EQ(NextVersion("1.225"), "1.235");
}

// Binary floating point cannot hold these sums exactly; the rounding to 15
// significant digits must still give the decimal result for every version.
TEST(NextVersion, EveryTwoDecimalVersionGivesTheDecimalSum) {
    auto text = [](int hundredths) {
        std::string whole = std::to_string(hundredths / 100);
        const int cents = hundredths % 100;
        if (cents == 0) return whole;
        if (cents % 10 == 0) return whole + "." + std::to_string(cents / 10);
        return whole + (cents < 10 ? ".0" : ".") + std::to_string(cents);
    };
    for (int hundredths = 0; hundredths < 10000; ++hundredths)
        ASSERT_EQ(NextVersion(text(hundredths)), text(hundredths + 1)) << text(hundredths);
}

TEST(NextVersion, TextThatIsNoNumberRaisesTheConversionMessage) {
    for (const std::string bad : {"", "abc", "1,22", "1.22a", "1..2", "inf", "nan", "1e99999"}) {
        try {
            NextVersion(bad);
            ADD_FAILURE() << "no error for '" << bad << "'";
        } catch (const std::invalid_argument& error) {
            EXPECT_EQ(std::string(error.what()), "'" + bad + "' is not a valid floating point value");
        }
    }
}

// Under a locale whose decimal separator is a comma the version still reads
// and writes with a full stop. The locale is compiled for the test, as the
// machine may have none installed.
TEST(NextVersion, DoesNotDependOnTheLocaleDecimalSeparator) {
    // A folder of this run's own: runs side by side must not remove each other's locale.
    const fixtures::TempDir temp;
    const std::filesystem::path folder = temp.Path();
    const std::string build = "localedef -i de_DE -f UTF-8 '" + (folder / "de_DE.UTF-8").string() +
                              "' >/dev/null 2>&1";
    if (std::system(build.c_str()) != 0) GTEST_SKIP() << "localedef cannot build de_DE";
    setenv("LOCPATH", folder.c_str(), 1);
    ASSERT_NE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr);
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");

    EXPECT_EQ(NextVersion("1.22"), "1.23");
    EXPECT_EQ(NextVersion("2.5"), "2.51");
    EXPECT_THROW(NextVersion("1,22"), std::invalid_argument);

    std::setlocale(LC_NUMERIC, "C");
    unsetenv("LOCPATH");
}

TEST(UpdateLocation, NamesTheNextVersionsArchive) {
    const std::string next = NextVersion("1.22");
    EXPECT_EQ(update::UpdateFileName(next), "volmender1.23.rar");
    EXPECT_EQ(update::UpdateUrl(next),
              std::string("http://") + web_addresses::UpdateHost + "/update/volmender1.23.rar");
}

}  // namespace
