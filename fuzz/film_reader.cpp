// Films from untrusted bytes: the reader of every version, the links between
// tracks, the text of orvokit film, and playing frames on a headless stage.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/runtime_state.h"
#include "film/film.h"
#include "film/film_describe.h"
#include "fuzz_budget.h"
#include "stage/stage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static orvo::fuzz::TWorkBudget budget(200, 50);
  budget.Start();
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  orvo::TRuntimeState state;
  orvo::TOrvoBaseList stage(state);
  orvo::TFilmManager film;
  film.SetFilmStage(&stage);
  if (film.LoadFilm(bytes, "fuzz\\film.ocn") != orvo::TFilmLoad::Loaded) return 0;
  budget.Check(static_cast<int64_t>(size), "loading");
  orvo::DescribeFilm(film);
  // A few frames around the start, the loop start and the end.
  const int32_t length = film.FilmLength();
  for (int32_t f : {0, 1, film.loop_start, length / 2, length - 1, length}) {
    budget.Start();
    orvo::DumpFilm(film, f, f);
    film.SeekFrame(f);
    budget.Check(static_cast<int64_t>(size) * 4, "one frame");
  }
  return 0;
}
