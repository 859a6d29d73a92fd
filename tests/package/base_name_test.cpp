#include "package/base_name.h"

#include <gtest/gtest.h>

namespace {

TEST(BaseName, OnlyTheLastExtensionOfTheLastComponentGoes) {
    EXPECT_EQ(sav::RemoveExtension("Sample.Saver.scr"), "Sample.Saver");
    EXPECT_EQ(sav::RemoveExtension("Sample"), "Sample");
    EXPECT_EQ(sav::RemoveExtension("C:\\dir.d\\Sample"), "C:\\dir.d\\Sample");
    EXPECT_EQ(sav::RemoveExtension("C:Sample.scr"), "C:Sample");
    EXPECT_EQ(sav::RemoveExtension(".scr"), "");
    EXPECT_EQ(sav::LastPathComponent("C:\\Windows\\Sample.Saver.scr"), "Sample.Saver.scr");
    EXPECT_EQ(sav::LastPathComponent("C:Sample.scr"), "Sample.scr");
    EXPECT_EQ(sav::LastPathComponent("Sample.scr"), "Sample.scr");
    EXPECT_EQ(sav::RemoveExtension(sav::LastPathComponent("C:\\a.b\\Sample.Saver.scr")), "Sample.Saver");
}

}  // namespace
