#include <gtest/gtest.h>

#include <array>

#include "PictureHistory.h"
#include "TempTree.h"

namespace ostrel {
namespace {

using test::Header;

PictureHistory Decode(const std::vector<std::uint8_t>& bytes, std::string_view file = "x.PMP",
                      std::string_view folder = "x") {
    std::array<std::uint8_t, HeaderSize> header{};
    std::copy(bytes.begin(), bytes.end(), header.begin());
    return ReadPictureHistory(header, file, folder);
}

std::string Date(std::uint8_t y, std::uint8_t mo, std::uint8_t d, std::uint8_t h = 0,
                 std::uint8_t mi = 0, std::uint8_t s = 0) {
    return FormatDateTime(DecodeDateTime(y, mo, d, h, mi, s));
}

TEST(ReadPictureHistory, DecodesAllZeroHeader) {
    const PictureHistory h = Decode(std::vector<std::uint8_t>(124, 0));
    EXPECT_EQ(h.LensOrientation, "Forward");
    EXPECT_EQ(h.Quality, "0");
    EXPECT_EQ(h.Flash, "N");
    EXPECT_EQ(h.ShutterSpeed, "133ms");
    EXPECT_EQ(h.Comment, "");
    EXPECT_EQ(FormatDateTime(h.RecordedDateTime), "1999-11-30 @00-00-00");
    EXPECT_EQ(FormatDateTime(h.RevisedDateTime), "1999-11-30 @00-00-00");
}

TEST(ReadPictureHistory, ReadsEachFieldFromItsOffset) {
    Header header;
    header.Lens = 2;
    header.Quality = 51;
    header.Flash = 0;
    header.Shutter = 0x0300;  // 768
    header.Comment = "Paris";
    header.Recorded[0] = 99;
    header.Revised[0] = 0;
    header.Revised[1] = 1;
    header.Revised[2] = 2;
    header.Revised[3] = 3;
    header.Revised[4] = 4;
    header.Revised[5] = 5;
    const PictureHistory h = Decode(header.Bytes(), "PSN00034.PMP", "PIC00012");
    EXPECT_EQ(h.LensOrientation, "Reverse");
    EXPECT_EQ(h.Quality, "Fine");
    EXPECT_EQ(h.Flash, "N");
    EXPECT_EQ(h.ShutterSpeed, "004ms");
    EXPECT_EQ(h.Comment, "Paris");
    EXPECT_EQ(FormatDateTime(h.RecordedDateTime), "1999-07-04 @14-05-09");
    EXPECT_EQ(FormatDateTime(h.RevisedDateTime), "2000-01-02 @03-04-05");
    EXPECT_EQ(h.AlbumNumber, 12);
    EXPECT_EQ(h.ShotNumber, 34);
}

TEST(ReadPictureHistory, CodeTablesAndCodesInDecimal) {
    const auto with = [](std::uint8_t lens, std::uint8_t quality, std::uint8_t flash) {
        Header header;
        header.Lens = lens;
        header.Quality = quality;
        header.Flash = flash;
        return Decode(header.Bytes());
    };
    EXPECT_EQ(with(0, 8, 1).Quality, "Snapshot");
    EXPECT_EQ(with(0, 23, 1).Quality, "Standard");
    EXPECT_EQ(with(0, 51, 1).Flash, "Y");
    const PictureHistory odd = with(1, 255, 2);
    EXPECT_EQ(odd.LensOrientation, "1");
    EXPECT_EQ(odd.Quality, "255");
    EXPECT_EQ(odd.Flash, "2");
    EXPECT_EQ(with(3, 0, 255).LensOrientation, "3");
    EXPECT_EQ(with(3, 0, 255).Flash, "255");
}

TEST(ReadPictureHistory, ShutterRangesAtEveryBoundary) {
    const std::pair<std::uint16_t, const char*> cases[] = {
        {0, "133ms"},   {331, "133ms"},   {332, "067ms"},   {432, "067ms"},   {433, "033ms"},
        {500, "033ms"}, {532, "033ms"},   {533, "017ms"},   {622, "017ms"},   {623, "010ms"},
        {715, "010ms"}, {716, "004ms"},   {854, "004ms"},   {855, "002ms"},   {954, "002ms"},
        {955, "001ms"}, {32767, "001ms"}, {32768, "32768"}, {65535, "65535"},
    };
    for (const auto& [code, text] : cases) {
        EXPECT_EQ(ShutterSpeedText(code), text) << code;
    }
    Header header;
    header.Shutter = 0x014B;
    EXPECT_EQ(Decode(header.Bytes()).ShutterSpeed, "133ms");
    header.Shutter = 0x014C;
    EXPECT_EQ(Decode(header.Bytes()).ShutterSpeed, "067ms");
    header.Shutter = 0x8000;  // byte 102 is the high byte
    EXPECT_EQ(Decode(header.Bytes()).ShutterSpeed, "32768");
}

TEST(ReadPictureHistory, CommentDropsControlBytesAndTrimsBlanks) {
    const auto comment = [](std::string raw) {
        Header header;
        header.Comment = std::move(raw);
        return Decode(header.Bytes()).Comment;
    };
    EXPECT_EQ(comment(std::string("PQ\0RS", 5)), "PQRS");
    EXPECT_EQ(comment("  Paris"), "Paris");
    EXPECT_EQ(comment(std::string(19, ' ')), "");
    EXPECT_EQ(comment(" a b "), "a b");
    EXPECT_EQ(comment(std::string("\x1f x\t\n", 6)), "x");
    EXPECT_EQ(comment("1234567890123456789"), "1234567890123456789");
    // Bytes 128-255 are Windows-1252 characters, given as UTF-8.
    EXPECT_EQ(comment("Caf\xE9 \x80\x9F"), "Caf\u00E9 \u20AC\u0178");
    EXPECT_EQ(comment("\x81\x8D\x8F\x90\x9D"), "\u0081\u008D\u008F\u0090\u009D");
    EXPECT_EQ(comment("\xA0x\xFF"), "\u00A0x\u00FF");
}

TEST(ReadPictureHistory, YearCodes) {
    EXPECT_EQ(Date(99, 7, 4, 14, 5, 9), "1999-07-04 @14-05-09");
    EXPECT_EQ(Date(49, 1, 1), "2049-01-01 @00-00-00");
    EXPECT_EQ(Date(50, 1, 1), "1950-01-01 @00-00-00");
    EXPECT_EQ(Date(100, 1, 1), "2000-01-01 @00-00-00");
    EXPECT_EQ(Date(255, 12, 31, 23, 59, 59), "2155-12-31 @23-59-59");
}

TEST(ReadPictureHistory, DatesCarryEveryOutOfRangeValue) {
    EXPECT_EQ(Date(0, 0, 1), "1999-12-01 @00-00-00");   // month 0: December before
    EXPECT_EQ(Date(0, 13, 1), "2001-01-01 @00-00-00");  // month 13: January after
    EXPECT_EQ(Date(0, 255, 1), "2021-03-01 @00-00-00");
    EXPECT_EQ(Date(0, 3, 0), "2000-02-29 @00-00-00");  // day 0: last day before
    EXPECT_EQ(Date(1, 3, 0), "2001-02-28 @00-00-00");
    EXPECT_EQ(Date(1, 2, 30), "2001-03-02 @00-00-00");
    EXPECT_EQ(Date(0, 2, 30), "2000-03-01 @00-00-00");
    EXPECT_EQ(Date(99, 12, 32), "2000-01-01 @00-00-00");
    EXPECT_EQ(Date(99, 1, 255), "1999-09-12 @00-00-00");
    EXPECT_EQ(Date(99, 7, 4, 24), "1999-07-05 @00-00-00");  // hour 24: next midnight
    EXPECT_EQ(Date(99, 7, 4, 23, 60), "1999-07-05 @00-00-00");
    EXPECT_EQ(Date(99, 7, 4, 0, 0, 60), "1999-07-04 @00-01-00");
    EXPECT_EQ(Date(99, 12, 31, 255, 255, 255), "2000-01-10 @19-19-15");
    EXPECT_EQ(Date(50, 0, 0), "1949-11-30 @00-00-00");
}

TEST(ReadPictureHistory, AlbumNumberFromFolderName) {
    EXPECT_EQ(AlbumNumberOf("PIC00012"), 12);
    EXPECT_EQ(AlbumNumberOf("pic00012"), 12);
    EXPECT_EQ(AlbumNumberOf("PIC00000"), 0);
    EXPECT_EQ(AlbumNumberOf("PIC09999"), 9999);
    for (const char* name : {"PIC0012", "DCIM", "PIC00012X", "", "PIC10012", "PIC0 012", "PIC0001.",
                             "PIC001e2", "PIC0-012", "PIC0+012", "PIC0012 "}) {
        EXPECT_EQ(AlbumNumberOf(name), -1) << name;
    }
}

TEST(ReadPictureHistory, ShotNumberFromFileName) {
    EXPECT_EQ(ShotNumberOf("PSN00034.PMP"), 34);
    EXPECT_EQ(ShotNumberOf("psn00034.pmp"), 34);
    EXPECT_EQ(ShotNumberOf("Psn09999.pMp"), 9999);
    for (const char* name : {"PSN0034.PMP", "PSN00034.JPG", "PSN10034.PMP", "PSN0003 .PMP",
                             "PSN00034PMP", "PSN00034.PMPX", "PSN0,034.PMP", "XSN00034.PMP"}) {
        EXPECT_EQ(ShotNumberOf(name), -1) << name;
    }
}

TEST(ReadPictureHistory, NeverFailsOnAnyHeader) {
    for (int value = 0; value < 256; ++value) {
        const PictureHistory h =
            Decode(std::vector<std::uint8_t>(124, static_cast<std::uint8_t>(value)));
        EXPECT_EQ(FormatDateTime(h.RecordedDateTime).size(), 20U) << value;
        EXPECT_LE(h.Comment.size(), 19U * 3) << value;
    }
}

}  // namespace
}  // namespace ostrel
