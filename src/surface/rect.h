#pragma once
// Rectangles are shared with the window layer: see base/rect.h.
#include "base/rect.h"
