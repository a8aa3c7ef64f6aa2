// The show's entry and the frame hand-off that every stage shares.
#pragma once

#include <cstdint>

// Runs the whole show: start-up work, opening, orbit, interlude, final scene. Returns when it ends.
void RunShow();
// The show after its start-up work, for a host that has already built the tables (PrepareShowTables).
void RunPreparedShow();

// The clock read once: the counter as show ticks.
int32_t ShowTick();

// Copies a finished 64,000-byte plane into frameBuffer and presents it.
void PresentPlane(const uint8_t* plane);

// Fills frameBuffer with index 0 and presents it.
void PresentBlackFrame();

// Zeroes 4 bytes from r * 320 + 318 + shift in every row r (shift -2, 0 or 2); the bytes run on
// into the next row. The bytes that would follow the last row are left alone.
void ClearEdgeColumns(uint8_t* plane, int shift);
