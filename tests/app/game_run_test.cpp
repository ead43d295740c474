// Games built from source with orvokit and run by the player: variables,
// traces, the bundled single file and the author's error messages.
#include <gtest/gtest.h>

#include "support/test_support.h"

namespace orvo {
namespace {

std::string Player() { return test::BuildDir() + "/bin/orvoplayer"; }
std::string Kit() { return test::BuildDir() + "/bin/orvokit"; }
std::string Source(const std::string& game) { return test::TestDataDir() + "/app/games/" + game; }

// Builds a game source folder (with extra options) and returns the output path.
std::string Build(const std::string& game, const std::string& options = "") {
  std::string out = test::MakeTempDir("built-" + game) + "/" + game;
  std::string output;
  EXPECT_EQ(test::RunCommand(Kit() + " build " + Source(game) + " -o " + out + " " + options, &output), 0) << output;
  return out;
}

// Lines of text that contain needle.
std::vector<std::string> LinesWith(const std::string& text, const std::string& needle) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (line.find(needle) != std::string::npos) lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

TEST(GameRun, CounterGameGivesTheExpectedVariablesAndWaitFrames) {
  std::string game = Build("counter");
  std::string dump = game + "/vars.txt", trace = game + "/trace.txt", output;
  ASSERT_EQ(test::RunCommand(Player() + " " + game + " --headless --fixed-step 15 --frames 200 --dump-vars " + dump +
                                 " --trace " + trace,
                             &output),
            0)
      << output;
  EXPECT_EQ(test::ReadFile(dump), test::ReadFile(Source("counter") + ".vars"));
  std::string text = test::ReadFile(trace);
  // The while loop runs its 1000 rounds in the first frame (15 ms).
  EXPECT_EQ(LinesWith(text, "0000000f : start.osb(5)").size(), 1000u);
  // The 500 ms wait starts at 15 ms, skips that frame and ends when the next
  // frames sum to 500: at 525 ms, 35 frames later.
  EXPECT_EQ(LinesWith(text, "start.osb(10)"), std::vector<std::string>{"0000000f : start.osb(10)"});
  EXPECT_EQ(LinesWith(text, "start.osb(11)"), std::vector<std::string>{"0000020d : start.osb(11)"});
  // The exit page runs after the last frame.
  EXPECT_EQ(LinesWith(text, "bye.osb(1)").size(), 1u);
}

TEST(GameRun, BundledGameRunsAsOneFileAndTheArchiveFormToo) {
  std::string bundle = Build("counter", "--bundle");
  std::string output;
  std::string dump = bundle + ".vars";
  ASSERT_EQ(test::RunCommand("cd $(dirname " + bundle +
                                 ") && ./counter --headless --fixed-step 15 --frames 60 "
                                 "--dump-vars " +
                                 dump,
                             &output),
            0)
      << output;
  EXPECT_EQ(test::ReadFile(dump), test::ReadFile(Source("counter") + ".vars"));

  std::string folder = Build("counter", "--archive");
  EXPECT_FALSE(test::ReadFile(folder + "/game.dat").empty());
  ASSERT_EQ(test::RunCommand(
                Player() + " " + folder + " --headless --fixed-step 15 --frames 60 --dump-vars " + folder + "/vars.txt",
                &output),
            0)
      << output;
  EXPECT_EQ(test::ReadFile(folder + "/vars.txt"), test::ReadFile(Source("counter") + ".vars"));
}

TEST(GameRun, PackedThenBundledGameStartsWithADescriptorAddedOrKept) {
  std::string folder = Build("counter");
  std::string work = test::MakeTempDir("pack-bundle"), output;
  // Packed as it is: no descriptor, so the bundle adds one and says so.
  ASSERT_EQ(test::RunCommand(Kit() + " pack " + folder + " -o " + work + "/plain.dat", &output), 0) << output;
  ASSERT_EQ(test::RunCommand(Kit() + " bundle " + Player() + " " + work + "/plain.dat -o " + work + "/plain", &output),
            0)
      << output;
  EXPECT_NE(output.find("install.dat added: installed locally, title \"Counter\""), std::string::npos) << output;
  ASSERT_EQ(test::RunCommand(work + "/plain --headless --fixed-step 15 --frames 60 --dump-vars " + work + "/plain.vars",
                             &output),
            0)
      << output;
  EXPECT_EQ(test::ReadFile(work + "/plain.vars"), test::ReadFile(Source("counter") + ".vars"));

  // Packed with --install: the bundle carries that archive unchanged.
  ASSERT_EQ(test::RunCommand(Kit() + " pack " + folder + " -o " + work + "/installed.dat --install", &output), 0)
      << output;
  EXPECT_NE(output.find("install.dat added"), std::string::npos) << output;
  ASSERT_EQ(test::RunCommand(Kit() + " bundle " + Player() + " " + work + "/installed.dat -o " + work + "/installed",
                             &output),
            0)
      << output;
  EXPECT_EQ(output.find("install.dat added"), std::string::npos) << output;
  const std::string player = test::ReadFile(Player()), archive = test::ReadFile(work + "/installed.dat");
  const std::string bundle = test::ReadFile(work + "/installed");
  ASSERT_EQ(bundle.size(), player.size() + archive.size() + 6);
  EXPECT_TRUE(bundle.compare(player.size(), archive.size(), archive) == 0) << "the archive is kept byte for byte";
  ASSERT_EQ(
      test::RunCommand(
          work + "/installed --headless --fixed-step 15 --frames 60 --dump-vars " + work + "/installed.vars", &output),
      0)
      << output;
  EXPECT_EQ(test::ReadFile(work + "/installed.vars"), test::ReadFile(Source("counter") + ".vars"));
}

TEST(GameRun, TerminateEndsTheRunAndAFailingCommandIsFatal) {
  struct TCase {
    const char* page;
    int status;
    const char* vars;
  } cases[] = {
      {"var n: int = 1\nterminate\nn = 2\n", 0, "global\tn\tint\t1\n"},
      // A variable without a name stops the game; the exit page does not run.
      {"var n: int = 1\nTComVarNew type=1\nn = 2\n", 1, "global\tn\tint\t1\n"},
  };
  for (const TCase& c : cases) {
    std::string source = test::MakeTempDir("terminate-src");
    test::WriteFile(source + "/settings.ini",
                    "[project]\ntitle = T\nwidth = 8\nheight = 8\nstart_page = start.osb\n"
                    "exit_page = bye.osb\n");
    test::WriteFile(source + "/start.src", c.page);
    test::WriteFile(source + "/bye.src", "var bye: int = 1\n");
    std::string out = test::MakeTempDir("terminate-out"), output;
    ASSERT_EQ(test::RunCommand(Kit() + " build " + source + " -o " + out, &output), 0) << output;
    EXPECT_EQ(test::RunCommand(
                  Player() + " " + out + " --headless --fixed-step 15 --frames 100 --dump-vars " + out + "/vars.txt",
                  &output),
              c.status)
        << output;
    std::string expected = c.status == 0 ? std::string("global\tbye\tint\t1\n") + c.vars : std::string(c.vars);
    EXPECT_EQ(test::ReadFile(out + "/vars.txt"), expected) << c.page;
  }
}

TEST(KitScript, ErrorsNameTheSourceFileAndLine) {
  std::string source = test::MakeTempDir("bad-src");
  test::WriteFile(source + "/settings.ini", "[project]\ntitle = T\nstart_page = start.osb\n");
  test::WriteFile(source + "/start.src", "var n: int\nif n == 1\n  n = (2\nend\n");
  std::string output;
  EXPECT_EQ(test::RunCommand(Kit() + " build " + source + " -o " + test::MakeTempDir("bad-out"), &output), 1);
  EXPECT_NE(output.find("start.src:3:"), std::string::npos) << output;
  test::WriteFile(source + "/start.src", "goto nowhere\n");
  EXPECT_EQ(test::RunCommand(Kit() + " compile " + source + "/start.src -o " + source + "/start.osb", &output), 1);
  EXPECT_NE(output.find("start.src:1: no label nowhere"), std::string::npos) << output;
}

TEST(KitScript, DecompileThenCompileGivesTheSameBytes) {
  std::string game = Build("counter");
  std::string output;
  for (const char* page : {"start", "lib", "bye"}) {
    std::string osb = game + "/" + page + ".osb";
    std::string src = game + "/" + page + ".back.src";
    ASSERT_EQ(test::RunCommand(Kit() + " decompile " + osb + " -o " + src, &output), 0) << output;
    ASSERT_EQ(test::RunCommand(Kit() + " compile " + src + " --name " + page + ".osb -o " + src + ".osb", &output), 0)
        << output;
    EXPECT_EQ(test::ReadFile(src + ".osb"), test::ReadFile(osb)) << page;
  }
}

}  // namespace
}  // namespace orvo
