// The final scene's routines, exposed for tests.
#pragma once

#include <cstdint>

// Loads LogoVertices, LogoFaces and their counts from the stored logo mesh.
void LoadLogoMesh();

// The VertexFetch of the logo: VertexInput := LogoVertices[k].
void FetchMeshVertex(uint16_t k);

// SpotTable: 230 - rounded distance from (128, 128) + Random(10), u running fastest.
void BuildSpotTable();

// SpotX for stage clock t: a swing between columns 60 and 260 every 720 ticks.
int16_t SpotCentreX(int32_t t);

// Turns SweepDirection near the ends, then draws the frame's three angles into RotationAngles
// (three Random(10) calls: first angle, sweep, third angle).
void UpdateSway();

// Four Blur4 passes over the plane from row 1, visiting only the rows that can change.
void BlurFourTimes(uint8_t* plane);

// Lights the covered pixels of DepthPlane under the spot into FinalPlane (rows 0..198), one
// Random(300) per covered pixel, row by row from the top, left to right.
void LightLogo();
