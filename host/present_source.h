// Who handed the frame being presented: watched by observers of the headless display (capture's trace).
#pragma once

#include <cstdint>

enum PresentSource : uint32_t {
  kSourceStartupFrame = 0,  // the black frame start-up presents before the show
  kSourceCore = 1,          // a frame the intro core presents through hook slot 0
  kSourcePicture1 = 2,      // kSourcePicture1 + N - 1: a frame of ShowPictureN
};

extern PresentSource presentSource;
