// Anti-aliased text set with FreeType into coverage planes, with kerning, tracking and sub-pixel placement.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "tools/bitmap_kit/plane.h"

namespace vesk::kit {

struct FontLibrary;

// Small sizes want the light (vertical-only) auto-hinter for crisp baselines and x-heights; large
// sizes rendered for supersampling want the unhinted outline.
enum class Hinting { kNone, kLight };

class Font {
 public:
  // Opens a font file at pixelSize rows per em; widthScale widens the letters for pixels that are
  // shown taller than wide. Throws std::runtime_error naming the file when FreeType cannot load it.
  Font(const std::string& path, double pixelSize, Hinting hinting = Hinting::kLight, double widthScale = 1.0);
  ~Font();
  Font(Font&&) noexcept;
  Font& operator=(Font&&) noexcept;
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  // Horizontal advance of a UTF-8 line in pixels; tracking is added between letters.
  double Measure(std::string_view utf8, double tracking = 0.0) const;
  // Sets a UTF-8 line with its left edge at x and its baseline at row baseline (rounded to a whole
  // row so hinted stems stay sharp); coverage is added to the plane, clamped at 1, times intensity.
  void Draw(Plane& plane, std::string_view utf8, double x, double baseline, double tracking = 0.0,
            float intensity = 1.0f) const;
  void DrawCentred(Plane& plane, std::string_view utf8, double centreX, double baseline, double tracking = 0.0,
                   float intensity = 1.0f) const;

  double Ascender() const;
  double Descender() const;  // negative, below the baseline
  double CapHeight() const;  // height of "H"

 private:
  std::shared_ptr<FontLibrary> library_;
  struct Face;
  std::unique_ptr<Face> face_;
};

}  // namespace vesk::kit
