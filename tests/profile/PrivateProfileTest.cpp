// The profile primitives on real files, compared byte for byte.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "PrivateProfile.h"
#include "TempDir.h"

using morvanel_test::FileContent;
using morvanel_test::MakeFile;
using morvanel_test::TempDir;

namespace {

constexpr auto kUtf8 = ProfileEncoding::Utf8;
constexpr auto kSjis = ProfileEncoding::ShiftJis;

const std::string kStyle =
    "[SYSTEM]\r\nVersion=1\r\n"
    "[TEXTURE]\r\nFilename=\"/home/u/Color/wood.png\"\r\nScale=50\r\nColor=30\r\n"
    "[LIGHT]\r\nAmbient=10\r\n";
const std::string kForms =
    "[S]\r\nQ=\"abc\"\r\nP=abc\r\nE=\r\nHalf=\"\r\nEmpty=\"\"\r\nN=-42\r\nPlus=+7\r\nTrail=12abc\r\n"
    "Big=99999999999\r\nSpaced = 5\r\nOpen=\"abc\r\nClose=abc\"\r\nInner=\"a\"b\"\r\n";
const std::string kTwins = "[MODELX]\r\nLength=1\r\n[model]\r\nLength=2\r\n[MODEL]\r\nLen=3\r\n"
                           "Length=4\r\nLength=5\r\n[MODEL]\r\nLength=6\r\n";
const std::string kBrackets = "[TEXTURE]\r\nFilename=\"/p/photo [1].png\"\r\nScale=50\r\n"
                              "Other=\"[LIGHT]\"\r\n[LIGHT]\r\nAmbient=10\r\n";
const std::string kLfLines = "[MODEL]\nHeight=42\nLength=\"7\"\n[TEXTURE]\nFilename=\"a b.png\"\n";
const std::string kBom = "\xEF\xBB\xBF";

std::string Read(const std::string& path, const char* section, const char* key,
                 ProfileEncoding encoding = kUtf8) {
    char buffer[256] = "";
    GetPrivateProfileString(section, key, "<missing>", buffer, sizeof buffer, path.c_str(), encoding);
    return buffer;
}

}  // namespace

// Each value as text and as a number (missing: the default 77); numbers
// stop at the first other character and saturate.
TEST(PrivateProfile, ValuesAreFoundAndRead) {
    TempDir dir;
    const std::string path = dir.file("test.mv");
    struct Case {
        std::string content;
        const char* section;
        const char* key;
        std::string text;
        int32_t number;
        ProfileEncoding encoding = kUtf8;
    };
    const std::string inkSjis = "[S]\r\nA=x\x82\r\nB=2\r\n";
    const Case cases[] = {
        {kForms, "S", "Q", "abc", 0}, {kForms, "S", "P", "abc", 0}, {kForms, "S", "E", "", 0},
        {kForms, "S", "Half", "", 0}, {kForms, "S", "Empty", "", 0}, {kForms, "S", "N", "-42", -42},
        {kForms, "S", "Plus", "+7", 7}, {kForms, "S", "Trail", "12abc", 12},
        {kForms, "S", "Big", "99999999999", 2147483647}, {kForms, "S", "Open", "abc", 0},
        {kForms, "S", "Inner", "a\"b", 0},
        // Blanks around "=" are outside the format: the key does not match.
        {kForms, "S", "Spaced", "<missing>", 77},
        // Names match exactly and with case; the first of twins wins.
        {kTwins, "MODEL", "Length", "4", 4}, {kTwins, "MODEL", "length", "<missing>", 77},
        // A key's name inside another value is no key; keys belong to their section.
        {kStyle, "TEXTURE", "Color", "30", 30},
        {kStyle, "TEXTURE", "Filename", "/home/u/Color/wood.png", 0},
        {kStyle, "LIGHT", "Scale", "<missing>", 77},
        // A "[" inside a value neither opens nor ends a section.
        {kBrackets, "TEXTURE", "Scale", "50", 50}, {kBrackets, "LIGHT", "Ambient", "10", 10},
        // LF-only lines and a byte-order mark read like CR LF lines.
        {kLfLines, "MODEL", "Length", "7", 7}, {kBom + kLfLines, "MODEL", "Height", "42", 42},
        {"[SYSTEM]\r\nVersion=1.0", "SYSTEM", "Version", "1.0", 1},
        // Under Shift JIS a lead byte before the CR takes the CR as its second byte.
        {inkSjis, "S", "A", "x\x82", 0}, {inkSjis, "S", "A", "x\x82\r\nB=2", 0, kSjis},
    };
    for (const Case& c : cases) {
        MakeFile(path, c.content);
        EXPECT_EQ(Read(path, c.section, c.key, c.encoding), c.text) << c.section << "/" << c.key;
        EXPECT_EQ(GetPrivateProfileInt(c.section, c.key, 77, path.c_str(), c.encoding), c.number) << c.key;
    }
}

// Writes change the value only and keep every other byte; new keys go at
// the end of their section, new sections at the end of the file, each on a
// line of its own with CR LF; a deletion takes the whole line.
TEST(PrivateProfile, WritesKeepEveryOtherByte) {
    TempDir dir;
    const std::string path = dir.file("test.mv");
    struct Write {
        const char* section;
        const char* key;
        const char* value;  // null: delete the key
    };
    struct Case {
        std::string start;
        std::vector<Write> writes;
        std::string expected;
    };
    const std::string styleHead =
        "[SYSTEM]\r\nVersion=1\r\n[TEXTURE]\r\nFilename=\"/home/u/Color/wood.png\"\r\n";
    const Case cases[] = {
        {kTwins, {{"MODEL", "Length", "9"}},
         "[MODELX]\r\nLength=1\r\n[model]\r\nLength=2\r\n[MODEL]\r\nLen=3\r\nLength=9\r\nLength=5\r\n"
         "[MODEL]\r\nLength=6\r\n"},
        {kStyle, {{"TEXTURE", "Filename", "\"/a/much/longer/path/image.png\""}},
         "[SYSTEM]\r\nVersion=1\r\n[TEXTURE]\r\nFilename=\"/a/much/longer/path/image.png\"\r\nScale=50\r\n"
         "Color=30\r\n[LIGHT]\r\nAmbient=10\r\n"},
        {"",
         {{"MODEL", "Length", "100"}, {"MODEL", "Height", "90"}, {"LIGHT", "Ambient", "10"},
          {"MODEL", "Base", "0"}},
         "[MODEL]\r\nLength=100\r\nHeight=90\r\nBase=0\r\n[LIGHT]\r\nAmbient=10\r\n"},
        {"[A]\r\n[B]\r\nK=1\r\n", {{"A", "K", "2"}}, "[A]\r\nK=2\r\n[B]\r\nK=1\r\n"},
        {kStyle,
         {{"TEXTURE", "Scale", nullptr}, {"TEXTURE", "Scale", nullptr}, {"NOSECTION", "Scale", nullptr}},
         styleHead + "Color=30\r\n[LIGHT]\r\nAmbient=10\r\n"},
        {"[S]\r\nA=1\r\nB=2", {{"S", "B", nullptr}}, "[S]\r\nA=1\r\n"},
        {"[SYSTEM]\r\nVersion=1.0", {{"SYSTEM", "Build", "7"}}, "[SYSTEM]\r\nVersion=1.0\r\nBuild=7\r\n"},
        {kBrackets, {{"TEXTURE", "Bend", "50"}, {"LIGHT", "Light1", "10"}},
         "[TEXTURE]\r\nFilename=\"/p/photo [1].png\"\r\nScale=50\r\nOther=\"[LIGHT]\"\r\nBend=50\r\n"
         "[LIGHT]\r\nAmbient=10\r\nLight1=10\r\n"},
        {kBom + kLfLines, {{"MODEL", "Height", "5"}, {"LIGHT", "Ambient", "9"}},
         kBom + "[MODEL]\nHeight=5\nLength=\"7\"\n[TEXTURE]\nFilename=\"a b.png\"\n[LIGHT]\r\nAmbient=9\r\n"},
    };
    for (const Case& c : cases) {
        MakeFile(path, c.start);
        for (const Write& w : c.writes)
            EXPECT_EQ(WritePrivateProfileString(w.section, w.key, w.value, path.c_str()), 0) << w.key;
        EXPECT_EQ(FileContent(path), c.expected) << c.start;
    }
}

TEST(PrivateProfile, DestinationSizeRules) {
    TempDir dir;
    const std::string path = dir.file("test.mv");
    MakeFile(path, "[S]\r\nFive=12345\r\n");
    char small[6] = "";
    EXPECT_EQ(GetPrivateProfileString("S", "Five", "d", small, 6, path.c_str()), 0);
    EXPECT_STREQ(small, "12345");
    char tiny[5] = "";
    EXPECT_EQ(GetPrivateProfileString("S", "Five", "d", tiny, 5, path.c_str()), 0);
    EXPECT_STREQ(tiny, "d");  // too long: the default stays
    // A default longer than the destination is cut, never written past it.
    char guarded[8] = "#######";
    EXPECT_EQ(GetPrivateProfileString("S", "None", "abcdefgh", guarded, 4, path.c_str()), 1);
    EXPECT_STREQ(guarded, "abc");
    EXPECT_EQ(guarded[4], '#');
    // Without a default the destination keeps what it held.
    char kept[8] = "kept";
    EXPECT_EQ(GetPrivateProfileString("S", "None", nullptr, kept, 8, path.c_str()), 1);
    EXPECT_STREQ(kept, "kept");
}

// UTF-8 names end in bytes that start a two-byte character in Shift JIS
// (0x81..0x9F); the Shift JIS name has "[" as a second byte (0x81 0x5B).
TEST(PrivateProfile, TextOfEitherEncodingRoundTrips) {
    TempDir dir;
    const std::string path = dir.file("test.mv");
    const std::string utf8 = "/home/u/M\xC3\x9C" "nchen/\xE3\x81\x82/\xD0\x96";
    const std::string sjis = "\x83\x65\x83\x4E\x83\x58\x83\x60\x83\x83\x81\x5B";
    for (const auto& [name, encoding] : {std::pair{utf8, kUtf8}, std::pair{sjis, kSjis}}) {
        MakeFile(path, "");
        const std::string quoted = "\"" + name + "\"";
        for (const auto& [key, value] : {std::pair{"Filename", quoted}, std::pair{"Plain", name}})
            EXPECT_EQ(WritePrivateProfileString("TEXTURE", key, value.c_str(), path.c_str(), encoding), 0);
        EXPECT_EQ(WritePrivateProfileString("LIGHT", "Ambient", "10", path.c_str(), encoding), 0);
        EXPECT_EQ(Read(path, "TEXTURE", "Filename", encoding), name);
        EXPECT_EQ(Read(path, "TEXTURE", "Plain", encoding), name);
        EXPECT_EQ(FileContent(path), "[TEXTURE]\r\nFilename=" + quoted + "\r\nPlain=" + name +
                                         "\r\n[LIGHT]\r\nAmbient=10\r\n");
    }
}

TEST(PrivateProfile, TextThatWouldBreakTheLinesIsRefused) {
    TempDir dir;
    const std::string path = dir.file("style.mv");
    const std::string content = "[S]\r\nA=1\r\n";
    MakeFile(path, content);
    struct Case {
        const char* section;
        const char* key;
        const char* value;
    };
    for (const Case& c : {Case{"S", "A", "1\r\nEvil=1"}, Case{"S", "A", "1\n"}, Case{"S", "A=B", "1"},
                          Case{"S", "[T]", "1"}, Case{"S", "", "1"}, Case{"S]", "A", "1"},
                          Case{nullptr, "A", "1"}})
        EXPECT_EQ(WritePrivateProfileString(c.section, c.key, c.value, path.c_str()), -EINVAL) << c.key;
    EXPECT_EQ(WritePrivateProfileString("S", "A", "1", nullptr), -EINVAL);
    EXPECT_EQ(FileContent(path), content);
}
