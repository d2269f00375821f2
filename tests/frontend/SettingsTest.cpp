#include <gtest/gtest.h>

#include "FrontendDoubles.h"
#include "Settings.h"

namespace ostrel {
namespace {

using Key = std::tuple<std::string, std::string, std::string>;

TEST(Settings, AppNameLeavesOutTheRevision) {
    EXPECT_EQ(FormAppName("Ostrel", 2, 8), "Ostrel 2.8");
    EXPECT_EQ(FormAppName("Ostrel", 10, 0), "Ostrel 10.0");
}

TEST(Settings, FirstRunLoadsDefaultsAndSavesAll21Keys) {
    test::MemorySettingsStore store;
    const ConversionOptions loaded = LoadOptions(store, "Ostrel 2.8");
    EXPECT_EQ(loaded, ConversionOptions{});
    EXPECT_EQ(store.Writes, 0);  // a load never writes

    SaveOptions(store, "Ostrel 2.8", loaded);
    EXPECT_EQ(store.Writes, 21);
    const std::string home = DefaultFolder();
    const std::map<Key, std::string> expected = {
        {{"Ostrel 2.8", "Main", "SourcePath"}, home},
        {{"Ostrel 2.8", "Main", "OutputPath"}, home},
        {{"Ostrel 2.8", "Main", "ProcessSubfolders"}, "0"},
        {{"Ostrel 2.8", "Main", "DeleteSourceFiles"}, "0"},
        {{"Ostrel 2.8", "Main", "DeleteSourceSubfolders"}, "0"},
        {{"Ostrel 2.8", "Main", "JPGNameFormat"}, "1"},
        {{"Ostrel 2.8", "Advanced", "ExtractRecorded"}, "1"},
        {{"Ostrel 2.8", "Advanced", "AddSerialNumber"}, "1"},
        {{"Ostrel 2.8", "Advanced", "SerialNumberMode"}, "1"},
        {{"Ostrel 2.8", "Advanced", "ExtractAlbumNumber"}, "1"},
        {{"Ostrel 2.8", "Advanced", "ExtractShotNumber"}, "1"},
        {{"Ostrel 2.8", "Advanced", "ExtractLensOrientation"}, "1"},
        {{"Ostrel 2.8", "Advanced", "ExtractFlash"}, "1"},
        {{"Ostrel 2.8", "Advanced", "ExtractShutter"}, "1"},
        {{"Ostrel 2.8", "Advanced", "ExtractQuality"}, "1"},
        {{"Ostrel 2.8", "Advanced", "ExtractEdited"}, "1"},
        {{"Ostrel 2.8", "Advanced", "ExtractEditedDifferent"}, "1"},
        {{"Ostrel 2.8", "Advanced", "ExtractComment"}, "1"},
        {{"Ostrel 2.8", "Advanced", "IllegalCharacters"}, "1"},
        {{"Ostrel 2.8", "Advanced", "AddDeviceName"}, "1"},
        {{"Ostrel 2.8", "Advanced", "DeviceName"}, "Sony DSC-F1"},
    };
    EXPECT_EQ(store.Values, expected);
}

TEST(Settings, ModesOtherThanOneLoadAsTwo) {
    for (const char* stored : {"2", "0", "3", "7", "255"}) {
        test::MemorySettingsStore store;
        for (const char* key :
             {"SerialNumberMode", "ExtractEditedDifferent", "IllegalCharacters"}) {
            store.Values[{"A", "Advanced", key}] = stored;
        }
        const ConversionOptions o = LoadOptions(store, "A");
        EXPECT_EQ(o.SerialNumberMode, 2) << stored;
        EXPECT_EQ(o.ExtractEditedDifferent, 2) << stored;
        EXPECT_EQ(o.IllegalCharacters, 2) << stored;
        SaveOptions(store, "A", o);
        EXPECT_EQ((store.Values[{"A", "Advanced", "SerialNumberMode"}]), "2");
    }
}

TEST(Settings, UnloadableValuesFallBackToTheirDefaults) {
    test::MemorySettingsStore store;
    const auto set = [&](const char* section, const char* key, const char* value) {
        store.Values[{"A", section, key}] = value;
    };
    set("Main", "ProcessSubfolders", "3");       // past the list
    set("Main", "DeleteSourceFiles", "abc");     // not a number
    set("Main", "DeleteSourceSubfolders", "2");  // the list has two entries
    set("Main", "JPGNameFormat", "");            // empty
    set("Advanced", "ExtractFlash", "2");        // a check box is 0 or 1
    set("Advanced", "ExtractShutter", "99999");  // past 16 bits
    set("Advanced", "ExtractQuality", " 0");     // blanks are not digits
    set("Advanced", "SerialNumberMode", "256");  // past 8 bits
    set("Advanced", "IllegalCharacters", "-1");
    set("Advanced", "ExtractComment", "0");
    set("Main", "SourcePath", "");  // texts are taken at their word
    set("Advanced", "DeviceName", "");
    const ConversionOptions o = LoadOptions(store, "A");
    ConversionOptions expected;
    expected.SourcePath = "";
    expected.DeviceName = "";
    expected.ExtractComment = 0;
    EXPECT_EQ(o, expected);

    set("Main", "JPGNameFormat", "-1");  // no entry picked
    set("Main", "ProcessSubfolders", "2");
    EXPECT_EQ(LoadOptions(store, "A").JPGNameFormat, -1);
    EXPECT_EQ(LoadOptions(store, "A").ProcessSubfolders, 2);
}

TEST(Settings, ReleasesKeepTheirOwnSettings) {
    test::MemorySettingsStore store;
    ConversionOptions changed;
    changed.JPGNameFormat = 0;
    SaveOptions(store, "Ostrel 2.8", changed);
    EXPECT_EQ(LoadOptions(store, "Ostrel 2.8").JPGNameFormat, 0);
    EXPECT_EQ(LoadOptions(store, "Ostrel 2.9").JPGNameFormat, 1);
}

}  // namespace
}  // namespace ostrel
