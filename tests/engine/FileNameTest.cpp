#include <gtest/gtest.h>

#include "FileName.h"

namespace ostrel {
namespace {

PictureHistory WorkedExample() {
    PictureHistory h;
    h.RecordedDateTime = DateTime{1999, 7, 4, 14, 5, 9};
    h.RevisedDateTime = DateTime{1999, 7, 5, 10, 0, 0};
    h.LensOrientation = "Forward";
    h.Flash = "Y";
    h.ShutterSpeed = "033ms";
    h.Quality = "Standard";
    h.Comment = "Paris";
    h.AlbumNumber = 12;
    h.ShotNumber = 34;
    return h;
}

ConversionOptions Format(int format) {
    ConversionOptions o;
    o.JPGNameFormat = static_cast<ListIndex>(format);
    return o;
}

ConversionOptions AllOff(int format) {
    ConversionOptions o = Format(format);
    o.ExtractRecorded = o.ExtractAlbumNumber = o.ExtractShotNumber = 0;
    o.ExtractLensOrientation = o.ExtractFlash = o.ExtractShutter = o.ExtractQuality = 0;
    o.ExtractEdited = o.ExtractComment = o.AddDeviceName = 0;
    return o;
}

TEST(TranslateCharacters, EveryIllegalCharacterInBothModes) {
    const std::pair<char, const char*> table[] = {
        {'@', "[At Sign]"},
        {'#', "[Pound Sign]"},
        {'.', "[Period]"},
        {'~', "[Tilde]"},
        {'{', "[Left Curly Bracket]"},
        {'}', "[Right Curly Bracket]"},
        {'=', "[Equals Sign]"},
        {';', "[Semicolon]"},
        {'\\', "[Backslash]"},
        {'/', "[Forward Slash]"},
        {':', "[Colon]"},
        {'*', "[Asterisk]"},
        {'?', "[Question Mark]"},
        {'<', "[Smaller Than]"},
        {'>', "[Greater Than]"},
        {'|', "[Pipe Symbol]"},
        {'"', "[Quote]"},
    };
    for (const auto& [c, word] : table) {
        const std::string text = std::string("a") + c + "b";
        EXPECT_EQ(TranslateCharacters(text, true), std::string("a") + word + "b") << c;
        EXPECT_EQ(TranslateCharacters(text, false), "ab") << c;
    }
}

TEST(TranslateCharacters, LeavesEverythingElseAlone) {
    EXPECT_EQ(TranslateCharacters("", true), "");
    EXPECT_EQ(TranslateCharacters("", false), "");
    EXPECT_EQ(TranslateCharacters("12:30", true), "12[Colon]30");
    EXPECT_EQ(TranslateCharacters("12:30", false), "1230");
    EXPECT_EQ(TranslateCharacters("<>", true), "[Smaller Than][Greater Than]");
    EXPECT_EQ(TranslateCharacters("@#.~", false), "");
    EXPECT_EQ(TranslateCharacters("[Period]", true), "[Period]");
    EXPECT_EQ(TranslateCharacters("[Period]", false), "[Period]");
    EXPECT_EQ(TranslateCharacters("[]- !$%&'()+,^_`", true), "[]- !$%&'()+,^_`");
    EXPECT_EQ(TranslateCharacters("Caf\u00E9 \u20AC", true), "Caf\u00E9 \u20AC");
    const std::string once = TranslateCharacters("a.b:c/d", true);
    EXPECT_EQ(TranslateCharacters(once, true), once);
}

TEST(ComposeFileName, WorkedExampleInEveryFormat) {
    const PictureHistory h = WorkedExample();
    EXPECT_EQ(ComposeFileName(h, Format(0), 1),
              "1999-07-04 @14-05-09 1999-07-05 @10-00-00 Sony DSC-F1 Forward FY 033ms Standard "
              "PIC012 PSN034 Paris.jpg");
    EXPECT_EQ(ComposeFileName(h, Format(1), 1),
              "{DT=1999-07-04 @14-05-09}{VT=1999-07-05 @10-00-00}{DV=Sony DSC-F1{LE=Forward}"
              "{FL=Y}{SP=033ms}{CP=Standard}}{BA=012}{VO=034}{CO=Paris}.jpg");
    EXPECT_EQ(ComposeFileName(h, Format(2), 1),
              "{Date=1999-07-04 @14-05-09}{Version Date=1999-07-05 @10-00-00}{Device=Sony "
              "DSC-F1{Lens=Forward}{Flash=Y}{Speed=033ms}{Compression=Standard}}{Batch=012}"
              "{Volume=034}{Comment=Paris}.jpg");
    EXPECT_EQ(ComposeFileName(h, Format(0), 2),
              "1999-07-04 @14-05-09 #002 1999-07-05 @10-00-00 Sony DSC-F1 Forward FY 033ms "
              "Standard PIC012 PSN034 Paris.jpg");
    EXPECT_EQ(ComposeFileName(h, Format(1), 2),
              "{DT=1999-07-04 @14-05-09}{SN=002}{VT=1999-07-05 @10-00-00}{DV=Sony "
              "DSC-F1{LE=Forward}{FL=Y}{SP=033ms}{CP=Standard}}{BA=012}{VO=034}{CO=Paris}.jpg");
    EXPECT_EQ(ComposeFileName(h, Format(2), 2),
              "{Date=1999-07-04 @14-05-09}{Serial=002}{Version Date=1999-07-05 @10-00-00}"
              "{Device=Sony DSC-F1{Lens=Forward}{Flash=Y}{Speed=033ms}{Compression=Standard}}"
              "{Batch=012}{Volume=034}{Comment=Paris}.jpg");
}

TEST(ComposeFileName, SerialNumbers) {
    const PictureHistory h = WorkedExample();
    for (int f = 0; f <= 2; ++f) {
        EXPECT_EQ(ComposeFileName(h, AllOff(f), 1), ".jpg") << f;
    }
    EXPECT_EQ(ComposeFileName(h, AllOff(0), 2), "#002.jpg");
    EXPECT_EQ(ComposeFileName(h, AllOff(0), 3), "#003.jpg");
    EXPECT_EQ(ComposeFileName(h, AllOff(1), 2), "{SN=002}.jpg");
    EXPECT_EQ(ComposeFileName(h, AllOff(2), 2), "{Serial=002}.jpg");
    EXPECT_EQ(ComposeFileName(h, AllOff(0), 1000), "#1000.jpg");
    EXPECT_EQ(ComposeFileName(h, AllOff(1), 32767), "{SN=32767}.jpg");

    ConversionOptions always = AllOff(0);
    always.SerialNumberMode = 2;
    always.ExtractRecorded = 1;
    EXPECT_EQ(ComposeFileName(h, always, 1), "1999-07-04 @14-05-09 #001.jpg");
    always.JPGNameFormat = 1;
    EXPECT_EQ(ComposeFileName(h, always, 1), "{DT=1999-07-04 @14-05-09}{SN=001}.jpg");
    always.JPGNameFormat = 2;
    EXPECT_EQ(ComposeFileName(h, always, 1), "{Date=1999-07-04 @14-05-09}{Serial=001}.jpg");
    // Any mode but 2 means "Only when needed".
    always.SerialNumberMode = 0;
    EXPECT_EQ(ComposeFileName(h, always, 1), "{Date=1999-07-04 @14-05-09}.jpg");
}

TEST(ComposeFileName, DeviceEnclosesAttributes) {
    const PictureHistory h = WorkedExample();
    ConversionOptions o = AllOff(1);
    o.ExtractLensOrientation = o.ExtractFlash = o.ExtractShutter = o.ExtractQuality = 1;
    // Without the device, no attribute is written in any format.
    for (int f = 0; f <= 2; ++f) {
        o.JPGNameFormat = static_cast<ListIndex>(f);
        EXPECT_EQ(ComposeFileName(h, o, 1), ".jpg") << f;
    }
    o = AllOff(1);
    o.AddDeviceName = 1;
    EXPECT_EQ(ComposeFileName(h, o, 1), "{DV=Sony DSC-F1}.jpg");
    o.JPGNameFormat = 0;
    EXPECT_EQ(ComposeFileName(h, o, 1), "Sony DSC-F1.jpg");
    o.ExtractFlash = 1;
    EXPECT_EQ(ComposeFileName(h, o, 1), "Sony DSC-F1 FY.jpg");
    o.JPGNameFormat = 2;
    EXPECT_EQ(ComposeFileName(h, o, 1), "{Device=Sony DSC-F1{Flash=Y}}.jpg");
    // The device name is used as it stands: no translation, no trimming.
    o.DeviceName = " A.B ";
    EXPECT_EQ(ComposeFileName(h, o, 1), "{Device= A.B {Flash=Y}}.jpg");
    o.JPGNameFormat = 0;
    o.ExtractFlash = 0;
    EXPECT_EQ(ComposeFileName(h, o, 1), "A.B.jpg");
}

TEST(ComposeFileName, FlashInFormatZeroIsLetterFThenValue) {
    PictureHistory h = WorkedExample();
    ConversionOptions o = AllOff(0);
    o.AddDeviceName = 1;
    o.DeviceName = "D";
    o.ExtractFlash = 1;
    for (const char* flash : {"Y", "N", "7"}) {
        h.Flash = flash;
        EXPECT_EQ(ComposeFileName(h, o, 1), std::string("D F") + flash + ".jpg");
    }
}

TEST(ComposeFileName, RevisedDateOnlyWhenDifferentOrAlways) {
    PictureHistory h = WorkedExample();
    h.RevisedDateTime = h.RecordedDateTime;
    ConversionOptions o = AllOff(1);
    o.ExtractEdited = 1;
    EXPECT_EQ(ComposeFileName(h, o, 1), ".jpg");
    o.ExtractEditedDifferent = 2;
    EXPECT_EQ(ComposeFileName(h, o, 1), "{VT=1999-07-04 @14-05-09}.jpg");
    o.ExtractEditedDifferent = 1;
    h.RevisedDateTime.Second += 1;  // one second apart is different
    EXPECT_EQ(ComposeFileName(h, o, 1), "{VT=1999-07-04 @14-05-10}.jpg");
    o.JPGNameFormat = 0;  // leading blank trimmed without the recorded date
    EXPECT_EQ(ComposeFileName(h, o, 2), "#002 1999-07-04 @14-05-10.jpg");
}

TEST(ComposeFileName, AlbumShotAndComment) {
    PictureHistory h = WorkedExample();
    ConversionOptions o = AllOff(1);
    o.ExtractAlbumNumber = o.ExtractShotNumber = o.ExtractComment = 1;
    h.AlbumNumber = -1;
    h.ShotNumber = 0;
    EXPECT_EQ(ComposeFileName(h, o, 1), "{VO=000}{CO=Paris}.jpg");
    h.AlbumNumber = 1234;
    EXPECT_EQ(ComposeFileName(h, o, 1), "{BA=1234}{VO=000}{CO=Paris}.jpg");
    o.JPGNameFormat = 0;
    EXPECT_EQ(ComposeFileName(h, o, 1), "PIC1234 PSN000 Paris.jpg");

    o = AllOff(1);
    o.ExtractComment = 1;
    h.Comment = "12:30";
    EXPECT_EQ(ComposeFileName(h, o, 1), "{CO=12[Colon]30}.jpg");
    o.IllegalCharacters = 2;
    EXPECT_EQ(ComposeFileName(h, o, 1), "{CO=1230}.jpg");
    h.Comment = "?*:";
    EXPECT_EQ(ComposeFileName(h, o, 1), ".jpg");
    o.IllegalCharacters = 0;  // any mode but 1 removes
    EXPECT_EQ(ComposeFileName(h, o, 1), ".jpg");
    o.ExtractComment = 0;
    h.Comment = "x";
    EXPECT_EQ(ComposeFileName(h, o, 1), ".jpg");
}

TEST(ComposeFileName, FormatsOutsideTheListAreReadAsFormatTwo) {
    const PictureHistory h = WorkedExample();
    const std::string two = ComposeFileName(h, Format(2), 3);
    for (int f : {-1, 3, 99, -32768}) {
        EXPECT_EQ(ComposeFileName(h, Format(f), 3), two) << f;
    }
}

TEST(ComposeFileName, OnlyTheSerialPartDependsOnTheSerialNumber) {
    const PictureHistory h = WorkedExample();
    const NameParts parts = ComposeNameParts(h, Format(1));
    for (int serial : {1, 2, 999, 1000}) {
        EXPECT_EQ(ComposeFileName(parts, serial), ComposeFileName(h, Format(1), serial));
    }
}

}  // namespace
}  // namespace ostrel
