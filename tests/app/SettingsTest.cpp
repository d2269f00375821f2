#include <gtest/gtest.h>

#include <algorithm>

#include "CodePage.h"
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

TEST(Settings, FirstRunLoadsDefaultsAndSavesEveryKey) {
    EXPECT_EQ(FormAppName("Ostrel", 2, 8), "Ostrel 2.8");
    test::MemorySettingsStore store;
    StoredOptions loaded = LoadOptions(store, "Ostrel 2.8");
    EXPECT_EQ(loaded, StoredOptions{});
    EXPECT_TRUE(store.Values.empty());  // a load never writes
    loaded.SourcePath = loaded.OutputPath = "C:\\";
    SaveOptions(store, "Ostrel 2.8", loaded);
    EXPECT_EQ(Stored(store, "Ostrel 2.8"),
              "Advanced/AddDeviceName=1;Advanced/AddSerialNumber=1;Advanced/CommentCodePage=0;"
              "Advanced/DeviceName=Sony "
              "DSC-F1;Advanced/ExtractAlbumNumber=1;Advanced/ExtractComment=1;Advanced/"
              "ExtractEdited=1;Advanced/ExtractEditedDifferent=1;Advanced/ExtractFlash=1;Advanced/"
              "ExtractLensOrientation=1;Advanced/ExtractQuality=1;Advanced/ExtractRecorded=1;"
              "Advanced/ExtractShotNumber=1;Advanced/ExtractShutter=1;Advanced/"
              "IllegalCharacters=1;Advanced/SerialNumberMode=1;Advanced/WriteExifData=0;"
              "Main/DeleteSourceFiles=0;Main/"
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
        {"Advanced", "ExtractLensOrientation", "0x"},  // text after the number
        {"Advanced", "ExtractEditedDifferent", "2x"},
        {"Advanced", "SerialNumberMode", "256"},  // past 8 bits
        {"Advanced", "IllegalCharacters", "-1"},
        {"Advanced", "WriteExifData", "2"},
        {"Advanced", "CommentCodePage", "15"},  // past the list's fifteen entries
        {"Advanced", "ExtractComment", "0"},    // these three load as stored
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
}

TEST(Settings, TheThreeModesOtherThanOneLoadAndAreSavedAsTwo) {
    const char* const modes[] = {"SerialNumberMode", "ExtractEditedDifferent", "IllegalCharacters"};
    for (const char* stored : {"2", "0", "3", "7", "255"}) {
        test::MemorySettingsStore store;
        for (const char* key : modes) {
            store.Values[{"A", "Advanced", key}] = stored;
        }
        SaveOptions(store, "A", LoadOptions(store, "A"));
        for (const char* key : modes) {
            EXPECT_EQ((store.Values[{"A", "Advanced", key}]), "2") << key << " " << stored;
        }
    }
}

TEST(EngineOptions, EachStoredValueReachesItsOwnEngineOption) {
    const StoredOptions first;
    const ConversionOptions defaults = EngineOptions(first);
    EXPECT_EQ(defaults, ConversionOptions{});
    const auto with = [&](auto StoredOptions::*field, auto value) {
        StoredOptions stored = first;
        stored.*field = value;
        return EngineOptions(stored);
    };
    using S = StoredOptions;
    for (const auto& [value, mode] : {std::pair{-1, SubfolderMode::None},
                                      {0, SubfolderMode::None},
                                      {1, SubfolderMode::Matching},
                                      {2, SubfolderMode::TopLevel},
                                      {7, SubfolderMode::TopLevel}}) {
        EXPECT_EQ(with(&S::ProcessSubfolders, ListIndex(value)).Subfolders, mode) << value;
    }
    for (const auto& [value, deletion] : {std::pair{-1, SourceDeletion::None},
                                          {1, SourceDeletion::Pictures},
                                          {2, SourceDeletion::AllSonyFiles},
                                          {3, SourceDeletion::None}}) {
        EXPECT_EQ(with(&S::DeleteSourceFiles, ListIndex(value)).DeleteFiles, deletion) << value;
    }
    EXPECT_TRUE(with(&S::DeleteSourceSubfolders, ListIndex(1)).DeleteEmptySubfolders);
    EXPECT_FALSE(with(&S::DeleteSourceSubfolders, ListIndex(-1)).DeleteEmptySubfolders);
    for (const auto& [value, format] : {std::pair{0, NameFormat::HistoryData1},
                                        {1, NameFormat::HistoryData2Short},
                                        {2, NameFormat::HistoryData2Long},
                                        {-1, NameFormat::HistoryData2Long},
                                        {3, NameFormat::HistoryData2Long}}) {
        EXPECT_EQ(with(&S::JPGNameFormat, ListIndex(value)).Format, format) << value;
    }
    // A mode is its second choice at 2 only; IllegalCharacters translates at 1 only.
    for (const Mode mode : {0, 2, 3, 255}) {
        const bool two = mode == 2;
        EXPECT_EQ(with(&S::SerialNumberMode, mode).Serial,
                  two ? SerialNumbers::Always : SerialNumbers::WhenNeeded);
        EXPECT_EQ(with(&S::ExtractEditedDifferent, mode).Revised,
                  two ? RevisedDate::Always : RevisedDate::WhenDifferent);
        EXPECT_EQ(with(&S::IllegalCharacters, mode).Illegal, IllegalCharacters::Remove);
    }
    // Each check box switches its own component, and AddSerialNumber nothing.
    const std::pair<CheckBox S::*, bool NameComponents::*> boxes[] = {
        {&S::ExtractRecorded, &NameComponents::Recorded},
        {&S::ExtractAlbumNumber, &NameComponents::AlbumNumber},
        {&S::ExtractShotNumber, &NameComponents::ShotNumber},
        {&S::ExtractLensOrientation, &NameComponents::LensOrientation},
        {&S::ExtractFlash, &NameComponents::Flash},
        {&S::ExtractShutter, &NameComponents::ShutterSpeed},
        {&S::ExtractQuality, &NameComponents::Quality},
        {&S::ExtractEdited, &NameComponents::Revised},
        {&S::ExtractComment, &NameComponents::Comment},
        {&S::AddDeviceName, &NameComponents::DeviceName},
    };
    for (const auto& [box, component] : boxes) {
        ConversionOptions expected = defaults;
        expected.Include.*component = false;
        EXPECT_EQ(with(box, CheckBox(0)), expected);
    }
    EXPECT_EQ(with(&S::AddSerialNumber, CheckBox(0)), defaults);
    EXPECT_EQ(with(&S::WriteExifData, CheckBox(1)), defaults);  // the run's encoder's business
    EXPECT_EQ(with(&S::DeviceName, std::string("Mine")).DeviceName, "Mine");
}

TEST(EngineOptions, EachCodePageOfTheListIsTheOneItsEntryAndWordName) {
    const OptionField& field =
        *std::find_if(OptionTable().begin(), OptionTable().end(),
                      [](const OptionField& f) { return f.Key == std::string("CommentCodePage"); });
    const std::span<const unsigned> codePages = CommentCodePages();
    ASSERT_EQ(field.Entries.size(), codePages.size() + 1);
    ASSERT_EQ(field.Words.size(), codePages.size() + 1);
    EXPECT_EQ(field.Entries[0], "System default");
    EXPECT_EQ(field.Words[0], (OptionWord{"system", 0}));
    EXPECT_EQ(codePages.front(), 874U);
    for (std::size_t i = 0; i < codePages.size(); ++i) {
        const std::string number = std::to_string(codePages[i]);
        StoredOptions stored;
        stored.CommentCodePage = static_cast<ListIndex>(i + 1);
        EXPECT_EQ(EngineOptions(stored).CommentCodePage, codePages[i]);
        EXPECT_TRUE(field.Entries[i + 1].ends_with(" (" + number + ")")) << field.Entries[i + 1];
        EXPECT_EQ(field.Words[i + 1], (OptionWord{number, static_cast<int>(i + 1)}));
    }
    // The system's own, and what no entry is, read as the system's.
    for (const ListIndex index : {0, -1, 15}) {
        EXPECT_EQ(EngineOptions(StoredOptions{.CommentCodePage = index}).CommentCodePage,
                  SystemCodePage())
            << index;
    }
}

}  // namespace
}  // namespace ostrel
