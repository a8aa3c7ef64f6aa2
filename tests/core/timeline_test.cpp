// Tests of the show timeline driven end to end by a recording host on a 60 Hz clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "core/palette_random.h"
#include "core/show_state.h"
#include "show_test_host.h"

namespace {

using vesk_test::PresentedFrame;
using vesk_test::ShowTestHost;
using Palette = std::array<uint8_t, kPaletteBytes>;

Palette OrbitPalette(bool red) {
  Palette p{};
  for (int n = 0; n < kPaletteEntries; ++n) {
    const int b = n >> 4;
    const int m = std::min(b + (n & 15), 15);
    p[3 * n] = static_cast<uint8_t>(4 * (red ? m : b));
    p[3 * n + 1] = static_cast<uint8_t>(4 * b);
    p[3 * n + 2] = static_cast<uint8_t>(4 * (red ? b : m));
  }
  return p;
}

Palette Brightened(Palette p, int amount) {
  for (uint8_t& c : p) {
    if (c > 63) continue;
    const uint8_t s = static_cast<uint8_t>(c + amount);
    c = s >= 63 ? 63 : s;
  }
  return p;
}

Palette Grey() {
  Palette p{};
  for (int i = 0; i < kPaletteBytes; ++i) p[i] = static_cast<uint8_t>(i / 3 / 4);
  return p;
}

// The show's presents split at the interlude's hook calls.
struct Stages {
  std::vector<PresentedFrame> beforeInterlude;  // opening, the orbit's black frame, orbit
  std::vector<PresentedFrame> captions[3];      // each begins with its black frame
  std::vector<PresentedFrame> pictures[4];
  std::vector<PresentedFrame> afterPictures;    // the black frame, then the final scene
  std::vector<std::string> hookOrder;           // every call but PresentFrame
};

Stages Split(const ShowTestHost& host) {
  Stages s;
  size_t frame = 0;
  int greys = 0;
  int pictures = 0;
  for (const std::string& call : host.calls) {
    if (call == "PresentFrame") {
      const PresentedFrame& f = host.frames[frame++];
      if (pictures == 4) {
        s.afterPictures.push_back(f);
      } else if (greys == 0) {
        s.beforeInterlude.push_back(f);
      } else {
        s.captions[greys - 1].push_back(f);
      }
      continue;
    }
    s.hookOrder.push_back(call);
    if (call == "SetGreyPalette") ++greys;
    if (call.rfind("ShowPicture", 0) == 0) {
      for (int k = 0; k < host.framesPerPicture; ++k) s.pictures[pictures].push_back(host.frames[frame++]);
      ++pictures;
    }
  }
  EXPECT_EQ(frame, host.frames.size());
  return s;
}

class TimelineTest : public ::testing::Test {
 protected:
  static void RunAt60Hz(ShowTestHost& host) { host.Run(); }
};

TEST_F(TimelineTest, HooksComeInTheInterludeOrder) {
  ShowTestHost host;
  host.Run();
  const Stages s = Split(host);
  const std::vector<std::string> expected = {
      "StartMusic",     "SetGreyPalette", "ShowPicture1", "SetGreyPalette", "ShowPicture2",
      "SetGreyPalette", "ShowPicture3",   "ShowPicture4"};
  EXPECT_EQ(s.hookOrder, expected);
  EXPECT_EQ(host.calls.front(), "StartMusic") << "the music starts before the first frame";
  // Straight after the last picture comes one black frame, then the final scene.
  ASSERT_GE(s.afterPictures.size(), 2u);
}

TEST_F(TimelineTest, OpeningEndsOnTheFirstFrameAboveItsThreshold) {
  ShowTestHost host;
  host.Run();
  const Stages s = Split(host);
  // Opening frames run while tick + 345 <= 2848; the frame that crosses is still presented,
  // then comes the orbit's black frame, then the orbit in blue.
  size_t k = 0;
  while (s.beforeInterlude[k].tick + 345 <= 2848) ++k;
  const Palette blue = OrbitPalette(false);
  EXPECT_NE(s.beforeInterlude[k + 1].palette, blue);
  EXPECT_EQ(s.beforeInterlude[k + 2].palette, blue);
  EXPECT_LE(s.beforeInterlude[k - 1].tick + 345, 2848);
  EXPECT_GT(s.beforeInterlude[k].tick + 345, 2848);
}

TEST_F(TimelineTest, LongStartUpGivesExactlyOneOpeningFrame) {
  ShowTestHost host;
  host.startupDelayMs = 23000;  // 2515 show ticks
  host.Run();
  const Stages s = Split(host);
  EXPECT_EQ(s.beforeInterlude[0].tick, 2515);
  EXPECT_NE(s.beforeInterlude[1].palette, OrbitPalette(false)) << "the orbit's black frame";
  EXPECT_EQ(s.beforeInterlude[2].palette, OrbitPalette(false));
}

TEST_F(TimelineTest, OpeningFadeReachesWhiteAtSixtyHertz) {
  ShowTestHost host;
  host.Run();
  const Stages s = Split(host);
  size_t k = 0;
  while (s.beforeInterlude[k].tick + 345 <= 2848) ++k;
  // The palette shown with the orbit's black frame is what the opening's fade left.
  const Palette& left = s.beforeInterlude[k + 1].palette;
  for (uint8_t c : left) ASSERT_TRUE(c == 63 || c > 63);
  // Mid-fade, black has climbed one level per four show ticks since the fade began.
  for (size_t i = 1; i < k; ++i) {
    const int t = s.beforeInterlude[i].tick + 345;
    const int previousT = s.beforeInterlude[i - 1].tick + 345;
    if (previousT < 2405 + 40) continue;
    EXPECT_NEAR(s.beforeInterlude[i].palette[0], (previousT - 2405) / 4, 1) << "at t " << t;
    break;
  }
}

TEST_F(TimelineTest, OrbitPaletteRunsBlueFlashesWhiteTurnsRedAndFades) {
  ShowTestHost host;
  host.Run();
  const Stages s = Split(host);
  const Palette blue = OrbitPalette(false);
  const Palette red = OrbitPalette(true);
  Palette white;
  white.fill(255);

  size_t first = 0;
  while (s.beforeInterlude[first].tick + 345 <= 2848) ++first;
  first += 2;  // past the last opening frame and the black frame
  const int start = s.beforeInterlude[first].tick;
  int sawWhite = 0;
  int sawRed = 0;
  bool fadeSeen = false;
  for (size_t i = first; i < s.beforeInterlude.size(); ++i) {
    const PresentedFrame& f = s.beforeInterlude[i];
    const int t = f.tick - start;
    if (f.tick < 3575) {
      ASSERT_EQ(f.palette, blue) << "tick " << f.tick;
    } else if (f.tick < 3600) {
      ASSERT_EQ(f.palette, white) << "tick " << f.tick;
      ++sawWhite;
    } else if (t < 1990 || i == first) {
      ASSERT_EQ(f.palette, red) << "tick " << f.tick;
      ++sawRed;
    } else {
      const PresentedFrame& previous = s.beforeInterlude[i - 1];
      const int previousT = previous.tick - start;
      if (previousT >= 1990 && !fadeSeen) {
        // The frame after the first fading one shows red raised by the ticks that elapsed.
        const PresentedFrame& before = s.beforeInterlude[i - 2];
        EXPECT_EQ(previous.palette, red);
        EXPECT_EQ(f.palette, Brightened(red, previousT - (before.tick - start)));
        fadeSeen = true;
      }
    }
  }
  EXPECT_GT(sawWhite, 10);
  EXPECT_GT(sawRed, 100);
  EXPECT_TRUE(fadeSeen);
  // The orbit ends on the first frame whose clock passes 2090.
  const int lastT = s.beforeInterlude.back().tick - start;
  const int beforeLastT = s.beforeInterlude[s.beforeInterlude.size() - 2].tick - start;
  EXPECT_GT(lastT, 2090);
  EXPECT_LE(beforeLastT, 2090);
}

TEST_F(TimelineTest, CaptionStagesLastTheirDurationsAndFadeInTheLastTwentyFive) {
  ShowTestHost host;
  host.Run();
  const Stages s = Split(host);
  const int durations[3] = {1000, 1010, 800};
  const Palette grey = Grey();
  for (int c = 0; c < 3; ++c) {
    const std::vector<PresentedFrame>& frames = s.captions[c];
    ASSERT_GE(frames.size(), 3u);
    const int start = frames[1].tick;  // read just after the black frame
    const int d = durations[c];
    EXPECT_LE(frames[frames.size() - 2].tick - start, d) << "caption " << c;
    EXPECT_GT(frames.back().tick - start, d) << "caption " << c;
    bool faded = false;
    for (size_t i = 1; i < frames.size(); ++i) {
      const int t = frames[i].tick - start;
      const int previousT = frames[i - 1].tick - start;
      if (i == 1 || previousT < d - 25) {
        ASSERT_EQ(frames[i].palette, grey) << "caption " << c << " t " << t;
      } else if (!faded) {
        // The first frame after the fade began: four levels per tick of the fading frame.
        const int earlier = i >= 2 ? frames[i - 2].tick - start : 0;
        EXPECT_EQ(frames[i].palette, Brightened(grey, 4 * (previousT - earlier)));
        faded = true;
      }
    }
    EXPECT_TRUE(faded);
    EXPECT_EQ(frames.back().palette[0], 63) << "white by the end";
  }
}

TEST_F(TimelineTest, FinalStageEndsAfterThreeThousandAndKeepsEntry255) {
  ShowTestHost host;
  host.keepFrames = true;
  host.Run();
  const Stages s = Split(host);
  ASSERT_GE(s.afterPictures.size(), 3u);
  const size_t blackIndex = host.frames.size() - s.afterPictures.size();
  for (uint8_t b : host.frameBytes[blackIndex]) ASSERT_EQ(b, 0) << "black frame after the pictures";
  const int start = s.afterPictures[1].tick;
  EXPECT_GT(s.afterPictures.back().tick - start, 3000);
  EXPECT_LE(s.afterPictures[s.afterPictures.size() - 2].tick - start, 3000);
  for (size_t i = 1; i < s.afterPictures.size(); ++i) {
    const Palette& p = s.afterPictures[i].palette;
    ASSERT_EQ(p[765], 63);
    ASSERT_EQ(p[766], 63);
    ASSERT_EQ(p[767], 63);
    ASSERT_EQ(0, std::memcmp(p.data(), FinalPalette, 255 * 3));
  }
  EXPECT_EQ(FinalPalette[3 * 188 + 0], 62);
  EXPECT_EQ(FinalPalette[3 * 189 + 1], 50);
}

TEST_F(TimelineTest, SameClockGivesTheSameShow) {
  ShowTestHost first;
  first.keepFrames = true;
  first.Run();
  const auto frames = first.frameBytes;
  const auto presented = first.frames;
  ShowTestHost second;
  second.keepFrames = true;
  second.Run();
  ASSERT_EQ(presented.size(), second.frames.size());
  for (size_t i = 0; i < presented.size(); ++i) {
    ASSERT_EQ(presented[i].palette, second.frames[i].palette) << i;
    ASSERT_EQ(frames[i], second.frameBytes[i]) << i;
  }
}

}  // namespace
