// The profile primitives on real files, compared byte for byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "PrivateProfile.h"
#include "ProfileTestFiles.h"
#include "TempDir.h"

using morvanel_test::TempDir;
using profile_test::ReadBytes;
using profile_test::WriteBytes;

namespace {

class PrivateProfileTest : public ::testing::Test {
protected:
    std::string Read(const char* section, const char* key, const char* def = "default",
                     ProfileEncoding encoding = ProfileEncoding::Utf8) {
        char buffer[256] = "";
        lastResult = GetPrivateProfileString(section, key, def, buffer, sizeof buffer, path.c_str(),
                                             encoding);
        return buffer;
    }
    int32_t Write(const char* section, const char* key, const char* value,
                  ProfileEncoding encoding = ProfileEncoding::Utf8) {
        return WritePrivateProfileString(section, key, value, path.c_str(), encoding);
    }

    TempDir dir;
    std::string path = dir.file("test.mv");
    int32_t lastResult = -999;
};

const std::string kStyle =
    "[SYSTEM]\r\nVersion=1\r\n"
    "[TEXTURE]\r\nFilename=\"/home/u/Color/wood.png\"\r\nScale=50\r\nColor=30\r\n"
    "[LIGHT]\r\nAmbient=10\r\n";

}  // namespace

TEST_F(PrivateProfileTest, MissingFileYieldsDefaultAndLeavesEmptyFile) {
    ASSERT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(Read("MODEL", "Length", "dflt"), "dflt");
    EXPECT_EQ(lastResult, 1);
    EXPECT_EQ(GetPrivateProfileInt("MODEL", "Height", 100, path.c_str()), 100);
    ASSERT_TRUE(std::filesystem::is_regular_file(path));
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
}

TEST_F(PrivateProfileTest, ValueForms) {
    WriteBytes(path, "[S]\r\nQ=\"abc\"\r\nP=abc\r\nE=\r\nHalf=\"\r\nN=-42\r\nPlus=+7\r\n"
                     "Trail=12abc\r\nWord=abc\r\nBig=99999999999\r\nSpaced = 5\r\n"
                     "Open=\"abc\r\nClose=abc\"\r\nInner=\"a\"b\"\r\n");
    EXPECT_EQ(Read("S", "Q"), "abc");
    EXPECT_EQ(lastResult, 0);
    EXPECT_EQ(Read("S", "P"), "abc");
    EXPECT_EQ(Read("S", "E"), "");
    EXPECT_EQ(lastResult, 0);
    EXPECT_EQ(Read("S", "Half"), "");
    EXPECT_EQ(Read("S", "Open"), "abc");
    EXPECT_EQ(Read("S", "Close"), "abc");
    EXPECT_EQ(Read("S", "Inner"), "a\"b");
    EXPECT_EQ(GetPrivateProfileInt("S", "E", 77, path.c_str()), 0);
    EXPECT_EQ(GetPrivateProfileInt("S", "N", 77, path.c_str()), -42);
    EXPECT_EQ(GetPrivateProfileInt("S", "Plus", 77, path.c_str()), 7);
    EXPECT_EQ(GetPrivateProfileInt("S", "Trail", 77, path.c_str()), 12);
    EXPECT_EQ(GetPrivateProfileInt("S", "Word", 77, path.c_str()), 0);
    EXPECT_EQ(GetPrivateProfileInt("S", "Big", 77, path.c_str()), 2147483647);
    // Blanks around "=" are outside the format: the key does not match.
    EXPECT_EQ(GetPrivateProfileInt("S", "Spaced", 77, path.c_str()), 77);
    EXPECT_EQ(Read("S", "Spaced"), "default");
    EXPECT_EQ(lastResult, 1);
}

TEST_F(PrivateProfileTest, MatchingIsExactCaseSensitiveAndFirstWins) {
    WriteBytes(path, "[MODELX]\r\nLength=1\r\n[model]\r\nLength=2\r\n[MODEL]\r\nLen=3\r\n"
                     "Length=4\r\nLength=5\r\n[MODEL]\r\nLength=6\r\n");
    EXPECT_EQ(GetPrivateProfileInt("MODEL", "Length", 0, path.c_str()), 4);
    EXPECT_EQ(GetPrivateProfileInt("MODEL", "length", 0, path.c_str()), 0);
    EXPECT_EQ(Write("MODEL", "Length", "9"), 0);
    EXPECT_EQ(ReadBytes(path), "[MODELX]\r\nLength=1\r\n[model]\r\nLength=2\r\n[MODEL]\r\nLen=3\r\n"
                               "Length=9\r\nLength=5\r\n[MODEL]\r\nLength=6\r\n");
}

TEST_F(PrivateProfileTest, KeyNameInsideAnotherValueIsNotAKey) {
    WriteBytes(path, kStyle);
    EXPECT_EQ(GetPrivateProfileInt("TEXTURE", "Color", 0, path.c_str()), 30);
    EXPECT_EQ(Read("TEXTURE", "Filename"), "/home/u/Color/wood.png");
    EXPECT_EQ(Write("TEXTURE", "Color", "31"), 0);
    EXPECT_EQ(ReadBytes(path), "[SYSTEM]\r\nVersion=1\r\n"
                               "[TEXTURE]\r\nFilename=\"/home/u/Color/wood.png\"\r\nScale=50\r\n"
                               "Color=31\r\n[LIGHT]\r\nAmbient=10\r\n");
    // Keys of one section are not found in another.
    EXPECT_EQ(GetPrivateProfileInt("LIGHT", "Scale", -1, path.c_str()), -1);
}

TEST_F(PrivateProfileTest, RewritingAValueMovesTheRestOfTheFile) {
    WriteBytes(path, kStyle);
    EXPECT_EQ(Write("TEXTURE", "Filename", "\"/a/much/longer/path/to/some/image.png\""), 0);
    EXPECT_EQ(ReadBytes(path), "[SYSTEM]\r\nVersion=1\r\n[TEXTURE]\r\n"
                               "Filename=\"/a/much/longer/path/to/some/image.png\"\r\nScale=50\r\n"
                               "Color=30\r\n[LIGHT]\r\nAmbient=10\r\n");
    EXPECT_EQ(Write("TEXTURE", "Filename", "\"x\""), 0);
    EXPECT_EQ(ReadBytes(path), "[SYSTEM]\r\nVersion=1\r\n[TEXTURE]\r\nFilename=\"x\"\r\nScale=50\r\n"
                               "Color=30\r\n[LIGHT]\r\nAmbient=10\r\n");
    EXPECT_EQ(Write("LIGHT", "Ambient", ""), 0);
    EXPECT_EQ(Read("LIGHT", "Ambient"), "");
    EXPECT_TRUE(ReadBytes(path).ends_with("[LIGHT]\r\nAmbient=\r\n"));
}

TEST_F(PrivateProfileTest, NewKeysAndSectionsAreAppendedInOrder) {
    EXPECT_EQ(Write("MODEL", "Length", "100"), 0);
    EXPECT_EQ(Write("MODEL", "Height", "90"), 0);
    EXPECT_EQ(Write("LIGHT", "Ambient", "10"), 0);
    EXPECT_EQ(Write("MODEL", "Base", "0"), 0);
    EXPECT_EQ(ReadBytes(path), "[MODEL]\r\nLength=100\r\nHeight=90\r\nBase=0\r\n"
                               "[LIGHT]\r\nAmbient=10\r\n");
    // A key new to an empty section goes directly before the next header.
    WriteBytes(path, "[A]\r\n[B]\r\nK=1\r\n");
    EXPECT_EQ(Write("A", "K", "2"), 0);
    EXPECT_EQ(ReadBytes(path), "[A]\r\nK=2\r\n[B]\r\nK=1\r\n");
    EXPECT_EQ(GetPrivateProfileInt("B", "K", 0, path.c_str()), 1);
}

TEST_F(PrivateProfileTest, DeletingKeys) {
    WriteBytes(path, kStyle);
    EXPECT_EQ(Write("TEXTURE", "Scale", nullptr), 0);
    EXPECT_EQ(ReadBytes(path), "[SYSTEM]\r\nVersion=1\r\n"
                               "[TEXTURE]\r\nFilename=\"/home/u/Color/wood.png\"\r\nColor=30\r\n"
                               "[LIGHT]\r\nAmbient=10\r\n");
    const std::string before = ReadBytes(path);
    EXPECT_EQ(Write("TEXTURE", "Scale", nullptr), 0);
    EXPECT_EQ(Write("NOSECTION", "Scale", nullptr), 0);
    EXPECT_EQ(ReadBytes(path), before);
    // The last key of the file: the header stays, the file ends after the
    // previous CR LF.
    EXPECT_EQ(Write("LIGHT", "Ambient", nullptr), 0);
    EXPECT_TRUE(ReadBytes(path).ends_with("Color=30\r\n[LIGHT]\r\n"));
    // A last line without CR LF goes whole.
    WriteBytes(path, "[S]\r\nA=1\r\nB=2");
    EXPECT_EQ(Write("S", "B", nullptr), 0);
    EXPECT_EQ(ReadBytes(path), "[S]\r\nA=1\r\n");
}

TEST_F(PrivateProfileTest, LastLineWithoutLineEnd) {
    WriteBytes(path, "[SYSTEM]\r\nVersion=1.0");
    EXPECT_EQ(Read("SYSTEM", "Version"), "1.0");
    EXPECT_EQ(Write("SYSTEM", "Version", "2.5"), 0);
    EXPECT_EQ(ReadBytes(path), "[SYSTEM]\r\nVersion=2.5");
    // A new key or section starts a line of its own instead of running on
    // from the unterminated last line.
    EXPECT_EQ(Write("SYSTEM", "Build", "7"), 0);
    EXPECT_EQ(ReadBytes(path), "[SYSTEM]\r\nVersion=2.5\r\nBuild=7\r\n");
    WriteBytes(path, "[SYSTEM]\r\nVersion=1.0");
    EXPECT_EQ(Write("MODEL", "Length", "3"), 0);
    EXPECT_EQ(ReadBytes(path), "[SYSTEM]\r\nVersion=1.0\r\n[MODEL]\r\nLength=3\r\n");
    EXPECT_EQ(Read("SYSTEM", "Version"), "1.0");
}

TEST_F(PrivateProfileTest, BracketInsideAValueNeitherOpensNorEndsASection) {
    WriteBytes(path, "[TEXTURE]\r\nFilename=\"/p/photo [1].png\"\r\nScale=50\r\n"
                     "Other=\"[LIGHT]\"\r\n[LIGHT]\r\nAmbient=10\r\n");
    EXPECT_EQ(GetPrivateProfileInt("TEXTURE", "Scale", 0, path.c_str()), 50);
    EXPECT_EQ(Write("TEXTURE", "Bend", "50"), 0);
    EXPECT_EQ(Write("LIGHT", "Light1", "10"), 0);
    EXPECT_EQ(ReadBytes(path), "[TEXTURE]\r\nFilename=\"/p/photo [1].png\"\r\nScale=50\r\n"
                               "Other=\"[LIGHT]\"\r\nBend=50\r\n[LIGHT]\r\nAmbient=10\r\nLight1=10\r\n");
}

TEST_F(PrivateProfileTest, DestinationSizeRules) {
    WriteBytes(path, "[S]\r\nFive=12345\r\n");
    char small[6] = "";
    EXPECT_EQ(GetPrivateProfileString("S", "Five", "d", small, 6, path.c_str()), 0);
    EXPECT_STREQ(small, "12345");
    char tiny[5] = "";
    EXPECT_EQ(GetPrivateProfileString("S", "Five", "d", tiny, 5, path.c_str()), 0);
    EXPECT_STREQ(tiny, "d");  // too long: the default stays
    // A default longer than the destination is cut, never written past it.
    char guarded[8];
    std::fill(std::begin(guarded), std::end(guarded), '#');
    EXPECT_EQ(GetPrivateProfileString("S", "None", "abcdefgh", guarded, 4, path.c_str()), 1);
    EXPECT_STREQ(guarded, "abc");
    EXPECT_EQ(guarded[4], '#');
    // Without a default the destination keeps what it held.
    char kept[8] = "kept";
    EXPECT_EQ(GetPrivateProfileString("S", "None", nullptr, kept, 8, path.c_str()), 1);
    EXPECT_STREQ(kept, "kept");
}

TEST_F(PrivateProfileTest, Utf8TextSurvivesAWriteAndARead) {
    // These characters end in bytes that start a two-byte character in
    // Shift JIS (0x81..0x9F); under that rule the CR or quote after them
    // would be swallowed.
    const std::string name = "/home/u/M\xC3\x9C" "nchen/\xE3\x81\x82/\xD0\x96";
    EXPECT_EQ(Write("TEXTURE", "Filename", ("\"" + name + "\"").c_str()), 0);
    EXPECT_EQ(Write("TEXTURE", "Plain", name.c_str()), 0);
    EXPECT_EQ(Write("TEXTURE", "Scale", "50"), 0);
    EXPECT_EQ(Read("TEXTURE", "Filename"), name);
    EXPECT_EQ(Read("TEXTURE", "Plain"), name);
    EXPECT_EQ(GetPrivateProfileInt("TEXTURE", "Scale", 0, path.c_str()), 50);
    EXPECT_EQ(ReadBytes(path), "[TEXTURE]\r\nFilename=\"" + name + "\"\r\nPlain=" + name +
                                   "\r\nScale=50\r\n");
    // The same bytes read as Shift JIS run past the CR: the rule is real.
    EXPECT_NE(Read("TEXTURE", "Plain", "", ProfileEncoding::ShiftJis), name);
}

TEST_F(PrivateProfileTest, ShiftJisTextRoundTrips) {
    const auto sjis = ProfileEncoding::ShiftJis;
    // "テクスチャー" in Shift JIS; 0x81 0x5B has "[" as its second byte.
    const std::string name = "\x83\x65\x83\x4E\x83\x58\x83\x60\x83\x83\x81\x5B";
    EXPECT_EQ(Write("TEXTURE", "Filename", ("\"" + name + "\"").c_str(), sjis), 0);
    EXPECT_EQ(Write("TEXTURE", "Scale", "50", sjis), 0);
    EXPECT_EQ(Write("LIGHT", "Ambient", "10", sjis), 0);
    EXPECT_EQ(Read("TEXTURE", "Filename", "", sjis), name);
    EXPECT_EQ(GetPrivateProfileInt("TEXTURE", "Scale", 0, path.c_str(), sjis), 50);
    EXPECT_EQ(ReadBytes(path), "[TEXTURE]\r\nFilename=\"" + name + "\"\r\nScale=50\r\n"
                                   "[LIGHT]\r\nAmbient=10\r\n");
    // A lead byte directly before the CR takes the CR as its second byte, so
    // under Shift JIS the value runs on to the next CR.
    WriteBytes(path, "[S]\r\nA=x\x82\r\nB=2\r\n");
    EXPECT_EQ(Read("S", "A", "", sjis), "x\x82\r\nB=2");
    EXPECT_EQ(Read("S", "A", ""), "x\x82");
}
