// The composer's ten instruments: synthesized samples, envelopes and tuning.
#pragma once

#include <cstddef>
#include <vector>

#include "xm_module.h"

namespace compose {

// Instrument numbers as the patterns name them (1-based, as the format counts).
enum InstrumentId : uint8_t {
  kKick = 1,
  kSnare,
  kHats,   // closed below C-5, open from C-5 up
  kCrash,
  kBass,
  kPad,
  kLead,
  kArp,
  kBell,
  kWind,
};
inline constexpr int kInstrumentCount = 10;

// Bytes of sample data whose length the instruments can stretch to fit the module's size.
inline constexpr std::size_t kMinStretchBytes = 4000;

// Builds all instruments; `stretchBytes` (at least kMinStretchBytes) is shared between the
// two noise loops (cymbal and wind), whose length is free.
std::vector<Instrument> BuildInstruments(std::size_t stretchBytes);

}  // namespace compose
