#include "text/DeviceNames.h"

#include <gtest/gtest.h>

namespace tessel {
namespace {

TEST(DeviceNames, EveryDeviceInAnyCaseWithAnyExtension)
{
    for (const char* device : {"con", "prn", "aux", "nul", "conin$", "conout$"}) {
        for (const std::string& name : {std::string(device), std::string(device) + ".pud",
                                       std::string(device) + ".tar.gz"}) {
            EXPECT_TRUE(IsWindowsDeviceName(name)) << name;
            std::string upper = name;
            for (char& c : upper)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            EXPECT_TRUE(IsWindowsDeviceName(upper)) << upper;
        }
    }
    for (char digit = '1'; digit <= '9'; ++digit) {
        EXPECT_TRUE(IsWindowsDeviceName(std::string("com") + digit + ".bmp")) << digit;
        EXPECT_TRUE(IsWindowsDeviceName(std::string("LPT") + digit)) << digit;
    }
    EXPECT_TRUE(IsWindowsDeviceName("Com\xC2\xB9.pud"));  // superscript one
    EXPECT_TRUE(IsWindowsDeviceName("lpt\xC2\xB3"));
}

TEST(DeviceNames, WhatWindowsDropsFromTheEndOfANameDoesNotHideADevice)
{
    EXPECT_TRUE(IsWindowsDeviceName("con."));
    EXPECT_TRUE(IsWindowsDeviceName("con "));
    EXPECT_TRUE(IsWindowsDeviceName("nul .pud"));
    EXPECT_TRUE(IsWindowsDeviceName("aux. . "));
}

TEST(DeviceNames, OnlyTheLastPartOfAPathCounts)
{
    EXPECT_TRUE(IsWindowsDeviceName("C:\\maps\\con.pud"));
    EXPECT_TRUE(IsWindowsDeviceName("out/nul.bmp"));
    EXPECT_TRUE(IsWindowsDeviceName("D:aux"));
    EXPECT_FALSE(IsWindowsDeviceName("con\\map.pud"));
    EXPECT_FALSE(IsWindowsDeviceName("nul/map.pud"));
}

TEST(DeviceNames, NamesThatOnlyLookLikeDevicesAreFiles)
{
    for (const char* name : {"com0", "com10", "lpt0.pud", "lpt", "com", "console.pud", "icon.bmp", "acon.pud",
                             "con_map.pud", "nul-1.pud", "auxiliary", ".con", "com1x.pud", "", "."}) {
        EXPECT_FALSE(IsWindowsDeviceName(name)) << '"' << name << '"';
    }
}

}  // namespace
}  // namespace tessel
