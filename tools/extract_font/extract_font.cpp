// Writes the core's font file: the first 128 glyphs of an 8x8 PSF1 console font, 1024 bytes.
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const char* kDefaultInput = "/usr/share/consolefonts/iso01a-8x8.psf.gz";
constexpr unsigned char kPsf1Magic0 = 0x36;
constexpr unsigned char kPsf1Magic1 = 0x04;
constexpr int kHeaderBytes = 4;
constexpr int kGlyphBytes = 8;
constexpr int kGlyphCount = 128;

void PrintHelp(const char* program) {
  std::printf(
      "Usage: %s [--input FONT.psf[.gz]] --output FILE\n"
      "Writes the first %d glyphs of an 8x8 PSF version 1 console font (gzip or plain) as\n"
      "%d bytes: 8 bytes per glyph, top row first, the leftmost pixel in the high bit.\n"
      "  --input FILE   the font to read (default %s)\n"
      "  --output FILE  where to write the glyphs\n"
      "  --help         this text\n",
      program, kGlyphCount, kGlyphCount * kGlyphBytes, kDefaultInput);
}

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
  std::string input = kDefaultInput;
  std::string output;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      PrintHelp(argv[0]);
      return 0;
    }
    if ((arg == "--input" || arg == "--output") && i + 1 < argc) {
      (arg == "--input" ? input : output) = argv[++i];
      continue;
    }
    std::fprintf(stderr, "extract_font: unexpected argument '%s' (see --help)\n", arg.c_str());
    return 2;
  }
  if (output.empty()) {
    std::fprintf(stderr, "extract_font: --output is required (see --help)\n");
    return 2;
  }

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

  std::FILE* out = std::fopen(output.c_str(), "wb");
  if (out == nullptr) {
    std::fprintf(stderr, "extract_font: cannot write %s\n", output.c_str());
    return 1;
  }
  const size_t bytes = size_t{kGlyphCount} * kGlyphBytes;
  const bool written = std::fwrite(font.data() + kHeaderBytes, 1, bytes, out) == bytes;
  if (std::fclose(out) != 0 || !written) {
    std::fprintf(stderr, "extract_font: writing %s failed\n", output.c_str());
    return 1;
  }
  return 0;
}
