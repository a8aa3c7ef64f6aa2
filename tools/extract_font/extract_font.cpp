// Writes the core's font file: the first 128 glyphs of an 8x8 PSF1 console font, 1024 bytes.
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "file_output/atomic_file.h"
#include "tools/command_line/command_line.h"

namespace {

constexpr const char* kDefaultInput = "/usr/share/consolefonts/iso01a-8x8.psf.gz";
constexpr unsigned char kPsf1Magic0 = 0x36;
constexpr unsigned char kPsf1Magic1 = 0x04;
constexpr int kHeaderBytes = 4;
constexpr int kGlyphBytes = 8;
constexpr int kGlyphCount = 128;

// gzread reads plain files unchanged, so both forms of the font load the same way.
bool ReadWhole(const std::string& path, std::vector<unsigned char>& out) {
  gzFile f = gzopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  unsigned char buffer[4096];
  int n;
  while ((n = gzread(f, buffer, sizeof buffer)) > 0) out.insert(out.end(), buffer, buffer + n);
  const bool ok = n == 0;
  gzclose(f);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Writes the first " + std::to_string(kGlyphCount) +
                   " glyphs of an 8x8 PSF version 1 console font (gzip or plain) as " +
                   std::to_string(kGlyphCount * kGlyphBytes) +
                   " bytes:\n8 bytes per glyph, top row first, the leftmost pixel in the high bit.",
               "extract_font"};
  vesk::tool::PrepareCommandLine(app);
  std::string input = kDefaultInput;
  std::string output;
  app.add_option("--input", input, "The font to read, gzip or plain")->capture_default_str();
  app.add_option("--output", output, "Where to write the glyphs")->required();
  if (const int status = vesk::tool::ParseCommandLine(app, argc, argv); status >= 0) return status;

  std::vector<unsigned char> font;
  if (!ReadWhole(input, font)) {
    std::fprintf(stderr, "extract_font: cannot read %s\n", input.c_str());
    return 1;
  }
  if (font.size() < kHeaderBytes || font[0] != kPsf1Magic0 || font[1] != kPsf1Magic1) {
    std::fprintf(stderr, "extract_font: %s is not a PSF version 1 font\n", input.c_str());
    return 1;
  }
  if (font[3] != kGlyphBytes) {
    std::fprintf(stderr, "extract_font: %s has %d-byte glyphs, not 8x8\n", input.c_str(), font[3]);
    return 1;
  }
  const size_t needed = kHeaderBytes + size_t{kGlyphCount} * kGlyphBytes;
  if (font.size() < needed) {
    std::fprintf(stderr, "extract_font: %s holds fewer than %d glyphs\n", input.c_str(),
                 kGlyphCount);
    return 1;
  }

  std::string error;
  if (!WriteFileAtomically(output, font.data() + kHeaderBytes, size_t{kGlyphCount} * kGlyphBytes, error)) {
    std::fprintf(stderr, "extract_font: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
