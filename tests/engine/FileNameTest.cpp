// JPG file names: the three formats, serial numbers, the device and its
// attributes, the revised date, album, shot and comment, and illegal
// characters.

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "ComposeFileName.h"
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

// Every piece of the name off, but for those a row switches on.
constexpr NameComponents Nothing{false, false, false, false, false,
                                 false, false, false, false, false};

// A name for one picture: its options, what differs from the worked example,
// the serial number tried, and the name.
struct NameCase {
    const char* Name;
    ConversionOptions Options;
    std::function<void(PictureHistory&)> Change;
    std::int32_t Serial;
    std::string Expected;
};

void PrintTo(const NameCase& row, std::ostream* out) {
    *out << row.Name;
}

class Names : public ::testing::TestWithParam<NameCase> {};

TEST_P(Names, AreComposedCharacterForCharacter) {
    PictureHistory history = WorkedExample;
    if (GetParam().Change) {
        GetParam().Change(history);
    }
    EXPECT_EQ(ComposeFileName(ComposeNameParts(history, GetParam().Options), GetParam().Serial),
              GetParam().Expected);
}

ConversionOptions Format(NameFormat format, NameComponents include = {},
                         SerialNumbers serial = SerialNumbers::WhenNeeded) {
    return ConversionOptions{.Format = format, .Serial = serial, .Include = include};
}

NameComponents With(std::initializer_list<bool NameComponents::*> pieces) {
    NameComponents include = Nothing;
    for (const auto piece : pieces) {
        include.*piece = true;
    }
    return include;
}

void SameRevisedDate(PictureHistory& h) {
    h.RevisedDateTime = h.RecordedDateTime;
}

using C = NameComponents;
constexpr auto V1 = NameFormat::HistoryData1;
constexpr auto V2Short = NameFormat::HistoryData2Short;
constexpr auto V2Long = NameFormat::HistoryData2Long;

INSTANTIATE_TEST_SUITE_P(
    WorkedExample, Names,
    ::testing::Values(
        NameCase{"Format1",
                 Format(V1),
                 {},
                 1,
                 "1999-07-04 @14-05-09 1999-07-05 @10-00-00 Sony DSC-F1 Forward FY 033ms Standard "
                 "PIC012 PSN034 Paris.jpg"},
        NameCase{"Format2Short",
                 Format(V2Short),
                 {},
                 1,
                 "{DT=1999-07-04 @14-05-09}{VT=1999-07-05 @10-00-00}{DV=Sony DSC-F1{LE=Forward}"
                 "{FL=Y}{SP=033ms}{CP=Standard}}{BA=012}{VO=034}{CO=Paris}.jpg"},
        NameCase{"Format2Long",
                 Format(V2Long),
                 {},
                 1,
                 "{Date=1999-07-04 @14-05-09}{Version Date=1999-07-05 @10-00-00}{Device=Sony "
                 "DSC-F1{Lens=Forward}{Flash=Y}{Speed=033ms}{Compression=Standard}}{Batch=012}"
                 "{Volume=034}{Comment=Paris}.jpg"},
        NameCase{"Format1Serial2",
                 Format(V1),
                 {},
                 2,
                 "1999-07-04 @14-05-09 #002 1999-07-05 @10-00-00 Sony DSC-F1 Forward FY 033ms "
                 "Standard PIC012 PSN034 Paris.jpg"},
        NameCase{"Format2ShortSerial2",
                 Format(V2Short),
                 {},
                 2,
                 "{DT=1999-07-04 @14-05-09}{SN=002}{VT=1999-07-05 @10-00-00}{DV=Sony "
                 "DSC-F1{LE=Forward}{FL=Y}{SP=033ms}{CP=Standard}}{BA=012}{VO=034}{CO=Paris}.jpg"},
        NameCase{"Format2LongSerial2",
                 Format(V2Long),
                 {},
                 2,
                 "{Date=1999-07-04 @14-05-09}{Serial=002}{Version Date=1999-07-05 @10-00-00}"
                 "{Device=Sony DSC-F1{Lens=Forward}{Flash=Y}{Speed=033ms}{Compression=Standard}}"
                 "{Batch=012}{Volume=034}{Comment=Paris}.jpg"}),
    [](const auto& row) { return std::string(row.param.Name); });

INSTANTIATE_TEST_SUITE_P(
    SerialNumbers, Names,
    ::testing::Values(NameCase{"NothingAtAll", Format(V2Long, Nothing), {}, 1, ".jpg"},
                      NameCase{"Format1ItsBlankTrimmed", Format(V1, Nothing), {}, 2, "#002.jpg"},
                      NameCase{"Format2Short", Format(V2Short, Nothing), {}, 3, "{SN=003}.jpg"},
                      NameCase{"AllItsDigitsFrom1000", Format(V1, Nothing), {}, 1000, "#1000.jpg"},
                      NameCase{"AlwaysFrom001",
                               Format(V1, With({&C::Recorded}), SerialNumbers::Always),
                               {},
                               1,
                               "1999-07-04 @14-05-09 #001.jpg"},
                      NameCase{"AlwaysFrom001Format2Long",
                               Format(V2Long, With({&C::Recorded}), SerialNumbers::Always),
                               {},
                               1,
                               "{Date=1999-07-04 @14-05-09}{Serial=001}.jpg"},
                      NameCase{"OnlyWhenNeededNoneAt1",
                               Format(V2Long, With({&C::Recorded})),
                               {},
                               1,
                               "{Date=1999-07-04 @14-05-09}.jpg"}),
    [](const auto& row) { return std::string(row.param.Name); });

INSTANTIATE_TEST_SUITE_P(
    TheDevice, Names,
    ::testing::Values(
        NameCase{
            "NoDeviceNoAttributes",
            Format(V2Short, With({&C::LensOrientation, &C::Flash, &C::ShutterSpeed, &C::Quality})),
            {},
            1,
            ".jpg"},
        NameCase{"AloneInFormat2",
                 Format(V2Short, With({&C::DeviceName})),
                 {},
                 1,
                 "{DV=Sony DSC-F1}.jpg"},
        NameCase{"AloneInFormat1", Format(V1, With({&C::DeviceName})), {}, 1, "Sony DSC-F1.jpg"},
        NameCase{"WithTheFlashInFormat1",
                 Format(V1, With({&C::DeviceName, &C::Flash})),
                 {},
                 1,
                 "Sony DSC-F1 FY.jpg"},
        NameCase{"UsedAsItStands",
                 ConversionOptions{.Format = V2Long,
                                   .Include = With({&C::DeviceName, &C::Flash}),
                                   .DeviceName = " A.B "},
                 {},
                 1,
                 "{Device= A.B {Flash=Y}}.jpg"}),
    [](const auto& row) { return std::string(row.param.Name); });

INSTANTIATE_TEST_SUITE_P(
    RevisedDateAlbumShotAndComment, Names,
    ::testing::Values(
        NameCase{"RevisedAsRecordedIsLeftOut", Format(V2Short, With({&C::Revised})),
                 SameRevisedDate, 1, ".jpg"},
        NameCase{"RevisedAlways",
                 ConversionOptions{.Revised = RevisedDate::Always, .Include = With({&C::Revised})},
                 SameRevisedDate, 1, "{VT=1999-07-04 @14-05-09}.jpg"},
        NameCase{"RevisedOneSecondLater", Format(V2Short, With({&C::Revised})),
                 [](PictureHistory& h) {
                     h.RevisedDateTime = h.RecordedDateTime;
                     h.RevisedDateTime.Second = 10;
                 },
                 1, "{VT=1999-07-04 @14-05-10}.jpg"},
        NameCase{"RevisedOneSecondEarlier", Format(V2Short, With({&C::Revised})),
                 [](PictureHistory& h) {
                     h.RevisedDateTime = h.RecordedDateTime;
                     h.RevisedDateTime.Second = 8;
                 },
                 1, "{VT=1999-07-04 @14-05-08}.jpg"},
        NameCase{"NoAlbumAndShotZero",
                 Format(V2Short, With({&C::AlbumNumber, &C::ShotNumber, &C::Comment})),
                 [](PictureHistory& h) {
                     h.AlbumNumber = -1;
                     h.ShotNumber = 0;
                     h.Comment = "12:30";
                 },
                 1, "{VO=000}{CO=12[Colon]30}.jpg"},
        NameCase{"AlbumZeroIsAnAlbum", Format(V2Short, With({&C::AlbumNumber, &C::ShotNumber})),
                 [](PictureHistory& h) {
                     h.AlbumNumber = 0;
                     h.ShotNumber = 0;
                 },
                 1, "{BA=000}{VO=000}.jpg"},
        NameCase{"IllegalCharactersRemovedInFormat1",
                 ConversionOptions{.Format = V1,
                                   .Illegal = IllegalCharacters::Remove,
                                   .Include = With({&C::AlbumNumber, &C::ShotNumber, &C::Comment})},
                 [](PictureHistory& h) {
                     h.AlbumNumber = 1234;
                     h.ShotNumber = 0;
                     h.Comment = "12:30";
                 },
                 1, "PIC1234 PSN000 1230.jpg"},
        NameCase{
            "NothingLeftOfTheCommentLeavesItOut",
            ConversionOptions{.Illegal = IllegalCharacters::Remove, .Include = With({&C::Comment})},
            [](PictureHistory& h) { h.Comment = "?*:"; }, 1, ".jpg"}),
    [](const auto& row) { return std::string(row.param.Name); });

TEST(TranslateCharacters, SpellsOutOrDropsEveryIllegalCharacter) {
    const std::string all = "a@#.~{}=;\\/:*?<>|\"b";
    EXPECT_EQ(TranslateCharacters(all, IllegalCharacters::Translate),
              "a[At Sign][Pound Sign][Period][Tilde][Left Curly Bracket][Right Curly Bracket]"
              "[Equals Sign][Semicolon][Backslash][Forward Slash][Colon][Asterisk][Question Mark]"
              "[Smaller Than][Greater Than][Pipe Symbol][Quote]b");
    EXPECT_EQ(TranslateCharacters(all, IllegalCharacters::Remove), "ab");
    EXPECT_EQ(TranslateCharacters("", IllegalCharacters::Translate), "");
}

TEST(TranslateCharacters, LeavesEveryOtherCharacterAsItIs) {
    const std::string legal = "[Period] []-!$%&'()+,^_` Caf\u00E9 \u20AC\t";
    EXPECT_EQ(TranslateCharacters(legal, IllegalCharacters::Translate), legal);
    EXPECT_EQ(TranslateCharacters(legal, IllegalCharacters::Remove), legal);
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

}  // namespace
}  // namespace ostrel
