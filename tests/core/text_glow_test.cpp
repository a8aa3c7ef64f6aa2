// Tests of the font and text records, the text mesh builder, the glow pass and the text renderer.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "core/projection.h"
#include "core/show_state.h"
#include "core/text_glow.h"
#include "core/text_records.h"

extern "C" const unsigned char vesk_core_font8x8_bin[];
extern "C" const unsigned int vesk_core_font8x8_bin_size;

namespace {

constexpr int kW = kScreenWidth;

TextRecord MakeRecord(const std::string& text, uint8_t xShift = 5, uint8_t yShift = 5,
                      int16_t xOffset = 0, int16_t yOffset = 0, int16_t distance = 700) {
  TextRecord r{};
  r.distance = distance;
  std::strncpy(r.text, text.c_str(), kMaxTextChars);
  r.layout = {xShift, yShift, xOffset, yOffset};
  return r;
}

std::string GlyphRow(int row, int fromColumn, int columns) {
  std::string s;
  for (int c = fromColumn; c < fromColumn + columns; ++c) s += GlyphPlane[row * kW + c] ? '#' : '.';
  return s;
}

// A face as the grid points (row, column) of its three corners.
using GridPoint = std::pair<int, int>;
using GridFace = std::tuple<GridPoint, GridPoint, GridPoint>;

GridPoint GridOf(uint16_t vertex, const TextLayout& layout) {
  const ModelVertex& v = TextVertices[vertex];
  return {(v.y + layout.yOffset) >> layout.yShift, (v.x + layout.xOffset) >> layout.xShift};
}

std::vector<GridFace> GridFaces(const TextLayout& layout) {
  std::vector<GridFace> out;
  for (int f = 0; f < TextFaceCount; ++f) {
    const FaceRecord& face = TextFaces[f];
    out.emplace_back(GridOf(face.corner[0], layout), GridOf(face.corner[1], layout),
                     GridOf(face.corner[2], layout));
  }
  return out;
}

class TextGlowTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetShowState(); }
};

// ---- Font and stored records ---------------------------------------------------------------

TEST_F(TextGlowTest, FontHoldsTheFirst128GlyphsOfThePcCharacterSet) {
  EXPECT_EQ(vesk_core_font8x8_bin_size, 1024u);
  const uint8_t l[8] = {0x70, 0x30, 0x30, 0x30, 0x30, 0x30, 0x78, 0x00};
  EXPECT_EQ(0, std::memcmp(FontGlyph(108), l, 8));
  const uint8_t a[8] = {0x30, 0x78, 0xCC, 0xCC, 0xFC, 0xCC, 0xCC, 0x00};
  EXPECT_EQ(0, std::memcmp(FontGlyph('A'), a, 8));
  const uint8_t none[8] = {};
  EXPECT_EQ(0, std::memcmp(FontGlyph(200), none, 8)) << "codes past the font are blank";
}

TEST_F(TextGlowTest, StoredRecordsHoldTheShowsCaptionsAndNames) {
  struct Expected {
    int id;
    int16_t distance;
    const char* text;
    uint8_t xShift, yShift;
    int16_t xOffset, yOffset;
  };
  const Expected table[] = {
      {CaptionRecord1, 2300, "CodE", 6, 4, 907, 146},
      {CaptionRecord2, 2300, "mUSic", 6, 4, 1057, 146},
      {CaptionRecord3, 2300, "gfx", 6, 4, 747, 146},
      {NameRecord1, 700, "tallow", 5, 5, 530, 26},
      {NameRecord2, 1300, "brackmoor", 5, 5, 1037, 106},
      {NameRecord3, 700, "quib", 5, 5, 477, 146},
  };
  for (const Expected& e : table) {
    SCOPED_TRACE(e.text);
    const TextRecord r = LoadTextRecord(e.id);
    EXPECT_EQ(r.distance, e.distance);
    EXPECT_STREQ(r.text, e.text);
    EXPECT_EQ(r.layout.xShift, e.xShift);
    EXPECT_EQ(r.layout.yShift, e.yShift);
    EXPECT_EQ(r.layout.xOffset, e.xOffset);
    EXPECT_EQ(r.layout.yOffset, e.yOffset);
  }
  EXPECT_EQ(TextRecordData(-1), nullptr);
  EXPECT_EQ(TextRecordData(kTextRecordCount), nullptr);
}

TEST_F(TextGlowTest, ReadingARecordCutsTextsPastFortyFiveCharacters) {
  std::vector<uint8_t> packed = {0x2C, 0x01};  // 300
  packed.insert(packed.end(), 50, 'x');
  packed.insert(packed.end(), {0, 3, 4, 0xFE, 0xFF, 0x10, 0x00});
  const TextRecord r = ReadTextRecord(packed.data());
  EXPECT_EQ(r.distance, 300);
  EXPECT_EQ(std::strlen(r.text), static_cast<size_t>(kMaxTextChars));
  EXPECT_EQ(r.layout.xShift, 3);
  EXPECT_EQ(r.layout.yShift, 4);
  EXPECT_EQ(r.layout.xOffset, -2);
  EXPECT_EQ(r.layout.yOffset, 16);
}

// ---- BuildTextMesh ---------------------------------------------------------------------------

TEST_F(TextGlowTest, ThinningTurnsTwoPixelStrokesIntoOne) {
  BuildTextMesh(MakeRecord("l"));
  const char* thinned[8] = {"..##....", "...#....", "...#....", "...#....",
                            "...#....", "...#....", "..###...", "........"};
  for (int r = 0; r < 8; ++r) EXPECT_EQ(GlyphRow(r, 0, 8), thinned[r]) << "row " << r;
  // Every run loses its first pixel except a single pixel one gap after the previous run.
  BuildTextMesh(MakeRecord("b"));  // row 6 is 11011100
  EXPECT_EQ(GlyphRow(6, 0, 8), ".#..##..");
  BuildTextMesh(MakeRecord("E"));  // row 2 is 01101000: the lone pixel stays
  EXPECT_EQ(GlyphRow(2, 0, 8), "..#.#...");
  BuildTextMesh(MakeRecord("m"));  // row 5 is 11010110
  EXPECT_EQ(GlyphRow(5, 0, 8), ".#.#..#.");
}

TEST_F(TextGlowTest, GlyphsAdvanceSevenColumnsAndTheLaterOneOwnsTheSharedColumn) {
  BuildTextMesh(MakeRecord("_"));
  EXPECT_EQ(GlyphRow(7, 0, 8), ".#######");
  BuildTextMesh(MakeRecord("__"));
  EXPECT_EQ(GlyphRow(7, 0, 15), ".######.#######") << "column 7 is the second glyph's column 0";
}

TEST_F(TextGlowTest, MeshCountsFollowTheThinnedGlyphs) {
  BuildTextMesh(MakeRecord("l"));
  EXPECT_EQ(TextVertexCount, 22);
  EXPECT_EQ(TextFaceCount, 20);
  BuildTextMesh(MakeRecord("Ab"));
  EXPECT_EQ(TextVertexCount, 71);
  EXPECT_EQ(TextFaceCount, 70);
  BuildTextMesh(MakeRecord(""));
  EXPECT_EQ(TextVertexCount, 0);
  EXPECT_EQ(TextFaceCount, 0);
}

TEST_F(TextGlowTest, VerticesAreNumberedInScanOrderWithScaledShiftedCoordinates) {
  const TextRecord r = MakeRecord("l", 5, 4, 100, -7, 1234);
  BuildTextMesh(r);
  EXPECT_EQ(ProjectionDistance, 1234);
  // Grid row 0 has the points of columns 2, 3 and 4.
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(TextVertices[k].x, (2 + k) * 32 - 100);
    EXPECT_EQ(TextVertices[k].y, 7);
    EXPECT_EQ(TextVertices[k].z, 0);
    EXPECT_EQ(VertexIndexMap[2 + k], k);
  }
  EXPECT_EQ(TextVertices[3].y, 16 + 7) << "grid row 1 follows";
  EXPECT_EQ(VertexIndexMap[0], 0);
  EXPECT_EQ(VertexIndexMap[5], 0);
  EXPECT_EQ(VertexIndexMap[7 * kW + 5], 21) << "the last point: row 7, column 5";
  for (int c = 0; c < kW; ++c) EXPECT_EQ(VertexIndexMap[8 * kW + c], 0) << "row 8 is bare";
}

TEST_F(TextGlowTest, FacesRunFromTheLastCellBackwardsTwoPerLitCell) {
  const TextRecord r = MakeRecord("l");
  BuildTextMesh(r);
  const auto faces = GridFaces(r.layout);
  // The last lit cell is (6, 4): (TL, TR, BL) then (TR, BL, BR).
  EXPECT_EQ(faces[0], GridFace({6, 4}, {6, 5}, {7, 4}));
  EXPECT_EQ(faces[1], GridFace({6, 5}, {7, 4}, {7, 5}));
  EXPECT_EQ(faces[2], GridFace({6, 3}, {6, 4}, {7, 3}));
  EXPECT_EQ(faces.back(), GridFace({0, 3}, {1, 2}, {1, 3})) << "cell (0, 2) comes last";
}

TEST_F(TextGlowTest, DiagonalCellsSmoothAStaircase) {
  // '/' thins to single pixels (0,6), (1,5), .., (5,1): 12 faces for the pixels, one TL-TR-BL
  // face for each cell with lit neighbours above and left (code 5) and one TR-BL-BR face for each
  // cell with lit neighbours below and right (code 34).
  const TextRecord r = MakeRecord("/");
  BuildTextMesh(r);
  EXPECT_EQ(TextFaceCount, 22);
  const auto faces = GridFaces(r.layout);
  const std::set<GridFace> all(faces.begin(), faces.end());
  for (int k = 0; k < 5; ++k) {
    const int row = k + 1, col = 6 - k;  // below-right of lit pixel (k, 6 - k)
    EXPECT_TRUE(all.count(GridFace({row, col}, {row, col + 1}, {row + 1, col}))) << "code 5, " << k;
    const int row2 = k, col2 = 5 - k;  // left of lit pixel (k, 6 - k)
    EXPECT_TRUE(all.count(GridFace({row2, col2 + 1}, {row2 + 1, col2}, {row2 + 1, col2 + 1})))
        << "code 34, " << k;
  }
}

// ---- GlowPass ------------------------------------------------------------------------------------

class GlowPassTest : public TextGlowTest {};

TEST_F(GlowPassTest, AveragesTheEightNeighboursAtTheDistanceWithoutThePixelItself) {
  const int p = 50 * kW + 100;
  GlowBuffer[p] = 80;
  GlowPass(2);
  const int offsets[8] = {-2, 2, -640, 640, -642, 642, -638, 638};
  int lit = 0;
  for (int i = 0; i < kPlaneBytes; ++i) lit += GlowBuffer[i] != 0;
  EXPECT_EQ(lit, 8);
  for (int o : offsets) EXPECT_EQ(GlowBuffer[p + o], 10) << o;
  EXPECT_EQ(GlowBuffer[p], 0);
  EXPECT_EQ(GlowScratch[p], 80) << "the scratch holds the buffer as it was";
}

TEST_F(GlowPassTest, KeepsFilledPixelsAndLeavesAZeroImageZero) {
  GlowPass(3);
  for (int i = 0; i < kPlaneBytes; ++i) ASSERT_EQ(GlowBuffer[i], 0) << i;
  for (int i = 0; i < kPlaneBytes; i += 7) GlowBuffer[i] = 255;
  GlowPass(1);
  for (int i = 0; i < kPlaneBytes; i += 7) ASSERT_EQ(GlowBuffer[i], 255) << i;
}

TEST_F(GlowPassTest, RowsWrapSidewaysButNothingIsReadAboveOrBelowThePlane) {
  GlowBuffer[50 * kW + 319] = 80;
  GlowPass(1);
  EXPECT_EQ(GlowBuffer[51 * kW + 0], 10) << "column 0 sees column 319 of the row above";

  // Garbage in the margins of the scratch plane must not leak into rows 0 and 199.
  ResetShowState();
  std::memset(GlowBlock, 200, 20 * kW);
  std::memset(GlowBlock + 220 * kW, 200, 40 * kW);
  for (int n : {1, 20, 35}) {
    GlowPass(n);
    for (int i = 0; i < kPlaneBytes; ++i) ASSERT_EQ(GlowBuffer[i], 0) << "n " << n << " at " << i;
  }
}

// ---- RenderTextLine ----------------------------------------------------------------------------

class RenderTextLineTest : public TextGlowTest {
 protected:
  uint8_t image_[kPlaneBytes];
  // Face-on: a1 = 90, a2 = 180, a3 = 90 map X to screen x and Y to screen y; with the distance
  // equal to -ProjectionScale a model unit is one pixel.
  void FaceOn(int16_t cx, int16_t cy) {
    RotationAngles[0] = 90;
    RotationAngles[1] = 180;
    RotationAngles[2] = 90;
    ScreenCentre = {cx, cy};
    ProjectionScale = -200;
  }
};

TEST_F(RenderTextLineTest, FillsTheThinnedGlyphWith255AtItsPlace) {
  FaceOn(100, 50);
  RenderTextLine(MakeRecord("l", 2, 2, 0, 0, 200), 1, image_);
  BuildTextMesh(MakeRecord("l", 2, 2, 0, 0, 200));
  for (int r = 0; r < 8; ++r) {
    for (int c = 0; c < 8; ++c) {
      const uint8_t centre = image_[(50 + 4 * r + 2) * kW + 100 + 4 * c + 2];
      if (GlyphPlane[r * kW + c]) {
        EXPECT_EQ(centre, 255) << r << "," << c;
      } else {
        EXPECT_LT(centre, 255) << r << "," << c;
      }
    }
  }
  EXPECT_EQ(0, std::memcmp(image_, GlowBuffer, kPlaneBytes));
  EXPECT_EQ(PixelCallback, PlotTextPixel);
  EXPECT_EQ(VertexFetch, FetchTextVertex);
  EXPECT_EQ(CullMode, 0);
}

TEST_F(RenderTextLineTest, GlowFadesOutwardFromTheLetters) {
  FaceOn(100, 50);
  RenderTextLine(MakeRecord("l", 2, 2, 0, 0, 200), 30, image_);
  // To the right of the stem (columns 112..115 on row 60), the glow falls off with distance.
  const int row = 60 * kW;
  EXPECT_EQ(image_[row + 114], 255);
  int previous = 255;
  for (int x = 120; x < 180; x += 8) {
    EXPECT_GT(image_[row + x], 0) << x;
    EXPECT_LE(image_[row + x], previous) << x;
    previous = image_[row + x];
  }
  EXPECT_LT(previous, 128);
}

TEST_F(RenderTextLineTest, EmptyTextGivesAnAllZeroImage) {
  FaceOn(160, 100);
  std::memset(image_, 7, sizeof image_);
  std::memset(GlowBlock, 9, sizeof GlowBlock);
  RenderTextLine(MakeRecord(""), 5, image_);
  for (uint8_t b : image_) ASSERT_EQ(b, 0);
}

}  // namespace
