// Pattern notation: note names, text melodies with echoes, and volume ramps written into cells.
#include "sheet.h"

#include <cctype>
#include <stdexcept>
#include <string>

#include "song.h"

namespace compose {

uint8_t NoteNumber(std::string_view name) {
  static constexpr int kSemitones[7] = {9, 11, 0, 2, 4, 5, 7};  // A..G
  if (name.size() < 2) throw std::invalid_argument("bad note name: " + std::string(name));
  const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
  if (letter < 'A' || letter > 'G') throw std::invalid_argument("bad note name: " + std::string(name));
  int semitone = kSemitones[letter - 'A'];
  std::size_t pos = 1;
  if (name[pos] == '#') {
    ++semitone;
    ++pos;
  } else if (name[pos] == 'b') {
    --semitone;
    ++pos;
  }
  if (pos + 1 != name.size() || !std::isdigit(static_cast<unsigned char>(name[pos])))
    throw std::invalid_argument("bad note name: " + std::string(name));
  const int octave = name[pos] - '0';
  const int note = 1 + octave * 12 + semitone;
  if (note < 1 || note > 96) throw std::invalid_argument("note out of range: " + std::string(name));
  return static_cast<uint8_t>(note);
}

Sheet::Sheet() : pattern_(kRowsPerPattern, kChannels) {}

Cell& Sheet::CellAt(int row, int channel) {
  if (row < 0 || row >= kRowsPerPattern || channel < 0 || channel >= kChannels)
    throw std::out_of_range("cell outside the pattern");
  return pattern_.At(row, channel);
}

void Sheet::Note(int row, int channel, uint8_t note, uint8_t instrument, int volume) {
  Cell& c = CellAt(row, channel);
  c.note = note;
  c.instrument = instrument;
  if (volume >= 0) c.volume = Vol(volume);
}

void Sheet::Off(int row, int channel) {
  Cell& c = CellAt(row, channel);
  c.note = kNoteOff;
  c.instrument = 0;
}

void Sheet::SetVolume(int row, int channel, int volume) {
  if (volume < 0 || volume > 64) throw std::out_of_range("volume outside 0..64");
  CellAt(row, channel).volume = Vol(volume);
}

void Sheet::SetEffect(int row, int channel, uint8_t effect, uint8_t param) {
  Cell& c = CellAt(row, channel);
  c.effect = effect;
  c.param = param;
}

void Sheet::Line(int channel, int row, int stepRows, std::string_view text, uint8_t instrument, int volume,
                 const Echo& echo) {
  std::size_t pos = 0;
  int r = row;
  while (pos < text.size()) {
    while (pos < text.size() && text[pos] == ' ') ++pos;
    if (pos >= text.size()) break;
    std::size_t end = text.find(' ', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view token = text.substr(pos, end - pos);
    pos = end;
    if (r >= kRowsPerPattern) throw std::out_of_range("melody runs past the pattern");
    const int echoRow = r + echo.delayRows;
    const bool echoFits = echo.channel >= 0 && echoRow < kRowsPerPattern;
    if (token == "^") {
      Off(r, channel);
      if (echoFits) Off(echoRow, echo.channel);
    } else if (token != ".") {
      int v = volume;
      const std::size_t colon = token.find(':');
      if (colon != std::string_view::npos) {
        v = std::stoi(std::string(token.substr(colon + 1)));
        token = token.substr(0, colon);
      }
      Note(r, channel, NoteNumber(token), instrument, v);
      if (echoFits) {
        Note(echoRow, echo.channel, NoteNumber(token), instrument, (v < 0 ? 64 : v) * echo.percent / 100);
        if (echo.panning >= 0) SetEffect(echoRow, echo.channel, kFxPanning, static_cast<uint8_t>(echo.panning));
      }
    }
    r += stepRows;
  }
}

void Sheet::Ramp(int channel, int firstRow, int lastRow, int from, int to, int stepRows) {
  const int span = lastRow - firstRow;
  for (int r = firstRow; r <= lastRow; r += stepRows) {
    const int v = span == 0 ? to : from + (to - from) * (r - firstRow) / span;
    SetVolume(r, channel, v);
  }
}

}  // namespace compose
