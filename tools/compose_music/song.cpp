// The show's music: a trance piece in A minor at 136 BPM whose form follows the show's stages.
#include "song.h"

#include <algorithm>
#include <array>
#include <stdexcept>

#include "instruments.h"
#include "sheet.h"

namespace compose {
namespace {

// Channel roles.
constexpr int kChKick = 0;
constexpr int kChSnare = 1;
constexpr int kChHats = 2;
constexpr int kChCrash = 3;
constexpr int kChBass = 4;
constexpr int kChPerc = 5;  // rolls, fills and off-grid hats
constexpr int kChPad = 6;   // three voices: 6, 7, 8
constexpr int kChLead = 9;
constexpr int kChLeadEcho = 10;
constexpr int kChArp = 11;
constexpr int kChArpEcho = 12;
constexpr int kChBell = 13;
constexpr int kChBellEcho = 14;
constexpr int kChWind = 15;

constexpr int kBar = 32;   // rows per bar: 8 rows a beat at speed 3
constexpr int kBeat = 8;
constexpr int kStep = 2;   // a sixteenth note
// Master level, set once at the song's start: keeps the loudest beats a few dB below full scale.
constexpr uint8_t kGlobalVolume = 46;

const Echo kLeadEcho{kChLeadEcho, 6, 38, 200};
const Echo kArpEcho{kChArpEcho, 6, 45, 200};
const Echo kBellEcho{kChBellEcho, 6, 45, 60};

struct Chord {
  std::array<const char*, 3> pad;
  const char* bass;
  std::array<const char*, 3> tones;  // arpeggio material, an octave above the pad
};

const Chord kAm{{"A3", "C4", "E4"}, "A2", {"A4", "C5", "E5"}};
const Chord kF{{"A3", "C4", "F4"}, "F2", {"A4", "C5", "F5"}};
const Chord kC{{"G3", "C4", "E4"}, "C3", {"G4", "C5", "E5"}};
const Chord kG{{"G3", "B3", "D4"}, "G2", {"G4", "B4", "D5"}};
const Chord kE{{"G#3", "B3", "E4"}, "E2", {"G#4", "B4", "E5"}};
const Chord kDm{{"A3", "D4", "F4"}, "D3", {"A4", "D5", "F5"}};

uint8_t Up(const char* name, int semitones) { return static_cast<uint8_t>(NoteNumber(name) + semitones); }

// ---- building blocks -------------------------------------------------------------------

// The three pad voices spread left, centre and right.
void Pad(Sheet& s, int row, const Chord& c, int volume) {
  constexpr uint8_t kSpread[3] = {0x48, 0, 0xB8};
  for (int v = 0; v < 3; ++v) {
    s.Note(row, kChPad + v, NoteNumber(c.pad[static_cast<std::size_t>(v)]), kPad, volume);
    if (kSpread[v]) s.SetEffect(row, kChPad + v, kFxPanning, kSpread[v]);
  }
}

void PadOff(Sheet& s, int row) {
  for (int v = 0; v < 3; ++v) s.Off(row, kChPad + v);
}

void PadRamp(Sheet& s, int first, int last, int from, int to) {
  for (int v = 0; v < 3; ++v) s.Ramp(kChPad + v, first, last, from, to, 4);
}

void Kicks(Sheet& s, int first, int last, int volume = -1) {
  for (int r = first; r <= last; r += kBeat) s.Note(r, kChKick, NoteNumber("C4"), kKick, volume);
}

void Claps(Sheet& s, int first, int last, int volume = -1) {
  for (int r = first + kBeat; r <= last; r += 2 * kBeat) s.Note(r, kChSnare, NoteNumber("C4"), kSnare, volume);
}

// Hat volumes are written at the pattern's dynamic and lifted here to sit in the mix.
int HatVolume(int volume) { return std::min(64, volume * 3 / 2); }

void ClosedOffbeats(Sheet& s, int first, int last, int volume) {
  for (int r = first + 4; r <= last; r += kBeat) s.Note(r, kChHats, NoteNumber("C4"), kHats, HatVolume(volume));
}

void OpenOffbeats(Sheet& s, int first, int last, int volume) {
  for (int r = first + 4; r <= last; r += kBeat) s.Note(r, kChHats, NoteNumber("C5"), kHats, HatVolume(volume));
}

// Quiet sixteenth hats between the offbeats, on their own channel so open hats ring on.
void GhostHats(Sheet& s, int first, int last, int volume) {
  for (int r = first + 2; r <= last; r += 4) s.Note(r, kChPerc, NoteNumber("C4"), kHats, HatVolume(volume));
}

void Crash(Sheet& s, int row, int volume = -1) { s.Note(row, kChCrash, NoteNumber("C4"), kCrash, volume); }

// A roll on the snare whose step halves as it builds; the volume climbs with it.
void Roll(Sheet& s, int first, int last, int step, int from, int to) {
  const int span = last - first;
  for (int r = first; r <= last; r += step) {
    const int v = span == 0 ? to : from + (to - from) * (r - first) / span;
    s.Note(r, kChPerc, NoteNumber("C4"), kSnare, v);
  }
}

// Offbeat bass: the trance pump against the kick, with an octave lift on the last offbeat.
void BassOffbeat(Sheet& s, int bar, const Chord& c, int volume = -1) {
  const int base = bar * kBar;
  for (int beat = 0; beat < 4; ++beat) {
    const int semis = beat == 3 ? 12 : 0;
    s.Note(base + beat * kBeat + 4, kChBass, Up(c.bass, semis), kBass, volume);
  }
}

// Rolling bass: three sixteenths after every kick.
void BassRolling(Sheet& s, int bar, const Chord& c, int volume = -1) {
  const int base = bar * kBar;
  for (int beat = 0; beat < 4; ++beat) {
    for (int k = 1; k <= 3; ++k) {
      const int semis = (k == 3 && beat % 2 == 1) ? 12 : 0;
      s.Note(base + beat * kBeat + k * kStep, kChBass, Up(c.bass, semis), kBass, volume);
    }
  }
}

// Arpeggio figures: indices into the chord's tones, 3..5 an octave up, -1 a rest.
using Figure = std::array<int, 16>;
const Figure kArpWave{0, 2, 3, 2, 1, 2, 4, 2, 0, 2, 3, 2, 1, 2, 5, 4};
const Figure kArpRise{0, 1, 2, 3, 1, 2, 3, 4, 2, 3, 4, 5, 3, 4, 5, 4};
const Figure kArpHook{0, -1, -1, 2, -1, -1, 3, -1, -1, 2, -1, -1, 4, -1, 3, -1};

void Arp(Sheet& s, int bar, const Chord& c, const Figure& f, int volume, bool echo = true) {
  const int base = bar * kBar;
  for (int i = 0; i < 16; ++i) {
    if (f[static_cast<std::size_t>(i)] < 0) continue;
    const int idx = f[static_cast<std::size_t>(i)];
    const uint8_t note = Up(c.tones[static_cast<std::size_t>(idx % 3)], idx >= 3 ? 12 : 0);
    const int row = base + i * kStep;
    s.Note(row, kChArp, note, kArp, volume);
    if (echo && row + kArpEcho.delayRows < kRowsPerPattern) {
      const int er = row + kArpEcho.delayRows;
      s.Note(er, kChArpEcho, note, kArp, volume * kArpEcho.percent / 100);
      s.SetEffect(er, kChArpEcho, kFxPanning, static_cast<uint8_t>(kArpEcho.panning));
    }
  }
}

// A swell of filtered noise; `riseRows` rows of upward slide make it a riser.
void Wind(Sheet& s, int row, const char* note, int from, int to, int riseRows = 0, int lastRow = 63) {
  s.Note(row, kChWind, NoteNumber(note), kWind, from);
  s.Ramp(kChWind, row + 4, lastRow, from, to, 4);
  for (int r = row + 1; r < row + 1 + riseRows && r < kRowsPerPattern; ++r) s.SetEffect(r, kChWind, kFxPortaUp, 3);
}

// ---- the theme -------------------------------------------------------------------------

// Eight bars over Am F C G | Am F G E, in the 3-3-3-3-2-2 sixteenth rhythm of trance.
constexpr const char* kTheme[8] = {
    "A4 . . C5 . . E5 . . A5 . . G5 . E5 .",
    "F5 . . E5 . . C5 . . A4 . . C5 . D5 .",
    "E5 . . G5 . . E5 . . C5 . . D5 . E5 .",
    "D5 . . . . . B4 . . G4 . . A4 . B4 .",
    "A4 . . C5 . . E5 . . A5 . . B5 . C6 .",
    "C6 . . A5 . . F5 . . C5 . . F5 . A5 .",
    "B5 . . G5 . . D5 . . B4 . . D5 . G5 .",
    "B5 . . A5 . . G#5 . . . . . E5 . ^ .",
};

// The soaring counter-line of the variation: long notes an octave up.
constexpr const char* kSoar[8] = {
    "E6 . . . . . . . D6 . . . C6 . . .",
    "C6 . . . . . . . A5 . . . . . . .",
    "G5 . . . . . . . C6 . . . E6 . . .",
    "D6 . . . . . . . . . . . B5 . . .",
    "C6 . . . . . . . B5 . . . A5 . . .",
    "A5 . . . . . . . C6 . . . F6 . . .",
    "D6 . . . . . . . B5 . . . G5 . . .",
    "G#5 . . . . . . . B5 . . . ^ . . .",
};

void Theme(Sheet& s, int bar, int themeBar, int channel, uint8_t instrument, int volume, const Echo& echo) {
  s.Line(channel, bar * kBar, kStep, kTheme[themeBar], instrument, volume, echo);
}

// ---- patterns --------------------------------------------------------------------------

// Opening: the pad breathes in over A minor, wind and a first bell.
Pattern Intro0() {
  Sheet s;
  s.SetEffect(0, kChKick, kFxGlobalVolume, kGlobalVolume);
  Pad(s, 0, kAm, 2);
  PadRamp(s, 4, 60, 4, 30);
  Wind(s, 0, "A3", 2, 26);
  s.Line(kChBell, 0, 4, ". . . . A5:18 . . . . . E6:22 . . . . .", kBell, -1, kBellEcho);
  return s.Take();
}

// The hook at half speed on the bell over Fmaj7.
Pattern Intro1() {
  Sheet s;
  Pad(s, 0, kF, 30);
  s.Line(kChBell, 0, 4, "A5 . . C6 . . E6 . . A6 . . G6 . E6 .", kBell, 26, kBellEcho);
  s.Ramp(kChWind, 0, 60, 26, 18, 8);
  return s.Take();
}

Pattern Intro2() {
  Sheet s;
  Pad(s, 0, kC, 32);
  s.Line(kChBell, 0, 4, "E6 . . G6 . . E6 . . C6 . . D6 . E6 .", kBell, 28, kBellEcho);
  Arp(s, 0, kC, kArpWave, 8);
  Arp(s, 1, kC, kArpWave, 14);
  s.Ramp(kChWind, 0, 60, 18, 12, 8);
  return s.Take();
}

Pattern Intro3() {
  Sheet s;
  Pad(s, 0, kG, 32);
  s.Line(kChBell, 0, 4, "D6 . . . . . B5 . . G5 . . A5 . B5 .", kBell, 28, kBellEcho);
  Arp(s, 0, kG, kArpWave, 18);
  Arp(s, 1, kG, kArpWave, 22);
  ClosedOffbeats(s, 0, 63, 14);
  return s.Take();
}

Pattern Intro4() {
  Sheet s;
  Pad(s, 0, kAm, 34);
  Pad(s, kBar, kF, 34);
  Arp(s, 0, kAm, kArpWave, 24);
  Arp(s, 1, kF, kArpWave, 26);
  ClosedOffbeats(s, 0, 63, 20);
  GhostHats(s, 0, 63, 8);
  Theme(s, 0, 0, kChBell, kBell, 24, kBellEcho);
  Theme(s, 1, 1, kChBell, kBell, 24, kBellEcho);
  Wind(s, 0, "E3", 10, 30);
  return s.Take();
}

// The build into the beat: a snare roll that tightens, a rising wind, G to E.
Pattern Intro5() {
  Sheet s;
  Pad(s, 0, kG, 36);
  Pad(s, kBar, kE, 38);
  Arp(s, 0, kG, kArpRise, 26);
  Arp(s, 1, kE, kArpRise, 30);
  ClosedOffbeats(s, 0, 63, 22);
  GhostHats(s, 0, 63, 10);
  Roll(s, 0, 28, 4, 8, 22);
  Roll(s, 32, 46, 2, 24, 36);
  Roll(s, 48, 63, 1, 38, 56);
  Wind(s, 0, "A3", 24, 50, 63);
  s.Off(63, kChWind);
  return s.Take();
}

// The groove: four to the floor, offbeat bass, pad and arpeggio; claps join on its second half.
Pattern Groove(const Chord& first, const Chord& second, bool crash, bool claps, bool fill) {
  Sheet s;
  if (crash) Crash(s, 0);
  Kicks(s, 0, 63);
  if (claps) Claps(s, 0, 63);
  ClosedOffbeats(s, 0, 63, 30);
  GhostHats(s, 0, fill ? 55 : 63, 10);
  BassOffbeat(s, 0, first);
  BassOffbeat(s, 1, second);
  Pad(s, 0, first, 30);
  Pad(s, kBar, second, 30);
  Arp(s, 0, first, kArpWave, 28);
  Arp(s, 1, second, kArpWave, 28);
  if (fill) Roll(s, 56, 62, 2, 30, 46);
  return s.Take();
}

// The climb to the peak: F and G under a roll that doubles twice, kick and bass drop out last.
Pattern Build() {
  Sheet s;
  Kicks(s, 0, 55);
  Claps(s, 0, 31);
  ClosedOffbeats(s, 0, 55, 30);
  BassOffbeat(s, 0, kF);
  BassOffbeat(s, 1, kG);
  s.Off(56, kChBass);
  Pad(s, 0, kF, 32);
  Pad(s, kBar, kG, 34);
  Arp(s, 0, kF, kArpRise, 28);
  Arp(s, 1, kG, kArpRise, 32);
  Roll(s, 0, 28, 4, 14, 28);
  Roll(s, 32, 46, 2, 30, 42);
  Roll(s, 48, 61, 1, 44, 60);
  Wind(s, 0, "C4", 16, 46, 60, 60);
  s.Off(62, kChWind);
  return s.Take();
}

// The full theme, two bars per pattern: open hats, rolling bass, lead with its echo.
Pattern ThemePattern(int firstThemeBar, const Chord& first, const Chord& second, bool crash, bool fill) {
  Sheet s;
  if (crash) Crash(s, 0);
  Kicks(s, 0, 63);
  Claps(s, 0, 63);
  OpenOffbeats(s, 0, 63, 26);
  GhostHats(s, 0, fill ? 55 : 63, 10);
  BassRolling(s, 0, first);
  BassRolling(s, 1, second);
  Pad(s, 0, first, 26);
  Pad(s, kBar, second, 26);
  Arp(s, 0, first, kArpWave, 16, false);
  Arp(s, 1, second, kArpWave, 16, false);
  Theme(s, 0, firstThemeBar, kChLead, kLead, -1, kLeadEcho);
  Theme(s, 1, firstThemeBar + 1, kChLead, kLead, -1, kLeadEcho);
  if (fill) Roll(s, 56, 63, 1, 28, 50);
  return s.Take();
}

// Hand-over from the orbit to the credits: the cadence with a roll and a riser to the white.
Pattern Transition() {
  Sheet s;
  Kicks(s, 0, 47);
  Claps(s, 0, 31);
  OpenOffbeats(s, 0, 31, 26);
  ClosedOffbeats(s, 32, 63, 26);
  BassRolling(s, 0, kG);
  BassOffbeat(s, 1, kE);
  Pad(s, 0, kG, 28);
  Pad(s, kBar, kE, 30);
  Theme(s, 0, 6, kChLead, kLead, -1, kLeadEcho);
  Theme(s, 1, 7, kChLead, kLead, -1, kLeadEcho);
  Roll(s, 32, 46, 2, 20, 36);
  Roll(s, 48, 63, 1, 38, 58);
  Wind(s, 0, "E3", 10, 48, 63);
  s.Off(63, kChWind);
  return s.Take();
}

// Credits groove: broken beat, gated lead stabs, a turn to D minor and E.
Pattern Breakbeat(const Chord& first, const Chord& second, const char* leadA, const char* leadB) {
  Sheet s;
  for (int bar = 0; bar < 2; ++bar) {
    const int b = bar * kBar;
    for (int r : {0, 10, 16, 22}) s.Note(b + r, kChKick, NoteNumber("C4"), kKick);
    s.Note(b + 8, kChSnare, NoteNumber("C4"), kSnare);
    s.Note(b + 24, kChSnare, NoteNumber("C4"), kSnare);
    s.Note(b + 30, kChSnare, NoteNumber("C4"), kSnare, 16);
    for (int r = 0; r < kBar; r += kStep) s.Note(b + r, kChHats, NoteNumber("C4"), kHats, HatVolume(r % 4 == 0 ? 14 : 28));
  }
  for (int bar = 0; bar < 2; ++bar) {
    const Chord& c = bar == 0 ? first : second;
    const int b = bar * kBar;
    for (int r : {0, 6, 12, 16, 22, 28}) s.Note(b + r, kChBass, Up(c.bass, r == 12 || r == 28 ? 12 : 0), kBass);
  }
  Pad(s, 0, first, 28);
  Pad(s, kBar, second, 28);
  s.Line(kChLead, 0, kStep, leadA, kLead, 38, kLeadEcho);
  s.Line(kChLead, kBar, kStep, leadB, kLead, 38, kLeadEcho);
  Arp(s, 0, first, kArpHook, 22);
  Arp(s, 1, second, kArpHook, 22);
  return s.Take();
}

// The variation: the theme moves to the bell, the lead soars above it.
Pattern Variation(int firstThemeBar, const Chord& first, const Chord& second, bool crash, bool fill) {
  Sheet s;
  if (crash) Crash(s, 0);
  Kicks(s, 0, 63);
  Claps(s, 0, 63);
  ClosedOffbeats(s, 0, 63, 30);
  s.Note(28, kChHats, NoteNumber("C5"), kHats, HatVolume(24));
  s.Note(60, kChHats, NoteNumber("C5"), kHats, HatVolume(24));
  GhostHats(s, 0, fill ? 55 : 63, 12);
  BassOffbeat(s, 0, first);
  BassOffbeat(s, 1, second);
  Pad(s, 0, first, 28);
  Pad(s, kBar, second, 28);
  Theme(s, 0, firstThemeBar, kChBell, kBell, 30, kBellEcho);
  Theme(s, 1, firstThemeBar + 1, kChBell, kBell, 30, kBellEcho);
  s.Line(kChLead, 0, kStep, kSoar[firstThemeBar], kLead, 36, kLeadEcho);
  s.Line(kChLead, kBar, kStep, kSoar[firstThemeBar + 1], kLead, 36, kLeadEcho);
  Arp(s, 0, first, kArpHook, 18);
  Arp(s, 1, second, kArpHook, 18);
  if (fill) Roll(s, 56, 63, 1, 28, 50);
  return s.Take();
}

// Final scene, breakdown: no drums, the theme on the bell over held bass and pad.
Pattern Breakdown(int firstThemeBar, const Chord& first, const Chord& second, bool build) {
  Sheet s;
  Pad(s, 0, first, 34);
  Pad(s, kBar, second, 34);
  s.Note(0, kChBass, NoteNumber(first.bass), kBass, 36);
  s.Note(kBar, kChBass, NoteNumber(second.bass), kBass, 36);
  Theme(s, 0, firstThemeBar, kChBell, kBell, 34, kBellEcho);
  Theme(s, 1, firstThemeBar + 1, kChBell, kBell, 34, kBellEcho);
  s.Line(kChLead, 0, kStep, kSoar[firstThemeBar], kLead, 24, kLeadEcho);
  s.Line(kChLead, kBar, kStep, kSoar[firstThemeBar + 1], kLead, 24, kLeadEcho);
  if (build) {
    Kicks(s, 32, 55, 40);
    Roll(s, 32, 46, 2, 16, 32);
    Roll(s, 48, 61, 1, 34, 56);
    Wind(s, 16, "C4", 10, 46, 44, 60);
    s.Off(62, kChWind);
  } else {
    Wind(s, 0, "A3", 6, 28);
  }
  return s.Take();
}

// Outro: the groove again, then thinning bar by bar.
Pattern Outro0() {
  Pattern p = Groove(kAm, kF, true, true, false);
  p.At(0, kChLead).note = kNoteOff;
  p.At(0, kChLeadEcho).note = kNoteOff;
  return p;
}

Pattern Outro1() {
  Sheet s;
  Kicks(s, 0, 63);
  ClosedOffbeats(s, 0, 63, 24);
  BassOffbeat(s, 0, kC, 48);
  BassOffbeat(s, 1, kG, 40);
  Pad(s, 0, kC, 30);
  Pad(s, kBar, kG, 30);
  Arp(s, 0, kC, kArpWave, 24);
  Arp(s, 1, kG, kArpWave, 20);
  s.Line(kChBell, 0, 4, "E6 . . G6 . . E6 . . C6 . . D6 . B5 .", kBell, 26, kBellEcho);
  return s.Take();
}

Pattern Outro2() {
  Sheet s;
  Kicks(s, 0, 31, 36);
  Pad(s, 0, kAm, 30);
  Pad(s, kBar, kF, 28);
  Arp(s, 0, kAm, kArpWave, 16);
  Arp(s, 1, kF, kArpWave, 10);
  s.Line(kChBell, 0, 4, "A5 . . C6 . . E6 . . A6 . . G6 . E6 .", kBell, 26, kBellEcho);
  Wind(s, 0, "A3", 8, 24);
  return s.Take();
}

// The last chord rings out and everything is released well before the song's end.
Pattern Outro3() {
  Sheet s;
  Pad(s, 0, kAm, 28);
  PadRamp(s, 4, 24, 28, 10);
  PadOff(s, 28);
  s.Note(0, kChBass, NoteNumber("A2"), kBass, 30);
  s.Off(24, kChBass);
  s.Line(kChBell, 0, 4, "A5:24 . E5:18 . A4:14", kBell, -1, kBellEcho);
  s.Ramp(kChWind, 0, 28, 24, 6, 4);
  s.Off(32, kChWind);
  return s.Take();
}

}  // namespace

Song ComposeSong() {
  Song song;
  std::vector<Pattern>& p = song.patterns;
  p.push_back(Intro0());                                    // 0
  p.push_back(Intro1());                                    // 1
  p.push_back(Intro2());                                    // 2
  p.push_back(Intro3());                                    // 3
  p.push_back(Intro4());                                    // 4
  p.push_back(Intro5());                                    // 5
  p.push_back(Groove(kAm, kF, true, false, false));         // 6  groove
  p.push_back(Groove(kC, kG, false, true, true));           // 7
  p.push_back(Build());                                     // 8
  p.push_back(ThemePattern(0, kAm, kF, true, false));       // 9  theme bars 1-2
  p.push_back(ThemePattern(2, kC, kG, false, false));       // 10 theme bars 3-4
  p.push_back(Transition());                                // 11
  p.push_back(ThemePattern(4, kAm, kF, true, false));       // 12 theme bars 5-6
  p.push_back(ThemePattern(6, kG, kE, false, true));        // 13 theme bars 7-8
  p.push_back(Breakbeat(kDm, kAm, "D5 . F5 . . A5 . F5 . . D6 . C6 . A5 .",
                        "C6 . A5 . . E5 . C5 . . E5 . A5 . ^ ."));  // 14
  p.push_back(Breakbeat(kF, kE, "C6 . A5 . . F5 . C5 . . F5 . A5 . C6 .",
                        "B5 . G#5 . . E5 . B4 . . E5 . G#5 . B5 ."));  // 15
  p.push_back(Variation(0, kAm, kF, true, false));          // 16
  p.push_back(Variation(2, kC, kG, false, false));          // 17
  p.push_back(Variation(4, kAm, kF, true, false));          // 18
  p.push_back(Variation(6, kG, kE, false, true));           // 19
  p.push_back(Breakdown(0, kAm, kF, false));                // 20
  p.push_back(Breakdown(2, kC, kG, true));                  // 21
  p.push_back(Outro0());                                    // 22
  p.push_back(Outro1());                                    // 23
  p.push_back(Outro2());                                    // 24
  p.push_back(Outro3());                                    // 25

  song.orders = {0,  1,  2,  3,  4,  5,                        // opening: the build
                 6,  7,  8,  9,  10, 11,                       // orbit: beat, climb, peak at the flash
                 6,  7,  9,  10, 12, 13,                       // first credit and picture: the theme
                 14, 15, 16, 17, 18, 19,                       // second credit and picture: variation
                 14, 8,  9,  10, 18, 19,                       // third credit and picture
                 16, 17, 12, 13,                               // fourth picture
                 20, 21, 9,  10, 22, 23, 24, 25};              // final scene: breakdown, reprise, outro
  if (song.patterns.size() != kPatternCount || song.orders.size() != kOrderCount)
    throw std::logic_error("song shape differs from the module's");
  return song;
}

Module BuildModule(std::size_t totalBytes) {
  Song song = ComposeSong();
  Module m;
  m.name = std::string(20, ' ');
  m.orders = song.orders;
  m.restart = 0;
  m.channels = kChannels;
  m.flags = 0;
  m.speed = kSpeed;
  m.tempo = kTempo;
  m.patterns = std::move(song.patterns);
  m.instruments = BuildInstruments(kMinStretchBytes);
  const std::size_t base = ModuleBytes(m);
  if (base > totalBytes) throw std::runtime_error("the song leaves no room for its noise loops");
  m.instruments = BuildInstruments(kMinStretchBytes + (totalBytes - base));
  if (ModuleBytes(m) != totalBytes) throw std::logic_error("module size missed its target");
  return m;
}

}  // namespace compose
