#pragma once
// The pictures of the installation data, drawn from noise and geometry.
#include "Canvas.h"

// Tiling textures.
Canvas MakeWood(int size);
Canvas MakeMarble(int size);
Canvas MakePaper(int size);
Canvas MakeBrushedMetal(int size);
Canvas MakeGranite(int size);

// Foreground pictures: what a shiny surface reflects.
Canvas MakeSky(int width, int height);
Canvas MakeStudio(int width, int height);
Canvas MakeSunset(int width, int height);

// Samples: shapes on a transparent background and an opaque scene.
Canvas MakeWordSample(int width, int height);
Canvas MakeStarSample(int size);
Canvas MakeLandscapeSample(int width, int height);

// The about window's picture, opaque.
Canvas MakeAboutPicture(int width, int height);
