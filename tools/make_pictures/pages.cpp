// Layout and wording of the four interlude pages.
#include "tools/make_pictures/pages.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "tools/bitmap_kit/font_raster.h"
#include "tools/bitmap_kit/plane_ops.h"

namespace vesk::pictures {
namespace {

using kit::Font;
using kit::Plane;

constexpr int kW = kit::kPictureWidth;
constexpr int kH = kit::kPictureHeight;
constexpr double kCentre = kW / 2.0;

// Grey levels of the page; the show quantises to steps of four, so these are multiples of four.
constexpr float kBright = 1.0f;
constexpr float kBody = 220.0f / 255.0f;
constexpr float kDim = 148.0f / 255.0f;
constexpr float kRule = 96.0f / 255.0f;
constexpr float kGlowStrength = 0.45f;

// The frame is stretched to a 4:3 screen, so each pixel shows 1.2 times as tall as it is wide; the
// type is set that much wider to keep its proportions on screen.
constexpr double kPixelAspect = 1.2;

struct Type {
  Font title;
  Font display;
  Font label;
  Font body;
  Font name;

  explicit Type(const std::string& dir)
      : title(dir + "/DejaVuSans-Bold.ttf", 22.0, kit::Hinting::kLight, kPixelAspect),
        display(dir + "/DejaVuSans-Bold.ttf", 32.0, kit::Hinting::kLight, kPixelAspect),
        label(dir + "/DejaVuSans.ttf", 9.0, kit::Hinting::kLight, kPixelAspect),
        body(dir + "/DejaVuSans.ttf", 11.0, kit::Hinting::kLight, kPixelAspect),
        name(dir + "/DejaVuSans-Bold.ttf", 12.0, kit::Hinting::kLight, kPixelAspect) {}
};

struct Page {
  Plane ink{kW, kH};
  Plane glowSource{kW, kH};

  // A horizontal hairline that fades out towards both ends.
  void Rule(double y, double halfWidth) {
    const int row = static_cast<int>(std::lround(y));
    for (int x = 0; x < kW; ++x) {
      const double t = std::abs(x + 0.5 - kCentre) / halfWidth;
      if (t < 1.0) ink.AddClamped(x, row, kRule * static_cast<float>(1.0 - t * t));
    }
  }

  // A headline that also feeds the soft halo.
  void Title(const Font& font, const char* text, double baseline, double tracking) {
    font.DrawCentred(ink, text, kCentre, baseline, tracking, kBright);
    font.DrawCentred(glowSource, text, kCentre, baseline, tracking, kBright);
  }

  kit::RgbImage Finish() const {
    const Plane glow = kit::Blur(glowSource, 2);
    kit::RgbImage image(kW, kH);
    for (int y = 0; y < kH; ++y) {
      for (int x = 0; x < kW; ++x) {
        const float v = std::clamp(ink.At(x, y) + kGlowStrength * glow.At(x, y), 0.0f, 1.0f);
        const auto grey = static_cast<std::uint8_t>(std::lround(v * 255.0f));
        std::uint8_t* p = image.Pixel(x, y);
        p[0] = p[1] = p[2] = grey;
      }
    }
    return image;
  }
};

kit::RgbImage Credits(const Type& t) {
  Page page;
  page.Title(t.title, "VESK", 40, 6);
  t.label.DrawCentred(page.ink, "AN INTRO BY ORRENT", kCentre, 56, 1.5, kDim);
  page.Rule(68, 90);

  struct Role {
    const char* what;
    const char* who;
  };
  const Role roles[] = {{"code", "tallow"}, {"music", "brackmoor"}, {"graphics", "quib"}};
  double y = 92;
  for (const Role& r : roles) {
    t.body.Draw(page.ink, r.what, kCentre - 8 - t.body.Measure(r.what), y, 0, kDim);
    t.name.Draw(page.ink, r.who, kCentre + 8, y, 0, kBright);
    y += 19;
  }
  page.Rule(146, 90);
  t.label.DrawCentred(page.ink, "WINDOWS VERSION", kCentre, 166, 1.5, kDim);
  t.name.DrawCentred(page.ink, "Olk / Fennec", kCentre, 183, 0, kBright);
  return page.Finish();
}

kit::RgbImage Greetings(const Type& t) {
  Page page;
  page.Title(t.title, "GREETINGS", 40, 4);
  t.label.DrawCentred(page.ink, "ORRENT SALUTES", kCentre, 56, 1.5, kDim);
  page.Rule(68, 90);
  const char* groups[] = {"Quillmoth", "Pellomar",  "Nuvrane",  "Tessaline", "Oxbarrow", "Kelvorn",
                          "Mirefold",  "Dunspire", "Vantorr",  "Sorrelkin", "Ystrand",  "Fennec"};
  for (int i = 0; i < 12; ++i) {
    const double x = kCentre + (i % 3 - 1) * 96.0;
    const double y = 94 + (i / 3) * 19.0;
    t.body.DrawCentred(page.ink, groups[i], x, y, 0.3, kBody);
  }
  page.Rule(168, 90);
  t.label.DrawCentred(page.ink, "AND EVERYONE AT TARNFEST", kCentre, 186, 1.5, kDim);
  return page.Finish();
}

kit::RgbImage About(const Type& t) {
  Page page;
  page.Title(t.title, "FIRST PLACE", 40, 3);
  t.label.DrawCentred(page.ink, "VESK BY ORRENT \u00B7 TARNFEST 1996", kCentre, 56, 1.2, kDim);
  page.Rule(68, 90);
  const char* lines[] = {"Orrent made Vesk for the PC intro",
                         "competition at Tarnfest in 1996,",
                         "and the party hall voted it first.",
                         "",
                         "Rings, spirals, glowing names and",
                         "a swinging spotlight, all computed",
                         "live at 320 by 200 in 256 colours."};
  double y = 90;
  for (const char* line : lines) {
    t.body.DrawCentred(page.ink, line, kCentre, y, 0, kBody);
    y += *line ? 15.0 : 7.0;
  }
  return page.Finish();
}

kit::RgbImage Closing(const Type& t) {
  Page page;
  t.name.DrawCentred(page.ink, "thanks for watching", kCentre, 48, 0.5, kBody);
  page.Rule(62, 90);
  page.Title(t.display, "VESK", 108, 8);
  t.label.DrawCentred(page.ink, "ORRENT \u00B7 1996", kCentre, 126, 2, kDim);
  page.Rule(140, 90);
  t.body.DrawCentred(page.ink, "tallow \u00B7 brackmoor \u00B7 quib", kCentre, 162, 0.3, kBody);
  t.body.DrawCentred(page.ink, "see you at the next party", kCentre, 180, 0, kDim);
  return page.Finish();
}

}  // namespace

kit::RgbImage RenderPage(int n, const std::string& fontDir) {
  if (n < 1 || n > kPageCount) throw std::out_of_range("page number must be 1 to 4");
  const Type type(fontDir);
  switch (n) {
    case 1:
      return Credits(type);
    case 2:
      return Greetings(type);
    case 3:
      return About(type);
    default:
      return Closing(type);
  }
}

std::string PageFileName(int n) { return "olkpic" + std::to_string(n) + ".bmp"; }

}  // namespace vesk::pictures
