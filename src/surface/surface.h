#pragma once
// Everything other subsystems use of the surfaces.
#include "surface/custom_dibx.h"  // IWYU pragma: export
#include "surface/dib_surface.h"  // IWYU pragma: export
#include "surface/dibx.h"         // IWYU pragma: export
#include "surface/dibx_wave.h"    // IWYU pragma: export
#include "surface/picture_io.h"   // IWYU pragma: export
#include "surface/png_writer.h"   // IWYU pragma: export
#include "surface/rect.h"         // IWYU pragma: export
#include "surface/surface_io.h"   // IWYU pragma: export
