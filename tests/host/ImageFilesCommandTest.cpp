// Image files through the morvanel command: what it refuses and why, what it
// reads, and what it writes for formats with and without alpha.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <zlib.h>

#include "CommandTestSupport.h"
#include "HostCommand.h"
#include "TempDir.h"

namespace {

using morvanel_test::DiscImage;
using morvanel_test::LoadImage;
using morvanel_test::ReadFile;

const std::string kBadFiles = MORVANEL_TEST_BAD_FILES;

// AddressSanitizer reserves terabytes of address space for its shadow, so a
// sanitized command cannot start under an address-space limit.
#if defined(__SANITIZE_ADDRESS__)
#define MORVANEL_TEST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MORVANEL_TEST_ASAN 1
#endif
#endif
#ifdef MORVANEL_TEST_ASAN
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
constexpr rlim_t kOneGigabyte = kSanitized ? RLIM_INFINITY : rlim_t{1} << 30;

class ImageFilesCommand : public ::testing::Test {
protected:
    ImageFilesCommand() : home_(dir_) {}

    std::string File(const std::string& name) const { return dir_.file(name); }

    int Run(const std::vector<std::string>& args, rlim_t addressSpace = RLIM_INFINITY) {
        const int code = morvanel_test::RunMorvanel(args, File("stderr.txt"), {}, "/dev/null", addressSpace);
        errors_ = ReadFile(File("stderr.txt"));
        return code;
    }

    void Write(const std::string& path, const HostImageSt& image) {
        std::string error;
        ASSERT_TRUE(HostImage_Save(path, image, error)) << error;
    }

    void WriteBytes(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }

    // Runs apply on `input` and expects exit 3 with `reason` in the message
    // and no output.
    void ExpectRefused(const std::string& input, const std::string& reason, rlim_t addressSpace = RLIM_INFINITY) {
        SCOPED_TRACE(input);
        const std::string out = File("out.png");
        EXPECT_EQ(Run({"apply", input, "-o", out}, addressSpace), kExitBadInput) << errors_;
        EXPECT_NE(errors_.find(reason), std::string::npos) << errors_;
        EXPECT_FALSE(std::filesystem::exists(out));
    }

    morvanel_test::TempDir dir_;
    morvanel_test::ScopedHome home_;
    std::string errors_;
};

// The committed corpus: headers that claim far more than their files hold
// are refused before any pixel memory is taken (the run is limited to 1 GB
// of address space, unless sanitized; each claims 2 to 2.7 GB), damaged data
// fails the read, and variants that are not read say so.
TEST_F(ImageFilesCommand, BadFilesAreRefusedWithTheirReason) {
    const std::string damaged = "damaged";
    const struct {
        const char* file;
        std::string reason;
    } cases[] = {
        {"claims-26000-square.png", damaged},
        {"claims-26000-square-alpha.tif", damaged},
        {"claims-26000-square.jpg", damaged},
        {"claims-26000-square.bmp", damaged},
        {"cut-in-half.png", damaged},
        {"cut-in-half.jpg", damaged},
        {"garbled-alpha.tif", damaged},
        {"run-length.bmp", "kind of BMP file that morvanel does not read"},
        {"top-down.bmp", "kind of BMP file that morvanel does not read"},
        {"core-header.bmp", "kind of BMP file that morvanel does not read"},
        {"lossless.jpg", "kind of JPEG file that morvanel does not read"},
        {"unknown-compression.tif", "kind of TIFF file that morvanel does not read"},
        {"text-named.png", "not an image"},
        {"empty.jpg", "not an image"},
    };
    for (const auto& c : cases) ExpectRefused(kBadFiles + "/" + c.file, c.reason, kOneGigabyte);
}

TEST_F(ImageFilesCommand, FilesThatCannotBeOpenedSayWhy) {
    ExpectRefused(File("absent.png"), "no such file");
    std::filesystem::create_directory(File("folder.png"));
    ExpectRefused(File("folder.png"), "not a regular file");
    ASSERT_EQ(::mkfifo(File("pipe.png").c_str(), 0600), 0);
    ExpectRefused(File("pipe.png"), "not a regular file");   // and does not wait for a writer
}

TEST_F(ImageFilesCommand, UnreadableFileIsPermissionDenied) {
    if (::geteuid() == 0) GTEST_SKIP() << "runs as root, who may read any file";
    Write(File("locked.png"), DiscImage(8, 8, 3));
    ASSERT_EQ(::chmod(File("locked.png").c_str(), 0), 0);
    ExpectRefused(File("locked.png"), "permission denied");
}

// A PNG row of 8000 one-bit pixels of 0, deflated as tightly as zlib goes:
// a real 8000 x 8000 picture of 8 KB, which a run cannot render in 1 GB.
std::string LargeBlankPng(uint32_t side) {
    const auto be32 = [](uint32_t v) {
        return std::string{static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
                           static_cast<char>(v)};
    };
    const auto chunk = [&](const std::string& type, const std::string& data) {
        const std::string body = type + data;
        return be32(static_cast<uint32_t>(data.size())) + body +
               be32(static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(body.data()), body.size())));
    };
    const std::string raw(std::size_t{side} * (side / 8 + 1), '\0');
    std::string packed(compressBound(raw.size()), '\0');
    uLongf packedSize = packed.size();
    compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize, reinterpret_cast<const Bytef*>(raw.data()),
              raw.size(), 9);
    packed.resize(packedSize);
    const std::string header = be32(side) + be32(side) + std::string{1, 0, 0, 0, 0};
    return "\x89PNG\r\n\x1a\n" + chunk("IHDR", header) + chunk("IDAT", packed) + chunk("IEND", "");
}

TEST_F(ImageFilesCommand, ImageTooLargeForMemoryIsRefusedEarly) {
    if (kSanitized) GTEST_SKIP() << "a sanitized build cannot run under an address-space limit";
    WriteBytes(File("large.png"), LargeBlankPng(8000));
    ExpectRefused(File("large.png"), "not enough memory for a 8000x8000 image", kOneGigabyte);
}

// Paths of any length the system accepts are read, whatever the format.
TEST_F(ImageFilesCommand, InputsUnderLongPathsAreRead) {
    std::filesystem::path folder = dir_.path();
    while (folder.string().size() < 300) folder /= std::string(60, 'f');
    std::filesystem::create_directories(folder);
    for (const std::string extension : {"png", "jpg", "tif", "bmp"}) {
        const std::string in = (folder / ("in." + extension)).string();
        Write(in, DiscImage(24, 20, 3));
        EXPECT_EQ(Run({"apply", in, "-o", File("out.png")}), kExitOk) << extension << ": " << errors_;
    }
}

// Inputs are recognised by their content, outputs by the extension in any case.
TEST_F(ImageFilesCommand, FormatsByContentAndByExtensionInAnyCase) {
    Write(File("real.jpg"), DiscImage(24, 20, 3));
    std::filesystem::rename(File("real.jpg"), File("PHOTO.JPG"));
    Write(File("real.png"), DiscImage(24, 20, 4));
    std::filesystem::rename(File("real.png"), File("misnamed.bmp"));
    const struct {
        const char* in;
        const char* out;
        std::string signature;
    } cases[] = {
        {"PHOTO.JPG", "OUT.PNG", "\x89PNG"},
        {"misnamed.bmp", "out.JpEg", "\xFF\xD8\xFF"},
        {"PHOTO.JPG", "out.Tif", "II*"},
        {"misnamed.bmp", "OUT.BMP", "BM"},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(Run({"apply", File(c.in), "-o", File(c.out)}), kExitOk) << c.in << " -> " << c.out << ": " << errors_;
        EXPECT_EQ(ReadFile(File(c.out)).substr(0, c.signature.size()), c.signature) << c.out;
    }
}

// Colour type byte of a PNG's header: 2 RGB, 6 RGBA.
int PngColourType(const std::string& path) { return static_cast<uint8_t>(ReadFile(path).at(25)); }

TEST_F(ImageFilesCommand, AlphaOnlyWhenTheInputHadIt) {
    Write(File("rgb.png"), DiscImage(24, 20, 3));
    Write(File("rgba.png"), DiscImage(24, 20, 4));
    Write(File("rgb.jpg"), DiscImage(24, 20, 3));
    ASSERT_EQ(Run({"apply", File("rgb.png"), "-o", File("from-rgb.png")}), kExitOk) << errors_;
    ASSERT_EQ(Run({"apply", File("rgb.jpg"), "-o", File("from-jpg.png")}), kExitOk) << errors_;
    ASSERT_EQ(Run({"apply", File("rgba.png"), "-o", File("from-rgba.png")}), kExitOk) << errors_;
    EXPECT_EQ(PngColourType(File("from-rgb.png")), 2);
    EXPECT_EQ(PngColourType(File("from-jpg.png")), 2);
    EXPECT_EQ(PngColourType(File("from-rgba.png")), 6);
}

// Outputs without alpha show the transparent layer over a background.
TEST_F(ImageFilesCommand, FormatsWithoutAlphaGetABackground) {
    const HostImageSt layer = DiscImage(48, 40, 4);
    Write(File("layer.png"), layer);
    const std::string in = File("layer.png");
    ASSERT_EQ(Run({"apply", in, "-o", File("white.bmp")}), kExitOk) << errors_;
    ASSERT_EQ(Run({"apply", in, "-o", File("white.jpg")}), kExitOk) << errors_;
    ASSERT_EQ(Run({"apply", in, "-o", File("blue.bmp"), "--background", "#204080"}), kExitOk) << errors_;
    ASSERT_EQ(Run({"apply", in, "-o", File("none.bmp"), "--background", "none"}), kExitOk) << errors_;
    ASSERT_EQ(Run({"apply", in, "-o", File("kept.png")}), kExitOk) << errors_;

    const auto rgb = [](const HostImageSt& image, int x, int y) {
        const uint8_t* p = image.Pixel(x, y);
        return std::vector<int>{p[0], p[1], p[2]};
    };
    const HostImageSt kept = LoadImage(File("kept.png"));
    ASSERT_EQ(kept.Pixel(0, 0)[3], 0);
    EXPECT_EQ(rgb(LoadImage(File("white.bmp")), 0, 0), (std::vector<int>{255, 255, 255}));
    EXPECT_EQ(rgb(LoadImage(File("blue.bmp")), 0, 0), (std::vector<int>{32, 64, 128}));
    EXPECT_EQ(rgb(LoadImage(File("none.bmp")), 0, 0), rgb(kept, 0, 0));
    EXPECT_GE(LoadImage(File("white.jpg")).Pixel(0, 0)[1], 250);
    // Opaque pixels are the rendered colours whatever the background.
    EXPECT_EQ(rgb(LoadImage(File("blue.bmp")), 24, 20), rgb(kept, 24, 20));

    // A layer without alpha is written as it is.
    Write(File("flat.png"), DiscImage(48, 40, 3));
    ASSERT_EQ(Run({"apply", File("flat.png"), "-o", File("flat-white.bmp")}), kExitOk) << errors_;
    ASSERT_EQ(Run({"apply", File("flat.png"), "-o", File("flat-none.bmp"), "--background", "none"}), kExitOk);
    EXPECT_EQ(ReadFile(File("flat-white.bmp")), ReadFile(File("flat-none.bmp")));

    for (const std::string bad : {"white", "#12345", "#12345g", "#1234567"})
        EXPECT_EQ(Run({"apply", in, "-o", File("x.jpg"), "--background", bad}), kExitUsage) << bad;
}

// A TIFF of one row: (100, 50, 20) at alpha 128 stored premultiplied as
// (50, 25, 10), then an opaque (7, 8, 9); uncompressed, written by hand.
std::string PremultipliedTiff() {
    const auto le16 = [](uint16_t v) { return std::string{static_cast<char>(v), static_cast<char>(v >> 8)}; };
    const auto le32 = [&](uint32_t v) { return le16(static_cast<uint16_t>(v)) + le16(static_cast<uint16_t>(v >> 16)); };
    const auto entry = [&](uint16_t tag, uint16_t type, uint32_t value) {
        return le16(tag) + le16(type) + le32(1) + (type == 3 ? le16(static_cast<uint16_t>(value)) + le16(0) : le32(value));
    };
    const uint32_t pixelsAt = 8 + 2 + 10 * 12 + 4;
    std::string tiff = "II*" + std::string(1, '\0') + le32(8) + le16(10);
    tiff += entry(256, 4, 2) + entry(257, 4, 1) + entry(258, 3, 8) + entry(259, 3, 1) + entry(262, 3, 2) +
            entry(273, 4, pixelsAt) + entry(277, 3, 4) + entry(278, 4, 1) + entry(279, 4, 8) + entry(338, 3, 1);
    return tiff + le32(0) + std::string{50, 25, 10, static_cast<char>(128), 7, 8, 9, static_cast<char>(255)};
}

TEST_F(ImageFilesCommand, PremultipliedTiffLoadsWithItsOwnColours) {
    WriteBytes(File("premultiplied.tif"), PremultipliedTiff());
    const HostImageSt image = LoadImage(File("premultiplied.tif"));
    ASSERT_EQ(image.planes, 4);
    ASSERT_EQ(image.width, 2);
    EXPECT_EQ(std::vector<int>(image.Pixel(0, 0), image.Pixel(0, 0) + 4), (std::vector<int>{100, 50, 20, 128}));
    EXPECT_EQ(std::vector<int>(image.Pixel(1, 0), image.Pixel(1, 0) + 4), (std::vector<int>{7, 8, 9, 255}));
}

// Filters sample colours beyond a shape's outline (refraction, blurs): in
// the shipped samples the transparent pixels continue the edge's colour.
TEST(ShippedSamples, TransparentPixelsCarryTheEdgeColour) {
    for (const std::string name : {"Word.png", "Star.png"}) {
        SCOPED_TRACE(name);
        const HostImageSt image = LoadImage(std::string(MORVANEL_TEST_SAMPLES) + "/" + name);
        ASSERT_EQ(image.planes, 4);
        int transparent = 0;
        for (int32_t y = 1; y + 1 < image.height; ++y)
            for (int32_t x = 1; x + 1 < image.width; ++x) {
                const uint8_t* pixel = image.Pixel(x, y);
                if (pixel[3] != 0) continue;
                ++transparent;
                // Next to the outline it has its covered neighbour's colour,
                // give or take the gradient's step.
                for (const auto& [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
                    const uint8_t* next = image.Pixel(x + dx, y + dy);
                    if (next[3] == 0) continue;
                    for (int c = 0; c < 3; ++c) ASSERT_LE(std::abs(pixel[c] - next[c]), 3) << x << "," << y;
                }
            }
        EXPECT_GT(transparent, image.width * image.height / 4);
    }
}

}  // namespace
