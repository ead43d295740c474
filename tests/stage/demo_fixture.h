#pragma once
// The demo game built from its sources and played headless by the player of
// this build; its shots compared with the golden pictures.
#include <initializer_list>
#include <string>

namespace orvo::test {

std::string Golden(const std::string& name);

// Builds the demo into a new temporary folder named tag ("<folder>/game")
// and fills folder; the build's exit status, its output in output.
int BuildDemo(const std::string& tag, std::string& folder, std::string& output);

// The player's --shot options: one <folder>/<prefix><frame>.png a frame.
std::string ShotOptions(const std::string& folder, const std::string& prefix, std::initializer_list<int> frames);

// Each shot equals the golden picture "demo_<prefix><frame>.png";
// ORVO_UPDATE_GOLDEN=1 first rewrites the goldens from the shots.
void ExpectShotsMatchGoldens(const std::string& folder, const std::string& prefix, std::initializer_list<int> frames);

}  // namespace orvo::test
