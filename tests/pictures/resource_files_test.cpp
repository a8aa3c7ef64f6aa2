// Checks the committed still pictures and dialog logo: their format, and that the generators still make them.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tools/bitmap_kit/bmp_file.h"
#include "tools/make_logo/logo.h"
#include "tools/make_pictures/pages.h"

namespace vesk {
namespace {

const std::filesystem::path kResources = std::filesystem::path(VESK_SOURCE_DIR) / "resources";

std::vector<std::uint8_t> Load(const std::filesystem::path& path) {
  std::vector<std::uint8_t> bytes;
  std::string error;
  EXPECT_TRUE(kit::ReadBytes(path, bytes, error)) << error;
  return bytes;
}

std::filesystem::path PicturePath(int n) { return kResources / "pictures" / pictures::PageFileName(n); }

bool FontsInstalled() {
  for (const char* face : {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf", "DejaVuSans-BoldOblique.ttf"}) {
    if (!std::filesystem::exists(std::filesystem::path(pictures::kDefaultFontDir) / face)) return false;
  }
  return true;
}

#define SKIP_WITHOUT_FONTS()                                                                          \
  if (!FontsInstalled())                                                                              \
  GTEST_SKIP() << "DejaVu fonts (Debian fonts-dejavu-core) are not installed in "                    \
               << pictures::kDefaultFontDir << "; cannot regenerate to compare"

TEST(StillPictureFiles, AllFourHaveTheFixedSizeAndHeader) {
  for (int n = 1; n <= pictures::kPageCount; ++n) {
    SCOPED_TRACE(PicturePath(n).string());
    const auto bytes = Load(PicturePath(n));
    ASSERT_EQ(bytes.size(), 192054u);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(kit::ReadLe32(bytes, 2), 192054u);
    EXPECT_EQ(kit::ReadLe32(bytes, 6), 0u);
    EXPECT_EQ(kit::ReadLe32(bytes, 10), 54u);
    EXPECT_EQ(kit::ReadLe32(bytes, 14), 40u);
    EXPECT_EQ(kit::ReadLe32(bytes, 18), 320u);
    EXPECT_EQ(kit::ReadLe32(bytes, 22), 200u);
    EXPECT_EQ(kit::ReadLe16(bytes, 26), 1u);
    EXPECT_EQ(kit::ReadLe16(bytes, 28), 24u);
    for (std::size_t at = 30; at < 54; ++at) EXPECT_EQ(bytes[at], 0u) << "header byte " << at;
  }
}

TEST(StillPictureFiles, AreDistinctPagesOfLightTextOnBlack) {
  std::vector<std::vector<std::uint8_t>> pages;
  for (int n = 1; n <= pictures::kPageCount; ++n) {
    SCOPED_TRACE(PicturePath(n).string());
    pages.push_back(Load(PicturePath(n)));
    const auto& bytes = pages.back();
    ASSERT_EQ(bytes.size(), 192054u);
    std::size_t dark = 0;
    std::uint8_t brightest = 0;
    for (std::size_t at = 54; at < bytes.size(); at += 3) {
      dark += bytes[at] == 0;
      brightest = std::max(brightest, bytes[at]);
    }
    EXPECT_GT(dark, 64000u * 3 / 4) << "the background is black";
    EXPECT_GE(brightest, 240) << "the text reaches full brightness";
    // The corners are background whichever way up a viewer reads the rows.
    EXPECT_EQ(bytes[54], 0);
    EXPECT_EQ(bytes[bytes.size() - 3], 0);
  }
  for (std::size_t a = 0; a < pages.size(); ++a) {
    for (std::size_t b = a + 1; b < pages.size(); ++b) EXPECT_NE(pages[a], pages[b]) << a + 1 << " vs " << b + 1;
  }
}

TEST(StillPictureFiles, MatchWhatTheGeneratorMakesNow) {
  SKIP_WITHOUT_FONTS();
  for (int n = 1; n <= pictures::kPageCount; ++n) {
    const auto fresh = kit::EncodeStillPicture(pictures::RenderPage(n, pictures::kDefaultFontDir));
    EXPECT_TRUE(fresh == Load(PicturePath(n)))
        << PicturePath(n).string() << " is stale: rerun make_pictures -o resources/pictures";
  }
}

TEST(DialogLogoFile, IsAnOrdinary213By133TrueColourBitmap) {
  const auto bytes = Load(kResources / "dialog" / "logo.bmp");
  ASSERT_EQ(bytes.size(), 54u + 640u * 133u);
  EXPECT_EQ(bytes[0], 'B');
  EXPECT_EQ(bytes[1], 'M');
  EXPECT_EQ(kit::ReadLe32(bytes, 2), bytes.size());
  EXPECT_EQ(kit::ReadLe32(bytes, 10), 54u);
  EXPECT_EQ(kit::ReadLe32(bytes, 14), 40u);
  EXPECT_EQ(kit::ReadLe32(bytes, 18), 213u);
  EXPECT_EQ(kit::ReadLe32(bytes, 22), 133u);
  EXPECT_EQ(kit::ReadLe16(bytes, 26), 1u);
  EXPECT_EQ(kit::ReadLe16(bytes, 28), 24u);
  EXPECT_EQ(kit::ReadLe32(bytes, 30), 0u);
}

TEST(DialogLogoFile, MatchesWhatTheGeneratorMakesNow) {
  SKIP_WITHOUT_FONTS();
  const auto fresh = kit::EncodeBottomUpBmp(logo::RenderLogo(logo::kDefaultFontDir));
  EXPECT_TRUE(fresh == Load(kResources / "dialog" / "logo.bmp"))
      << "resources/dialog/logo.bmp is stale: rerun make_logo -o resources/dialog";
}

TEST(Generators, NameTheMissingFontInTheirError) {
  try {
    pictures::RenderPage(1, "/nonexistent/fonts");
    FAIL() << "expected an error";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("/nonexistent/fonts/DejaVuSans"), std::string::npos) << e.what();
  }
  EXPECT_THROW(logo::RenderLogo("/nonexistent/fonts"), std::runtime_error);
  EXPECT_THROW(pictures::RenderPage(0, pictures::kDefaultFontDir), std::out_of_range);
  EXPECT_THROW(pictures::RenderPage(5, pictures::kDefaultFontDir), std::out_of_range);
}

}  // namespace
}  // namespace vesk
