// Writes the core's text records file: the three captions and the three credited names, packed.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "file_output/atomic_file.h"
#include "tools/command_line/command_line.h"

namespace {

struct Record {
  int16_t distance;
  const char* text;
  uint8_t xShift;
  uint8_t yShift;
  int16_t xOffset;
  int16_t yOffset;
};

// In stored order: CaptionRecord1..3, NameRecord1..3. The x offsets centre each line. "tallow" is
// one glyph longer than the line its neighbours were laid out for, and it is seen in steep
// perspective, so its offset is chosen on screen rather than by glyph count: at 530 its letters
// span columns 25..279 of its image, centred on the screen. Past about 557 the "t" reaches the
// image's left edge; the dots that settle on it then jitter across the edge and, through the
// plane's linear addressing, light both edges of the screen.
constexpr Record kRecords[] = {
    {2300, "CodE", 6, 4, 907, 146},
    {2300, "mUSic", 6, 4, 1057, 146},
    {2300, "gfx", 6, 4, 747, 146},
    {700, "tallow", 5, 5, 530, 26},
    {1300, "brackmoor", 5, 5, 1037, 106},
    {700, "quib", 5, 5, 477, 146},
};

void PutI16(std::vector<uint8_t>& out, int16_t v) {
  const auto u = static_cast<uint16_t>(v);
  out.push_back(static_cast<uint8_t>(u & 0xFF));
  out.push_back(static_cast<uint8_t>(u >> 8));
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Writes the show's six text records, packed, the three captions and then the three names.",
               "make_text_records"};
  app.footer(
      "Each record: little-endian i16 distance, the text with a terminating zero, u8 x shift, u8 y shift,\n"
      "i16 x offset, i16 y offset.");
  vesk::tool::PrepareCommandLine(app);
  std::string output;
  app.add_option("--output", output, "Where to write the records")->required();
  if (const int status = vesk::tool::ParseCommandLine(app, argc, argv); status >= 0) return status;

  std::vector<uint8_t> bytes;
  for (const Record& r : kRecords) {
    PutI16(bytes, r.distance);
    bytes.insert(bytes.end(), r.text, r.text + std::strlen(r.text) + 1);
    bytes.push_back(r.xShift);
    bytes.push_back(r.yShift);
    PutI16(bytes, r.xOffset);
    PutI16(bytes, r.yOffset);
  }

  std::string error;
  if (!WriteFileAtomically(output, bytes.data(), bytes.size(), error)) {
    std::fprintf(stderr, "make_text_records: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
