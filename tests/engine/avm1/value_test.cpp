#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/avm1/value.h"

namespace swf::avm1 {

TEST(ValueCopies, ShareTextAndOutliveEachOther) {
    std::vector<Value> copies;
    {
        Value text(std::string(100, 'x'));
        for (int i = 0; i < 3; ++i) copies.push_back(text);
        text = Value(1.5);  // the copies keep the text
        EXPECT_TRUE(text.isNumber());
        EXPECT_EQ(text.string(), "");
    }
    for (const Value& v : copies) EXPECT_EQ(v.string(), std::string(100, 'x'));
    Value& first = copies[0];
    first = copies[0];  // assigned to itself
    EXPECT_EQ(first.string().size(), 100u);
    Value moved = std::move(copies[1]);
    EXPECT_TRUE(copies[1].isUndefined());
    EXPECT_EQ(moved.string(), copies[2].string());
    copies[2] = Value("other");
    EXPECT_EQ(moved.string().size(), 100u);
    EXPECT_EQ(Value(true).number(), 0);  // the payload of another kind reads as nothing
}

TEST(ValueCopies, AHoleReadsAsUndefined) {
    Value hole = Value::hole();
    EXPECT_TRUE(hole.isUndefined());
    EXPECT_TRUE(hole.isHole());
    EXPECT_FALSE(Value().isHole());
    Value copy = hole;
    EXPECT_TRUE(copy.isHole());
}

TEST(NumberText, FormatsLikeTheReferencePlayer) {
    EXPECT_EQ(numberToString(0.1), "0.1");
    EXPECT_EQ(numberToString(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(numberToString(2.0 / 3), "0.666666666666667");
    EXPECT_EQ(numberToString(-0.0), "0");
    EXPECT_EQ(numberToString(NAN), "NaN");
    EXPECT_EQ(numberToString(INFINITY), "Infinity");
    EXPECT_EQ(numberToString(-INFINITY), "-Infinity");
    EXPECT_EQ(numberToString(1e21), "1e+21");
    EXPECT_EQ(numberToString(1e15), "1e+15");
    EXPECT_EQ(numberToString(123456789012345), "123456789012345");
    EXPECT_EQ(numberToString(-42), "-42");
    EXPECT_EQ(numberToString(1.5e-7), "1.5e-7");
    EXPECT_EQ(numberToString(0.00001), "0.00001");
    EXPECT_EQ(numberToString(0.1 + 0.2), "0.3");
    EXPECT_EQ(numberToString(123.456), "123.456");
    EXPECT_EQ(numberToString(4294967296.5), "4294967296.5");
}

TEST(NumberText, ParsesNumbersAndRejectsTheRest) {
    EXPECT_EQ(stringToNumber("  12.5", false), 12.5);
    EXPECT_EQ(stringToNumber("-3e2", false), -300);
    EXPECT_EQ(stringToNumber("0x1F", true), 31);
    EXPECT_TRUE(std::isnan(stringToNumber("0x1F", false)));
    EXPECT_TRUE(std::isnan(stringToNumber("", false)));
    EXPECT_TRUE(std::isnan(stringToNumber("12abc", false)));
    EXPECT_TRUE(std::isnan(stringToNumber(".", false)));
    EXPECT_TRUE(std::isnan(stringToNumber("-Infinity", true)));
    EXPECT_TRUE(std::isnan(stringToNumber("Infinity", false)));
    // A zero-led run of octal digits is octal where hex is read; a non-octal digit makes it decimal.
    EXPECT_EQ(stringToNumber("010", true), 8);
    EXPECT_EQ(stringToNumber("-010", true), -8);
    EXPECT_EQ(stringToNumber("019", true), 19);
    EXPECT_EQ(stringToNumber("010", false), 10);
    EXPECT_EQ(stringToNumber(".5", false), 0.5);
}

TEST(NumberText, Int32Wraps) {
    EXPECT_EQ(toInt32(4294967297.0), 1);
    EXPECT_EQ(toInt32(-1.5), -1);
    EXPECT_EQ(toInt32(2147483648.0), -2147483647 - 1);
    EXPECT_EQ(toInt32(NAN), 0);
}

}  // namespace swf::avm1
