// The opening scene: the polar ring burst under the heat haze, with the title picture dissolving in.
#include "core/palette_random.h"
#include "core/scenes.h"
#include "core/show_state.h"

void BuildPolarTables() {}

void SetUpOpeningScene() {}

void DrawOpeningFrame(int32_t t) { (void)t; }
