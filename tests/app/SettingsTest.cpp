#include <gtest/gtest.h>

#include "Doubles.h"
#include "Settings.h"

namespace ostrel {
namespace {

// "Section/Key=Value" for every stored value of one application, in key order.
std::string Stored(const test::MemorySettingsStore& store, const std::string& application) {
    std::string text;
    for (const auto& [address, value] : store.Values) {
        if (std::get<0>(address) == application) {
            text += std::get<1>(address) + "/" + std::get<2>(address) + "=" + value + ";";
        }
    }
    return text;
}

TEST(Settings, FirstRunLoadsDefaultsAndSavesAll21Keys) {
    EXPECT_EQ(FormAppName("Ostrel", 2, 8), "Ostrel 2.8");
    test::MemorySettingsStore store;
    StoredOptions loaded = LoadOptions(store, "Ostrel 2.8");
    EXPECT_EQ(loaded, StoredOptions{});
    EXPECT_TRUE(store.Values.empty());  // a load never writes
    loaded.SourcePath = loaded.OutputPath = "C:\\";
    SaveOptions(store, "Ostrel 2.8", loaded);
    EXPECT_EQ(Stored(store, "Ostrel 2.8"),
              "Advanced/AddDeviceName=1;Advanced/AddSerialNumber=1;Advanced/DeviceName=Sony "
              "DSC-F1;Advanced/ExtractAlbumNumber=1;Advanced/ExtractComment=1;Advanced/"
              "ExtractEdited=1;Advanced/ExtractEditedDifferent=1;Advanced/ExtractFlash=1;Advanced/"
              "ExtractLensOrientation=1;Advanced/ExtractQuality=1;Advanced/ExtractRecorded=1;"
              "Advanced/ExtractShotNumber=1;Advanced/ExtractShutter=1;Advanced/"
              "IllegalCharacters=1;Advanced/SerialNumberMode=1;Main/DeleteSourceFiles=0;Main/"
              "DeleteSourceSubfolders=0;Main/JPGNameFormat=1;Main/OutputPath=C:\\;Main/"
              "ProcessSubfolders=0;Main/SourcePath=C:\\;");
    EXPECT_EQ(LoadOptions(store, "Ostrel 2.9").JPGNameFormat, 1);  // another release: its own
}

TEST(Settings, UnloadableValuesFallBackToTheirDefaults) {
    test::MemorySettingsStore store;
    const std::tuple<const char*, const char*, const char*> values[] = {
        {"Main", "ProcessSubfolders", "3"},       // past the list
        {"Main", "DeleteSourceFiles", "abc"},     // not a number
        {"Main", "DeleteSourceSubfolders", "2"},  // the list has two entries
        {"Main", "JPGNameFormat", ""},
        {"Advanced", "ExtractFlash", "2"},        // a check box is 0 or 1
        {"Advanced", "ExtractShutter", "99999"},  // past 16 bits
        {"Advanced", "ExtractQuality", " 0"},
        {"Advanced", "SerialNumberMode", "256"},  // past 8 bits
        {"Advanced", "IllegalCharacters", "-1"},
        {"Advanced", "ExtractComment", "0"},  // these three load as stored
        {"Main", "SourcePath", ""},
        {"Advanced", "DeviceName", ""},
    };
    for (const auto& [section, key, value] : values) {
        store.Values[{"A", section, key}] = value;
    }
    EXPECT_EQ(LoadOptions(store, "A"),
              (StoredOptions{.SourcePath = "", .ExtractComment = 0, .DeviceName = ""}));
    store.Values[{"A", "Main", "JPGNameFormat"}] = "-1";  // no entry picked
    EXPECT_EQ(LoadOptions(store, "A").JPGNameFormat, -1);

    // The three modes other than 1 load, and are saved, as 2.
    const char* const modes[] = {"SerialNumberMode", "ExtractEditedDifferent", "IllegalCharacters"};
    for (const char* stored : {"2", "0", "3", "7", "255"}) {
        for (const char* key : modes) {
            store.Values[{"A", "Advanced", key}] = stored;
        }
        SaveOptions(store, "A", LoadOptions(store, "A"));
        for (const char* key : modes) {
            EXPECT_EQ((store.Values[{"A", "Advanced", key}]), "2") << key << " " << stored;
        }
    }
}

}  // namespace
}  // namespace ostrel
