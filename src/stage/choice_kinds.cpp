#include "stage/choice_kinds.h"

#include "stage/button.h"
#include "stage/label.h"
#include "stage/list_box.h"
#include "stage/stage.h"

namespace orvo {

void RegisterChoiceKinds(TOrvoBaseList& stage) {
  stage.RegisterKind(kcButton, [](TOrvoBaseList& s) { return std::make_unique<TOrvoButton>(s); });
  stage.RegisterKind(kcLabel, [](TOrvoBaseList& s) { return std::make_unique<TOrvoLabel>(s); });
  stage.RegisterKind(kcMenu, [](TOrvoBaseList& s) { return std::make_unique<TOrvoMenu>(s); });
}

}  // namespace orvo
