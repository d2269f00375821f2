#include <gtest/gtest.h>

#ifndef _WIN32
#include <iconv.h>
#endif

#include <tuple>

#include "CodePageText.h"
#include "ComposeFileName.h"
#include "PictureHistory.h"
#include "TempTree.h"

namespace ostrel {
namespace {

PictureHistory Decode(const test::Header& header, std::string_view file = "x.PMP",
                      std::string_view folder = "x", unsigned codePage = Windows1252) {
    const test::Bytes bytes = test::PmpFile(header, {});
    return ReadPictureHistory(std::span<const std::uint8_t, HeaderSize>(bytes), file, folder,
                              codePage);
}

// The lens, flash, shutter speed and quality as names write them.
std::string Attributes(const PictureHistory& h) {
    return LensText(h.LensOrientation) + " " + FlashText(h.Flash) + " " +
           ShutterSpeedText(h.ShutterSpeed) + " " + QualityText(h.Quality);
}

// The recorded date-time that these six header bytes stand for.
std::string Date(std::uint8_t y, std::uint8_t mo, std::uint8_t d, std::uint8_t h = 0,
                 std::uint8_t mi = 0, std::uint8_t s = 0) {
    return FormatDateTime(Decode({.Recorded = {y, mo, d, h, mi, s}}).RecordedDateTime);
}

std::string ShutterSpeed(std::uint16_t code) {
    return ShutterSpeedText(Decode({.Shutter = code}).ShutterSpeed);
}

std::int32_t AlbumNumberOf(std::string_view folder) {
    return Decode({}, "x.PMP", folder).AlbumNumber;
}

std::int32_t ShotNumberOf(std::string_view file) {
    return Decode({}, file, "x").ShotNumber;
}

std::string Comment(std::string raw, unsigned codePage = Windows1252) {
    return Decode({.Comment = std::move(raw)}, "x.PMP", "x", codePage).Comment;
}

TEST(ReadPictureHistory, DecodesEveryFieldFromItsOffset) {
    test::Header zero{0, 0, "", {0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}, 0, 0};
    const DateTime day0{1999, 11, 30, 0, 0, 0};  // year 0 is 2000; month 0, day 0 carry back
    EXPECT_EQ(Decode(zero), (PictureHistory{day0,
                                            day0,
                                            {0, Lens::Forward},
                                            {0, false},
                                            {0, ExposureTime{2, 15}},
                                            {0, std::nullopt},
                                            "",
                                            -1,
                                            -1}));
    EXPECT_EQ(Attributes(Decode(zero)), "Forward N 133ms 0");

    const test::Header header{2, 51, "Paris", {99, 7, 4, 14, 5, 9}, {0, 1, 2, 3, 4, 5}, 0x0300, 0};
    const PictureHistory decoded = Decode(header, "PSN00034.PMP", "PIC00012");
    EXPECT_EQ(decoded, (PictureHistory{DateTime{1999, 7, 4, 14, 5, 9},
                                       DateTime{2000, 1, 2, 3, 4, 5},
                                       {2, Lens::Reverse},
                                       {0, false},
                                       {0x0300, ExposureTime{1, 250}},
                                       {51, PictureQuality::Fine},
                                       "Paris",
                                       12,
                                       34}));
    EXPECT_EQ(Attributes(decoded), "Reverse N 004ms Fine");
    const test::Header odd{1, 255, "", {}, {}, 0x8000, 2};  // byte 102 is the high byte
    EXPECT_EQ(Attributes(Decode(odd)), "1 2 32768 255");
    EXPECT_EQ(Decode(odd).ShutterSpeed, (Coded<ExposureTime>{0x8000, std::nullopt}));
    EXPECT_EQ(QualityText(Decode({0, 8, "", {}, {}, 0, 0}).Quality), "Snapshot");
    EXPECT_EQ(Attributes(Decode({.Flash = 1})), "Forward Y 033ms Standard");
}

TEST(ReadPictureHistory, ShutterRangesAtEveryBoundary) {
    const std::pair<std::uint16_t, const char*> cases[] = {
        {0, "133ms"},     {331, "133ms"},   {332, "067ms"},   {432, "067ms"}, {433, "033ms"},
        {532, "033ms"},   {533, "017ms"},   {622, "017ms"},   {623, "010ms"}, {715, "010ms"},
        {716, "004ms"},   {854, "004ms"},   {855, "002ms"},   {954, "002ms"}, {955, "001ms"},
        {32767, "001ms"}, {32768, "32768"}, {65535, "65535"},
    };
    for (const auto& [code, text] : cases) {
        EXPECT_EQ(ShutterSpeed(code), text) << code;
    }
    // Each step is the exposure time photo tools show.
    const std::pair<std::uint16_t, ExposureTime> fractions[] = {
        {331, {2, 15}},  {432, {1, 15}},  {532, {1, 30}},  {622, {1, 60}},
        {715, {1, 100}}, {854, {1, 250}}, {954, {1, 500}}, {32767, {1, 1000}},
    };
    for (const auto& [code, time] : fractions) {
        EXPECT_EQ(Decode({.Shutter = code}).ShutterSpeed.Value, time) << code;
    }
}

TEST(ReadPictureHistory, CommentDropsControlBytesAndTrimsBlanks) {
    EXPECT_EQ(Comment(std::string("PQ\0RS", 5)), "PQRS");
    EXPECT_EQ(Comment("  Paris"), "Paris");
    EXPECT_EQ(Comment("Paris  \0\0\0"), "Paris");
    EXPECT_EQ(Comment(std::string(19, ' ')), "");
    EXPECT_EQ(Comment(std::string("\x1f a b\t\n", 7)), "a b");
    EXPECT_EQ(Comment("1234567890123456789"), "1234567890123456789");
#ifndef _WIN32  // iconv
    // Bytes 128-255 are Windows-1252 characters, given as UTF-8, as the
    // system's own converter gives them; the five bytes it leaves undefined
    // keep their own code points.
    const iconv_t windows1252 = ::iconv_open("UTF-8", "WINDOWS-1252");
    ASSERT_NE(windows1252, reinterpret_cast<iconv_t>(-1));
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        char in[1] = {static_cast<char>(byte)}, out[8] = {};
        char *from = in, *to = out;
        std::size_t left = 1, room = sizeof out;
        const bool defined = ::iconv(windows1252, &from, &left, &to, &room) != std::size_t(-1);
        const std::string expected = defined ? out : std::string{static_cast<char>(0xC2), in[0]};
        EXPECT_EQ(Comment(std::string("a") + in[0]), "a" + expected) << byte;
    }
    ::iconv_close(windows1252);
#endif
}

// On Linux through iconv, on Windows through MultiByteToWideChar: both give
// these the same.
TEST(ReadPictureHistory, EachCodePageReadsItsOwnCharacters) {
    const std::tuple<unsigned, const char*, const char*> cases[] = {
        {874, "\xA1", "\u0E01"},      // ko kai
        {932, "\xB1", "\uFF71"},      // half-width katakana a
        {932, "\x8A\xBF", "\u6F22"},  // kan (a kanji)
        {936, "\xD6\xD0", "\u4E2D"},  // zhong
        {936, "\xFE\x40", "\uFA0C"},  // wu, from the last lead byte
        {949, "\xC7\xD1", "\uD55C"},  // han
        {950, "\xA4\xA4", "\u4E2D"},  // zhong
        {1250, "\xA5", "\u0104"},     // A with ogonek
        {1251, "\xC0", "\u0410"},     // Cyrillic A
        {1252, "\xE9", "\u00E9"},     // e acute
        {1253, "\xC1", "\u0391"},     // Alpha
        {1254, "\xF0", "\u011F"},     // g breve
        {1255, "\xE0", "\u05D0"},     // alef
        {1256, "\xC7", "\u0627"},     // alef
        {1257, "\xC0", "\u0104"},     // A with ogonek
        {1258, "\xC2", "\u00C2"},     // A circumflex, which iconv holds for a tone mark
    };
    for (const auto& [codePage, bytes, text] : cases) {
        EXPECT_EQ(Comment(std::string("a") + bytes + "b", codePage), std::string("a") + text + "b")
            << codePage;
    }
}

TEST(ReadPictureHistory, DoubleByteCommentsReadPairsAndNeverGiveAControlCharacter) {
    const std::pair<const char*, const char*> cases[] = {
        {"\xB6\xD2\xD7 \x8A\xBF\x8E\x9A", "\uFF76\uFF92\uFF97 \u6F22\u5B57"},
        {"\x83\x4A\x83\x81\x83\x89", "\u30AB\u30E1\u30E9"},
        {"\xE0\x40", "\u6F3E"},                // lead bytes from 0xE0 on too
        {"\x83\x5C\x95\x5C", "\u30BD\u8868"},  // a trail byte 0x5C is no backslash
        {"\x83\x01\x4A", "\u30AB"},            // bytes below 32 go first
        {"\x85\x41", "\uFFFDA"},               // no pair: the ASCII character stays
        {"\x85\x81", "\uFFFD"},                // no pair
        {"A\x83", "A\uFFFD"},                  // a lead byte at the end
        {"A\x83  ", "A\uFFFD"},
        {"\x80\xA0\x7F\xF0\x40", "\uFFFD\uFFFD\uFFFD\uFFFD"},  // none printable
    };
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(Comment(bytes, 932), text) << bytes;
    }
}

TEST(ReadPictureHistory, DatesCarryEveryOutOfRangeValue) {
    EXPECT_EQ(Date(49, 1, 1), "2049-01-01 @00-00-00");
    EXPECT_EQ(Date(50, 1, 1), "1950-01-01 @00-00-00");
    EXPECT_EQ(Date(100, 1, 1), "2000-01-01 @00-00-00");
    EXPECT_EQ(Date(255, 12, 31, 23, 59, 59), "2155-12-31 @23-59-59");
    EXPECT_EQ(Date(0, 13, 1), "2001-01-01 @00-00-00");  // month 13: January after
    EXPECT_EQ(Date(0, 255, 1), "2021-03-01 @00-00-00");
    EXPECT_EQ(Date(0, 3, 0), "2000-02-29 @00-00-00");  // day 0: the last day before
    EXPECT_EQ(Date(1, 2, 30), "2001-03-02 @00-00-00");
    EXPECT_EQ(Date(99, 12, 32), "2000-01-01 @00-00-00");
    EXPECT_EQ(Date(99, 1, 255), "1999-09-12 @00-00-00");
    EXPECT_EQ(Date(99, 7, 4, 24), "1999-07-05 @00-00-00");  // hour 24: the next midnight
    EXPECT_EQ(Date(99, 7, 4, 23, 60), "1999-07-05 @00-00-00");
    EXPECT_EQ(Date(99, 7, 4, 0, 0, 60), "1999-07-04 @00-01-00");
    EXPECT_EQ(Date(99, 12, 31, 255, 255, 255), "2000-01-10 @19-19-15");
    EXPECT_EQ(Date(50, 0, 0), "1949-11-30 @00-00-00");
    EXPECT_EQ(Date(96, 2, 29), "1996-02-29 @00-00-00");   // a leap day
    EXPECT_EQ(Date(200, 2, 29), "2100-03-01 @00-00-00");  // 2100 is no leap year
    EXPECT_EQ(Date(200, 3, 0), "2100-02-28 @00-00-00");
    EXPECT_EQ(Date(255, 255, 255, 255, 255, 255), "2176-11-20 @19-19-15");  // every byte at its end
}

TEST(ReadPictureHistory, AlbumAndShotNumbersFromTheCamerasNames) {
    EXPECT_EQ(AlbumNumberOf("PIC00012"), 12);
    EXPECT_EQ(AlbumNumberOf("pic00000"), 0);
    EXPECT_EQ(ShotNumberOf("PSN00034.PMP"), 34);
    EXPECT_EQ(ShotNumberOf("psn09999.pMp"), 9999);
    for (const char* name : {"PIC0012", "DCIM", "PIC00012X", "", "PIC10012", "PIC0 012", "PIC0001.",
                             "PIC001e2", "PIC0-012", "PIC0012 "}) {
        EXPECT_EQ(AlbumNumberOf(name), -1) << name;
    }
    for (const char* name : {"PSN0034.PMP", "PSN00034.JPG", "PSN10034.PMP", "PSN0003 .PMP",
                             "PSN00034PMP", "PSN0,034.PMP", "XSN00034.PMP", "PSN00034.PMP.PMP"}) {
        EXPECT_EQ(ShotNumberOf(name), -1) << name;
    }
}

}  // namespace
}  // namespace ostrel
