#pragma once

#include "tools/artgen/Canvas.h"

// The demo's four pictures, each painted from code alone.

// tile02: a 128 x 128 glazed ceramic tile, drawn alpha-blended.
Canvas paintTile();
// role: a 64 x 112 wanderer with a lit staff, facing left, on an empty background (added).
Canvas paintRole();
// fire: eight 32 x 128 frames of a looping flame side by side, on black (added).
Canvas paintFire();
// tile04: a 192 x 96 winter-night plaque with a title, on an empty background (copied, greyed
// and added in turn).
Canvas paintPlaque();
