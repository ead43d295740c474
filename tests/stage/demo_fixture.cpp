#include "stage/demo_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "support/png_file.h"
#include "support/test_support.h"

namespace orvo::test {

std::string Golden(const std::string& name) { return TestDataDir() + "/stage/golden/" + name; }

int BuildDemo(const std::string& tag, std::string& folder, std::string& output) {
  folder = MakeTempDir(tag);
  return RunCommand(
      "bash " + TestDataDir() + "/../demo/build-demo.sh " + BuildDir() + "/bin/orvokit " + folder + "/game", &output);
}

std::string ShotOptions(const std::string& folder, const std::string& prefix, std::initializer_list<int> frames) {
  std::string shots;
  for (int frame : frames)
    shots += " --shot " + std::to_string(frame) + ":" + folder + "/" + prefix + std::to_string(frame) + ".png";
  return shots;
}

void ExpectShotsMatchGoldens(const std::string& folder, const std::string& prefix, std::initializer_list<int> frames) {
  for (int frame : frames) {
    SCOPED_TRACE("frame " + std::to_string(frame));
    const std::string name = prefix + std::to_string(frame) + ".png";
    if (std::getenv("ORVO_UPDATE_GOLDEN")) WriteFile(Golden("demo_" + name), ReadFile(folder + "/" + name));
    const std::vector<uint32_t> shot = PngPixels(folder + "/" + name);
    ASSERT_FALSE(shot.empty());
    EXPECT_TRUE(shot == PngPixels(Golden("demo_" + name))) << "compare " << folder << "/" << name;
  }
}

}  // namespace orvo::test
