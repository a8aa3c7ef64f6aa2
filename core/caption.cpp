// The caption scene: dots climb onto a glowing name while a caption word spins.
#include "core/palette_random.h"
#include "core/scenes.h"
#include "core/show_state.h"

void SetUpCaptionScene(const uint8_t* nameImage, int captionRecord, uint16_t particleCount,
                       int16_t centreX, int16_t centreY) {
  (void)nameImage;
  (void)captionRecord;
  (void)particleCount;
  (void)centreX;
  (void)centreY;
}

void DrawCaptionFrame(int32_t t) { (void)t; }

void FinishCaptionScene() {}
