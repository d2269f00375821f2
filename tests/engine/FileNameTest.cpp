#include <gtest/gtest.h>

#include <vector>

#include "ComposeFileName.h"
#include "StoredOptions.h"
#include "TranslateCharacters.h"

namespace ostrel {
namespace {

const DateTime Recorded{1999, 7, 4, 14, 5, 9}, Revised{1999, 7, 5, 10, 0, 0};
const PictureHistory WorkedExample{Recorded,
                                   Revised,
                                   {0, Lens::Forward},
                                   {1, true},
                                   {500, ExposureTime{1, 30}},
                                   {23, PictureQuality::Standard},
                                   "Paris",
                                   12,
                                   34};

// The name for options as the window stores them.
std::string Name(const PictureHistory& history, const StoredOptions& options,
                 std::int32_t serialNumber) {
    return ComposeFileName(ComposeNameParts(history, EngineOptions(options)), serialNumber);
}

StoredOptions Format(int format, bool allOff = false) {
    StoredOptions o;
    o.JPGNameFormat = static_cast<ListIndex>(format);
    if (allOff) {
        o.ExtractRecorded = o.ExtractAlbumNumber = o.ExtractShotNumber = 0;
        o.ExtractLensOrientation = o.ExtractFlash = o.ExtractShutter = o.ExtractQuality = 0;
        o.ExtractEdited = o.ExtractComment = o.AddDeviceName = 0;
    }
    return o;
}

TEST(TranslateCharacters, EveryIllegalCharacterInBothModes) {
    const std::string all = "a@#.~{}=;\\/:*?<>|\"b";
    EXPECT_EQ(TranslateCharacters(all, IllegalCharacters::Translate),
              "a[At Sign][Pound Sign][Period][Tilde][Left Curly Bracket][Right Curly Bracket]"
              "[Equals Sign][Semicolon][Backslash][Forward Slash][Colon][Asterisk][Question Mark]"
              "[Smaller Than][Greater Than][Pipe Symbol][Quote]b");
    EXPECT_EQ(TranslateCharacters(all, IllegalCharacters::Remove), "ab");
    EXPECT_EQ(TranslateCharacters("", IllegalCharacters::Translate), "");
    const std::string legal = "[Period] []-!$%&'()+,^_` Caf\u00E9 \u20AC\t";
    EXPECT_EQ(TranslateCharacters(legal, IllegalCharacters::Translate), legal);
    EXPECT_EQ(TranslateCharacters(legal, IllegalCharacters::Remove), legal);
}

TEST(ComposeFileName, WorkedExampleInEveryFormat) {
    const PictureHistory h = WorkedExample;
    EXPECT_EQ(Name(h, Format(0), 1),
              "1999-07-04 @14-05-09 1999-07-05 @10-00-00 Sony DSC-F1 Forward FY 033ms Standard "
              "PIC012 PSN034 Paris.jpg");
    EXPECT_EQ(Name(h, Format(1), 1),
              "{DT=1999-07-04 @14-05-09}{VT=1999-07-05 @10-00-00}{DV=Sony DSC-F1{LE=Forward}"
              "{FL=Y}{SP=033ms}{CP=Standard}}{BA=012}{VO=034}{CO=Paris}.jpg");
    EXPECT_EQ(Name(h, Format(2), 1),
              "{Date=1999-07-04 @14-05-09}{Version Date=1999-07-05 @10-00-00}{Device=Sony "
              "DSC-F1{Lens=Forward}{Flash=Y}{Speed=033ms}{Compression=Standard}}{Batch=012}"
              "{Volume=034}{Comment=Paris}.jpg");
    EXPECT_EQ(Name(h, Format(0), 2),
              "1999-07-04 @14-05-09 #002 1999-07-05 @10-00-00 Sony DSC-F1 Forward FY 033ms "
              "Standard PIC012 PSN034 Paris.jpg");
    EXPECT_EQ(Name(h, Format(1), 2),
              "{DT=1999-07-04 @14-05-09}{SN=002}{VT=1999-07-05 @10-00-00}{DV=Sony "
              "DSC-F1{LE=Forward}{FL=Y}{SP=033ms}{CP=Standard}}{BA=012}{VO=034}{CO=Paris}.jpg");
    EXPECT_EQ(Name(h, Format(2), 2),
              "{Date=1999-07-04 @14-05-09}{Serial=002}{Version Date=1999-07-05 @10-00-00}"
              "{Device=Sony DSC-F1{Lens=Forward}{Flash=Y}{Speed=033ms}{Compression=Standard}}"
              "{Batch=012}{Volume=034}{Comment=Paris}.jpg");
    // A stored format outside the list is read as format 2 throughout.
    for (int f : {-1, 3, 32767}) {
        EXPECT_EQ(Name(h, Format(f), 3), Name(h, Format(2), 3)) << f;
    }
}

TEST(ComposeFileName, SerialNumbersAndTheDevice) {
    const PictureHistory h = WorkedExample;
    EXPECT_EQ(Name(h, Format(2, true), 1), ".jpg");
    EXPECT_EQ(Name(h, Format(0, true), 2), "#002.jpg");  // its blank trimmed
    EXPECT_EQ(Name(h, Format(1, true), 3), "{SN=003}.jpg");
    EXPECT_EQ(Name(h, Format(0, true), 1000), "#1000.jpg");
    StoredOptions always = Format(0, true);
    always.SerialNumberMode = 2;
    always.ExtractRecorded = 1;
    EXPECT_EQ(Name(h, always, 1), "1999-07-04 @14-05-09 #001.jpg");
    always.JPGNameFormat = 2;
    EXPECT_EQ(Name(h, always, 1), "{Date=1999-07-04 @14-05-09}{Serial=001}.jpg");
    always.SerialNumberMode = 0;  // any mode but 2 means "Only when needed"
    EXPECT_EQ(Name(h, always, 1), "{Date=1999-07-04 @14-05-09}.jpg");

    // The device encloses the attributes.
    StoredOptions o = Format(1, true);
    o.ExtractLensOrientation = o.ExtractFlash = o.ExtractShutter = o.ExtractQuality = 1;
    EXPECT_EQ(Name(h, o, 1), ".jpg");  // no device, no attributes
    o = Format(1, true);
    o.AddDeviceName = 1;
    EXPECT_EQ(Name(h, o, 1), "{DV=Sony DSC-F1}.jpg");
    o.JPGNameFormat = 0;
    EXPECT_EQ(Name(h, o, 1), "Sony DSC-F1.jpg");
    o.ExtractFlash = 1;
    EXPECT_EQ(Name(h, o, 1), "Sony DSC-F1 FY.jpg");
    o.JPGNameFormat = 2;
    o.DeviceName = " A.B ";  // used as it stands: no translation, no trimming
    EXPECT_EQ(Name(h, o, 1), "{Device= A.B {Flash=Y}}.jpg");
}

TEST(ComposeFileName, AShortenedCommentLosesWholeCharactersMarkedWithAnEllipsis) {
    NameParts parts;
    parts.RecordedPart = "{DT=1999-07-04 @14-05-09}";
    parts.Comment =
        "x\xE2\x82\xAC"
        "c";  // "x€c"
    parts.CommentBytes = parts.Comment.size();
    const std::string mark = "\xE2\x80\xA6";  // "…"
    std::vector<std::string> names{ComposeFileName(parts, 1)};
    while (ShortenComment(parts)) {
        names.push_back(ComposeFileName(parts, 1));
    }
    EXPECT_EQ(names, (std::vector<std::string>{
                         "{DT=1999-07-04 @14-05-09}{CO=x\xE2\x82\xAC"
                         "c}.jpg",
                         "{DT=1999-07-04 @14-05-09}{CO=x\xE2\x82\xAC" + mark + "}.jpg",
                         "{DT=1999-07-04 @14-05-09}{CO=x" + mark + "}.jpg",
                         "{DT=1999-07-04 @14-05-09}{CO=" + mark + "}.jpg",
                         "{DT=1999-07-04 @14-05-09}.jpg"}));
}

TEST(ComposeFileName, RevisedDateAlbumShotAndComment) {
    PictureHistory h = WorkedExample;
    h.RevisedDateTime = h.RecordedDateTime;
    StoredOptions o = Format(1, true);
    o.ExtractEdited = 1;
    EXPECT_EQ(Name(h, o, 1), ".jpg");  // the same as recorded
    o.ExtractEditedDifferent = 2;
    EXPECT_EQ(Name(h, o, 1), "{VT=1999-07-04 @14-05-09}.jpg");
    o.ExtractEditedDifferent = 1;
    h.RevisedDateTime.Second = 10;  // one second apart is different
    EXPECT_EQ(Name(h, o, 1), "{VT=1999-07-04 @14-05-10}.jpg");
    h.RevisedDateTime.Second = 8;  // and so is one second earlier
    EXPECT_EQ(Name(h, o, 1), "{VT=1999-07-04 @14-05-08}.jpg");

    o = Format(1, true);
    o.ExtractAlbumNumber = o.ExtractShotNumber = o.ExtractComment = 1;
    h.AlbumNumber = -1;
    h.ShotNumber = 0;
    h.Comment = "12:30";
    EXPECT_EQ(Name(h, o, 1), "{VO=000}{CO=12[Colon]30}.jpg");
    h.AlbumNumber = 0;  // PIC00000: an album like any other
    EXPECT_EQ(Name(h, o, 1), "{BA=000}{VO=000}{CO=12[Colon]30}.jpg");
    h.AlbumNumber = 1234;
    o.JPGNameFormat = 0;
    o.IllegalCharacters = 2;
    EXPECT_EQ(Name(h, o, 1), "PIC1234 PSN000 1230.jpg");
    h.Comment = "?*:";  // nothing left: no comment component
    o.JPGNameFormat = 1;
    EXPECT_EQ(Name(h, o, 1), "{BA=1234}{VO=000}.jpg");
}

}  // namespace
}  // namespace ostrel
