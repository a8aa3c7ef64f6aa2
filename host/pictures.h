// The still pictures of the interlude and the grey palette they are shown with.
#pragma once

#include <cstdint>

inline constexpr uint32_t kPictureBytes = 192054;
inline constexpr uint32_t kPicturePixelOffset = 54;
inline constexpr int32_t kOrdersPerPicture = 4;

// Hook slots 4 to 7: picture N until the music has moved on four orders, or, when it does not move (no module,
// or a stalled one), until four orders' worth of time has passed on the clock without a change of order.
void ShowPicture1();
void ShowPicture2();
void ShowPicture3();
void ShowPicture4();
// Hook slot 8: entry i of palette becomes (i div 4, i div 4, i div 4).
void SetGreyPalette();

// The clock's advance, in counter units, that four orders take at the module's nominal speed and tempo.
bool FourOrdersElapsed(uint32_t counterUnits);
