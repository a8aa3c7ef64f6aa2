// The opening scene: the polar ring burst under the heat haze, with the title picture dissolving in.
#include "core/opening.h"

#include <cmath>
#include <cstring>

#include "core/extended_precision.h"
#include "core/image_effects.h"
#include "core/palette_random.h"
#include "core/projection.h"
#include "core/scenes.h"
#include "core/show_state.h"

extern "C" const unsigned char vesk_core_title_palette_bin[];
extern "C" const unsigned char vesk_core_title_picture_bin[];

namespace {

constexpr int kW = kScreenWidth;
constexpr int kCentreX = 160;
constexpr int kCentreY = 100;
// The single-precision value of 2 pi / 256: one angle step of the polar tables.
constexpr float kAngleStep = 0.0245436933f;
// Where the sampling centre sits in RingTexture (row 130, column 137), folded into the index.
constexpr int kRingIndexBase = 778;
constexpr int kRingIndexBias = 32639;
constexpr int kMaxTextureRow = 130;
constexpr int32_t kBurstStart = 885;
constexpr int32_t kTitleRampEnd = 1155;
constexpr int kTitleLeft = 60;
constexpr int kTitleTop = 33;
constexpr int kDisplacedBytes = 198 * kW;  // rows 1..198 move; rows 0 and 199 stay

// Round to nearest, halves to even. rint rounds exactly as nearbyint does under the default
// rounding mode, without saving and restoring the floating-point environment on every call.
inline long double RoundHalfEven(long double v) { return std::rint(v); }

// The burst's largest radius at this offset. No pixel farther out is drawn, and a rounded
// distance is at least the larger of |dx| and |dy|, so only the square of this half-width around
// the centre can be.
int BurstReach(int offset) {
  int reach = 0;
  for (int k = 0; k < 256; ++k) reach = BurstProfile[k + offset] > reach ? BurstProfile[k + offset] : reach;
  return reach;
}

void BuildPolarTable() {
  const long double step = kAngleStep;
  for (int y = 0; y < kScreenHeight; ++y) {
    for (int x = 0; x < kW; ++x) {
      const long double dx = x - kCentreX;
      const long double dy = y - kCentreY;
      long double angle = std::atan2(dy, dx) / step;
      if (y < kCentreY) angle += 256;
      const long double distance = std::sqrt(dx * dx + dy * dy);
      uint8_t* entry = PolarTable + 2 * (y * kW + x);
      entry[0] = static_cast<uint8_t>(static_cast<int64_t>(RoundHalfEven(angle)) & 255);
      entry[1] = static_cast<uint8_t>(RoundHalfEven(distance));
    }
  }
}

void BuildPolarTexture() {
  const long double step = kAngleStep;
  for (int c = 0; c < kPolarTextureBytes - 1; ++c) {
    const long double r = c >> 8;
    const long double angle = static_cast<long double>(c & 255) * step;
    const auto px = static_cast<int32_t>(RoundHalfEven(r * std::sin(angle)));
    const auto py = static_cast<int32_t>(RoundHalfEven(r * std::cos(angle)));
    const int32_t source = kRingIndexBase + ((256 * py + px + kRingIndexBias) & 0xFFFF);
    // Indices past the texture's end occur only at its far rim; they read as black.
    PolarTexture[c] = source < kRingTextureBytes ? RingTexture[source] : uint8_t{0};
  }
  PolarTexture[kPolarTextureBytes - 1] = 0;
}

void BuildReciprocalTable() {
  std::memset(ReciprocalTable, 0, 256);
  for (int i = 1; i < 256; ++i) {
    // Running sums, not products: the table holds what repeated extended-precision addition gives, so the
    // sums are formed in that format whatever the compiler's long double is.
    const Extended step = ExtendedQuotient(100, static_cast<uint32_t>(i));
    Extended sum = {0, 0};
    for (int j = 0; j < 256; ++j) {
      sum = ExtendedAdd(sum, step);
      ReciprocalTable[i * 256 + j] = static_cast<uint8_t>(ExtendedRoundToInteger(sum) & 255);
    }
  }
}

}  // namespace

const uint8_t* TitlePalette() { return vesk_core_title_palette_bin; }
const uint8_t* TitlePicture() { return vesk_core_title_picture_bin; }

void BuildPolarTables() {
  BuildPolarTable();
  BuildPolarTexture();
  BuildReciprocalTable();
}

void UpdateBurstParams() {
  const long double c = std::cos(DegreesToRadians(BurstPhase));
  BurstLevel = static_cast<int16_t>(RoundHalfEven(90 * c + 100));
  BurstJitter = static_cast<int16_t>(RoundHalfEven(9 * c + 10));
  BurstAmplitude = static_cast<int16_t>(RoundHalfEven(15 * c + 15));
}

void BuildBurstProfile() {
  const long double amplitude = BurstAmplitude;
  const long double level = BurstLevel;
  const auto jitter = static_cast<uint16_t>(BurstJitter);
  for (int k = 0; k < kBurstProfileEntries; ++k) {
    const int m = kBurstProfileEntries - k;
    const double angle = static_cast<double>(m * 10) * static_cast<double>(kAngleStep);
    // Exact in extended precision: a double times a small integer, plus one.
    const long double lobe = amplitude * std::sin(angle) + level;
    const auto value = static_cast<int32_t>(RoundHalfEven(lobe)) + Random(jitter);
    BurstProfile[k] = static_cast<uint8_t>(value);
  }
}

void DrawPolarBurst(int offset) {
  const int reach = BurstReach(offset);
  const int y0 = kCentreY - reach < 0 ? 0 : kCentreY - reach;
  const int y1 = kCentreY + reach > kScreenHeight - 1 ? kScreenHeight - 1 : kCentreY + reach;
  const int x0 = kCentreX - reach < 0 ? 0 : kCentreX - reach;
  const int x1 = kCentreX + reach > kW - 1 ? kW - 1 : kCentreX + reach;
  const uint8_t* profile = BurstProfile + offset;
  const uint8_t* texture = PolarTexture + offset;
  // A pixel's rounded distance is at most reach only when dx^2 + dy^2 <= reach^2 + reach (a
  // square root is never exactly halfway between integers), so each row needs only the columns of
  // that disc.
  const int discRadiusSquared = reach * reach + reach;
  for (int y = y0; y <= y1; ++y) {
    const int dy = y - kCentreY;
    const int room = discRadiusSquared - dy * dy;
    if (room < 0) continue;
    int halfWidth = static_cast<int>(std::sqrt(static_cast<double>(room)));
    while (halfWidth * halfWidth > room) --halfWidth;
    while ((halfWidth + 1) * (halfWidth + 1) <= room) ++halfWidth;
    const int from = kCentreX - halfWidth > x0 ? kCentreX - halfWidth : x0;
    const int to = kCentreX + halfWidth < x1 ? kCentreX + halfWidth : x1;
    const uint8_t* polar = PolarTable + 2 * (y * kW);
    uint8_t* out = GlowScratch + y * kW;
    // A row past the texture's last used row is read as row 0 and its value discarded.
    for (int x = from; x <= to; ++x) {
      const unsigned angle = polar[2 * x];
      const unsigned distance = polar[2 * x + 1];
      const unsigned limit = profile[angle];
      const unsigned row = ReciprocalTable[limit * 256 + distance];
      const bool drawn = distance <= limit && row <= kMaxTextureRow;
      const uint8_t value = texture[(drawn ? row : 0u) * 256 + angle];
      out[x] = drawn ? value : out[x];
    }
  }
}

int TitleThreshold(int32_t t) {
  if (t <= kBurstStart) return 5;
  if (t <= kTitleRampEnd) return ((t - kBurstStart) >> 2) + 5;
  return 255;
}

void DrawTitlePicture(int threshold) {
  if (threshold < 0) return;  // no mask value is that low
  const auto limit = static_cast<uint8_t>(threshold > 255 ? 255 : threshold);
  const bool masked = threshold < 255;
  for (int r = 0; r < kTitleHeight; ++r) {
    // The mask is read one row above the picture's row; row -1 is the map's zero row.
    const uint8_t* mask = DisplacementMap + (r - 1) * kW;
    const uint8_t* src = TitlePixels + r * kTitleWidth;
    uint8_t* out = GlowScratch + (kTitleTop + r) * kW + kTitleLeft;
    // Written as selects over whole rows so that they vectorise.
    if (masked) {
      for (int c = 0; c < kTitleWidth; ++c) {
        const uint8_t v = src[c];
        out[c] = ((v != 0) & (mask[c] <= limit)) ? v : out[c];
      }
    } else {
      for (int c = 0; c < kTitleWidth; ++c) {
        const uint8_t v = src[c];
        out[c] = v != 0 ? v : out[c];
      }
    }
  }
}

void SetUpOpeningScene() {
  SetPalette(TitlePalette(), kPaletteEntries);
  const uint8_t* packed = TitlePicture();
  for (int i = 0; i < kTitleWidth * kTitleHeight / 2; ++i) {
    TitlePixels[2 * i] = static_cast<uint8_t>(packed[i] >> 4);
    TitlePixels[2 * i + 1] = static_cast<uint8_t>(packed[i] & 15);
  }
}

// GlowScratch is all zero on entry (the timeline clears it before every frame).
void DrawOpeningFrame(int32_t t) {
  int burstTop = 0;
  int burstBottom = -1;  // no rows
  if (t >= kBurstStart) {
    BurstPhase = static_cast<int16_t>((t >> 1) - 258);
    UpdateBurstParams();
    BuildBurstProfile();
    const int offset = BurstPhase & 255;
    DrawPolarBurst(offset);
    const int reach = BurstReach(offset);
    burstTop = kCentreY - reach;
    burstBottom = kCentreY + reach;
  }
  if ((t & 255) % 5 == 0) FireDecay(DisplacementMap, kDisplacedBytes);

  // The haze: every byte of rows 1..198 is replaced by one up to 128 bytes away, in order and in
  // place. On a plane that is zero outside the burst's rows only the rows from just above the
  // burst down to the first row that stays all zero can change; everything past that row copies
  // zeros from zeros.
  if (burstTop <= burstBottom) {
    constexpr int kLastMovedRow = kScreenHeight - 2;
    const int firstRow = burstTop - 1 < 1 ? 1 : burstTop - 1;
    const int lastBurstRow = burstBottom < kLastMovedRow ? burstBottom : kLastMovedRow;
    DisplaceRow(DisplacementMap + (firstRow - 1) * kW, GlowScratch + firstRow * kW,
                (lastBurstRow - firstRow + 1) * kW);
    for (int row = lastBurstRow + 1; row <= kLastMovedRow; ++row) {
      uint8_t* line = GlowScratch + row * kW;
      const uint8_t* map = DisplacementMap + (row - 1) * kW;
      uint8_t any = 0;
      for (int x = 0; x < kW; ++x) {
        line[x] = line[x + static_cast<int8_t>(map[x])];
        any |= line[x];
      }
      if (any == 0) break;
    }
  }

  DrawTitlePicture(TitleThreshold(t));
}
