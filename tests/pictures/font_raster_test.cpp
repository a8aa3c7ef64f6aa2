// Tests of FreeType text setting: widths, tracking, widening, placement on the baseline and font errors.
#include "tools/bitmap_kit/font_raster.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

namespace vesk::kit {
namespace {

const std::string kSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

#define SKIP_WITHOUT_FONT() \
  if (!std::filesystem::exists(kSans)) GTEST_SKIP() << kSans << " (Debian fonts-dejavu-core) is not installed"

TEST(FontMeasure, TrackingIsAddedBetweenLettersOnly) {
  SKIP_WITHOUT_FONT();
  const Font font(kSans, 11.0);
  EXPECT_DOUBLE_EQ(font.Measure(""), 0.0);
  EXPECT_NEAR(font.Measure("VESK", 2.0) - font.Measure("VESK"), 6.0, 1e-9);
  EXPECT_NEAR(font.Measure("V", 5.0), font.Measure("V"), 1e-9);
}

TEST(FontMeasure, WidthScaleWidensWithoutChangingHeight) {
  SKIP_WITHOUT_FONT();
  const Font plain(kSans, 20.0, Hinting::kNone);
  const Font wide(kSans, 20.0, Hinting::kNone, 1.2);
  EXPECT_NEAR(wide.Measure("tallow") / plain.Measure("tallow"), 1.2, 0.01);
  EXPECT_NEAR(wide.CapHeight(), plain.CapHeight(), 0.05);
}

TEST(FontMeasure, MultiByteCharactersAreOneGlyphEach) {
  SKIP_WITHOUT_FONT();
  const Font font(kSans, 11.0, Hinting::kNone);
  // U+00B7, the middle dot of the pages, is two bytes in UTF-8.
  EXPECT_NEAR(font.Measure("1\u00B71"), 2 * font.Measure("1") + font.Measure("\u00B7"), 0.01);
  EXPECT_GT(font.Measure("\xFF"), 0.0) << "a stray byte is set as a replacement glyph, not dropped";
}

TEST(FontDraw, CapitalsSitOnTheBaselineAtTheirHeight) {
  SKIP_WITHOUT_FONT();
  const Font font(kSans, 20.0);
  Plane plane(60, 40);
  font.Draw(plane, "H", 10.0, 30.0);
  int top = plane.height, bottom = -1, left = plane.width;
  for (int y = 0; y < plane.height; ++y) {
    for (int x = 0; x < plane.width; ++x) {
      if (plane.At(x, y) < 0.5f) continue;
      top = std::min(top, y);
      bottom = std::max(bottom, y);
      left = std::min(left, x);
    }
  }
  EXPECT_EQ(bottom, 29) << "the last inked row is just above the baseline";
  EXPECT_NEAR(30 - top, font.CapHeight(), 1.0);
  EXPECT_GE(left, 10);
  EXPECT_LE(left, 13);
}

TEST(FontDraw, IntensityScalesCoverageAndInkBeyondThePlaneIsDropped) {
  SKIP_WITHOUT_FONT();
  const Font font(kSans, 20.0);
  Plane full(40, 30), dim(40, 30);
  font.Draw(full, "I", 10.0, 25.0);
  font.Draw(dim, "I", 10.0, 25.0, 0.0, 0.5f);
  float fullMax = 0.0f, dimMax = 0.0f;
  for (std::size_t i = 0; i < full.v.size(); ++i) {
    fullMax = std::max(fullMax, full.v[i]);
    dimMax = std::max(dimMax, dim.v[i]);
  }
  EXPECT_FLOAT_EQ(fullMax, 1.0f);
  EXPECT_FLOAT_EQ(dimMax, 0.5f);
  Plane tiny(4, 4);
  font.Draw(tiny, "WWW", -30.0, 50.0);  // entirely outside: must not write out of bounds
  for (float v : tiny.v) EXPECT_EQ(v, 0.0f);
}

TEST(FontOpen, AMissingFileIsAnErrorNamingIt) {
  try {
    Font font("/nonexistent/Face.ttf", 10.0);
    FAIL() << "expected an error";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("/nonexistent/Face.ttf"), std::string::npos);
  }
}

}  // namespace
}  // namespace vesk::kit
