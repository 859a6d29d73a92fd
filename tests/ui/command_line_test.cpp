#include "app/command_line.h"

#include "support/error.h"

#include <gtest/gtest.h>

namespace {

using app::RunMode;

TEST(CommandLine, TheFirstTwoCharactersChooseTheMode) {
    for (const char* p : {"/s", "/S", "/s:1234", "/Saver"}) EXPECT_EQ(app::runModeFor(1, p), RunMode::FullScreen) << p;
    for (const char* p : {"/c", "/C", "/c:1234"}) EXPECT_EQ(app::runModeFor(1, p), RunMode::About) << p;
    for (const char* p : {"/p", "/P", "/p:1234"}) EXPECT_EQ(app::runModeFor(2, p), RunMode::Preview) << p;
    for (const char* p : {"/a", "/A", "-s", "s", "/X", "", "/", "S/"}) EXPECT_EQ(app::runModeFor(1, p), RunMode::None) << p;
    EXPECT_EQ(app::runModeFor(0, ""), RunMode::About);
    // An empty first parameter is still a parameter.
    EXPECT_EQ(app::runModeFor(1, ""), RunMode::None);
}

std::string conversionFailure(const std::string& text) {
    try {
        app::integerFromText(text);
    } catch (const sav::Error& e) {
        EXPECT_EQ(e.className(), "EConvertError");
        return e.what();
    }
    return "converted";
}

TEST(CommandLine, HandlesAreDecimalOrHexadecimalIntegers) {
    EXPECT_EQ(app::integerFromText("1234"), 1234);
    EXPECT_EQ(app::integerFromText("  +77"), 77);
    EXPECT_EQ(app::integerFromText("-5"), -5);
    EXPECT_EQ(app::integerFromText("2147483647"), 2147483647);
    EXPECT_EQ(app::integerFromText("-2147483648"), INT32_MIN);
    EXPECT_EQ(app::integerFromText("$1F"), 31);
    EXPECT_EQ(app::integerFromText("0xFFFFFFFF"), -1);
}

TEST(CommandLine, OtherTextIsNotAnInteger) {
    EXPECT_EQ(conversionFailure(""), "'' is not a valid integer value");
    EXPECT_EQ(conversionFailure("abc"), "'abc' is not a valid integer value");
    for (const char* text : {"12a", "2147483648", "-2147483649", "$", "0x", "-", "0x100000000", "1 2", "12 "})
        EXPECT_EQ(conversionFailure(text), "'" + std::string(text) + "' is not a valid integer value");
}

TEST(CommandLine, TheSaverWindowTestNamesNoWindowOfOurs) {
    std::string name = app::saverWindowTestClass();
    EXPECT_EQ(name.size(), 76u);
    EXPECT_EQ(name.substr(0, 17), "TfrmSCRViewEngine");
    EXPECT_EQ(name.find_first_not_of('`', 17), std::string::npos);
}

}  // namespace
