#pragma once
// Films as text: the loaded film with its tracks, and the values tracks
// apply frame by frame (orvokit film info and dump).
#include <cstdint>
#include <string>

#include "film/film.h"

namespace orvo {

// "film MAGIC VVV ..." then one "track I KIND ..." line per track (CP932 paths).
std::string DescribeFilm(const TFilmManager& film);
// One line per frame from..to and track holding it: "f\tI\tKIND\tvalues".
std::string DumpFilm(const TFilmManager& film, int32_t from, int32_t to);

}  // namespace orvo
