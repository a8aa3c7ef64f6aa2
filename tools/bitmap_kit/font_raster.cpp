// FreeType text setting for the bitmap generators.
#include "tools/bitmap_kit/font_raster.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <cmath>
#include <stdexcept>
#include <vector>

namespace vesk::kit {

struct FontLibrary {
  FT_Library handle = nullptr;
  FontLibrary() {
    if (FT_Init_FreeType(&handle) != 0) throw std::runtime_error("cannot initialise FreeType");
  }
  ~FontLibrary() { FT_Done_FreeType(handle); }
  FontLibrary(const FontLibrary&) = delete;
  FontLibrary& operator=(const FontLibrary&) = delete;
};

namespace {

std::shared_ptr<FontLibrary> SharedLibrary() {
  static std::weak_ptr<FontLibrary> shared;
  std::shared_ptr<FontLibrary> lib = shared.lock();
  if (!lib) {
    lib = std::make_shared<FontLibrary>();
    shared = lib;
  }
  return lib;
}

// Malformed bytes become U+FFFD rather than stopping the line.
std::u32string DecodeUtf8(std::string_view s) {
  std::u32string out;
  for (std::size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
    if (extra < 0 || i + static_cast<std::size_t>(extra) >= s.size()) {
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    char32_t c = extra == 0 ? b : static_cast<char32_t>(b & (0x3F >> extra));
    bool ok = true;
    for (int k = 1; k <= extra; ++k) {
      const auto t = static_cast<unsigned char>(s[i + k]);
      if ((t & 0xC0) != 0x80) ok = false;
      c = (c << 6) | (t & 0x3F);
    }
    out.push_back(ok ? c : 0xFFFD);
    i += ok ? static_cast<std::size_t>(extra) + 1 : 1;
  }
  return out;
}

constexpr double kFrom26Dot6 = 1.0 / 64.0;
constexpr double kFrom16Dot16 = 1.0 / 65536.0;

}  // namespace

struct Font::Face {
  FT_Face handle = nullptr;
  Hinting hinting = Hinting::kLight;
  ~Face() {
    if (handle) FT_Done_Face(handle);
  }

  FT_Int32 LoadFlags() const {
    return hinting == Hinting::kLight ? FT_LOAD_TARGET_LIGHT : (FT_LOAD_NO_HINTING | FT_LOAD_TARGET_NORMAL);
  }

  // Walks a line glyph by glyph with unhinted advances so letter spacing does not wobble at small
  // sizes; visit(glyphIndex, penX) is called for each.
  template <typename Visit>
  double Walk(const std::u32string& text, double tracking, Visit&& visit) const {
    double pen = 0.0;
    FT_UInt previous = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
      const FT_UInt glyph = FT_Get_Char_Index(handle, static_cast<FT_ULong>(text[i]));
      if (previous != 0 && glyph != 0 && FT_HAS_KERNING(handle)) {
        FT_Vector kern{};
        FT_Get_Kerning(handle, previous, glyph, FT_KERNING_UNFITTED, &kern);
        pen += static_cast<double>(kern.x) * kFrom26Dot6;
      }
      FT_Set_Transform(handle, nullptr, nullptr);
      if (FT_Load_Glyph(handle, glyph, LoadFlags() | FT_LOAD_NO_BITMAP) != 0) continue;
      const double advance = static_cast<double>(handle->glyph->linearHoriAdvance) * kFrom16Dot16;
      visit(glyph, pen);
      pen += advance;
      if (i + 1 < text.size()) pen += tracking;
      previous = glyph;
    }
    return pen;
  }
};

Font::Font(const std::string& path, double pixelSize, Hinting hinting, double widthScale)
    : library_(SharedLibrary()), face_(std::make_unique<Face>()) {
  face_->hinting = hinting;
  if (FT_New_Face(library_->handle, path.c_str(), 0, &face_->handle) != 0) {
    throw std::runtime_error("cannot load font " + path);
  }
  const auto height = static_cast<FT_F26Dot6>(std::lround(pixelSize * 64.0));
  const auto width = static_cast<FT_F26Dot6>(std::lround(pixelSize * widthScale * 64.0));
  if (widthScale <= 0.0 || FT_Set_Char_Size(face_->handle, width, height, 72, 72) != 0) {
    throw std::runtime_error("cannot scale font " + path);
  }
}

Font::~Font() = default;
Font::Font(Font&&) noexcept = default;
Font& Font::operator=(Font&&) noexcept = default;

double Font::Measure(std::string_view utf8, double tracking) const {
  return face_->Walk(DecodeUtf8(utf8), tracking, [](FT_UInt, double) {});
}

void Font::Draw(Plane& plane, std::string_view utf8, double x, double baseline, double tracking,
                float intensity) const {
  const int row = static_cast<int>(std::lround(baseline));
  FT_Face face = face_->handle;
  face_->Walk(DecodeUtf8(utf8), tracking, [&](FT_UInt glyph, double pen) {
    const double gx = x + pen;
    const double whole = std::floor(gx);
    FT_Vector shift{static_cast<FT_Pos>(std::lround((gx - whole) * 64.0)), 0};
    FT_Set_Transform(face, nullptr, &shift);
    if (FT_Load_Glyph(face, glyph, face_->LoadFlags() | FT_LOAD_NO_BITMAP) != 0) return;
    if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0) return;
    const FT_Bitmap& bm = face->glyph->bitmap;
    const int left = static_cast<int>(whole) + face->glyph->bitmap_left;
    const int top = row - face->glyph->bitmap_top;
    for (unsigned int by = 0; by < bm.rows; ++by) {
      const unsigned char* src = bm.buffer + static_cast<std::ptrdiff_t>(by) * bm.pitch;
      for (unsigned int bx = 0; bx < bm.width; ++bx) {
        if (src[bx] == 0) continue;
        plane.AddClamped(left + static_cast<int>(bx), top + static_cast<int>(by),
                         intensity * static_cast<float>(src[bx]) / 255.0f);
      }
    }
  });
  FT_Set_Transform(face, nullptr, nullptr);
}

void Font::DrawCentred(Plane& plane, std::string_view utf8, double centreX, double baseline, double tracking,
                       float intensity) const {
  Draw(plane, utf8, centreX - Measure(utf8, tracking) / 2.0, baseline, tracking, intensity);
}

double Font::Ascender() const { return static_cast<double>(face_->handle->size->metrics.ascender) * kFrom26Dot6; }
double Font::Descender() const { return static_cast<double>(face_->handle->size->metrics.descender) * kFrom26Dot6; }

double Font::CapHeight() const {
  FT_Face face = face_->handle;
  FT_Set_Transform(face, nullptr, nullptr);
  if (FT_Load_Char(face, 'H', face_->LoadFlags() | FT_LOAD_NO_BITMAP) != 0) return Ascender();
  FT_BBox box{};
  FT_Outline_Get_CBox(&face->glyph->outline, &box);
  return static_cast<double>(box.yMax) * kFrom26Dot6;
}

}  // namespace vesk::kit
