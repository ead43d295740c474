// Motion films: a ".omt" film driving one control of the stage.
#include "film/film.h"
#include "stage/orvo_control.h"
#include "stage/stage.h"

namespace orvo {

void InstallFilmMotions(TOrvoBaseList& stage) {
  stage.SetMotionLoader([](TOrvoControl& target, const std::string& file) -> std::unique_ptr<IMotionFilm> {
    IPictureFiles* files = target.Stage().Pictures().Files();
    if (!files || !files->Contains(file)) return nullptr;
    auto film = std::make_unique<TFilmManager>();
    film->motion_mode = true;
    film->SetFilmStage(&target.Stage());
    film->SetTarget(&target);
    film->LoadFilmFile(file);
    return film;
  });
}

}  // namespace orvo
