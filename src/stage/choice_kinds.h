#pragma once
// The kinds through which players choose and read: buttons, list menus and
// text labels.
namespace orvo {

class TOrvoBaseList;

// Registers the factories of kinds 3, 9 and 12 on a stage.
void RegisterChoiceKinds(TOrvoBaseList& stage);

}  // namespace orvo
