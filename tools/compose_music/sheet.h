// A small notation for writing one pattern: notes, effects, melodies written as text, ramps.
#pragma once

#include <cstdint>
#include <string_view>

#include "xm_module.h"

namespace compose {

// Effect numbers of the format used by the song.
enum Effect : uint8_t {
  kFxPortaUp = 0x1,
  kFxTonePorta = 0x3,
  kFxVibrato = 0x4,
  kFxPanning = 0x8,
  kFxVolumeSlide = 0xA,
  kFxExtended = 0xE,  // parameter 0xC? cuts the note after ? ticks, 0xD? delays it
  kFxGlobalVolume = 0x10,
};

// Volume-column byte that sets volume v (0..64).
constexpr uint8_t Vol(int v) { return static_cast<uint8_t>(0x10 + v); }

// Note number of a name such as "A4", "C#5" or "Bb3"; throws on anything else.
uint8_t NoteNumber(std::string_view name);

struct Echo {
  int channel = -1;   // no echo when negative
  int delayRows = 0;
  int percent = 0;    // echo volume as a share of the note's
  int panning = -1;   // 0..255 set on each echoed note, or none
};

class Sheet {
 public:
  Sheet();

  void Note(int row, int channel, uint8_t note, uint8_t instrument, int volume = -1);
  void Off(int row, int channel);
  void SetVolume(int row, int channel, int volume);
  void SetEffect(int row, int channel, uint8_t effect, uint8_t param);

  // Writes a line of tokens, one every `stepRows` rows from `row`: a note name (optionally
  // ":volume"), "." to hold, "^" to release. Echoes follow on their own channel.
  void Line(int channel, int row, int stepRows, std::string_view text, uint8_t instrument, int volume,
            const Echo& echo = {});

  // Sets the volume of `channel` every `stepRows` rows, moving linearly from `from` to `to`.
  void Ramp(int channel, int firstRow, int lastRow, int from, int to, int stepRows = 2);

  const Cell& At(int row, int channel) const { return pattern_.At(row, channel); }
  Pattern Take() { return std::move(pattern_); }

 private:
  Cell& CellAt(int row, int channel);
  Pattern pattern_;
};

}  // namespace compose
