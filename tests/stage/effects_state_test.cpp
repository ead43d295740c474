// A stage holding every effect kind saves, loads and saves again to the same
// bytes; particles are never in the record. ORVO_WRITE_FUZZ_SEEDS=DIR also
// writes the records there as seeds of the stage-state fuzz target.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "base/stream.h"
#include "stage/cg_label.h"
#include "stage/particle.h"
#include "stage/picture_fixture.h"
#include "stage/stage_fixture.h"
#include "vars/compiler.h"

namespace orvo::test {
namespace {

class EffectsStateTest : public PictureTest {};

TEST_F(EffectsStateTest, EveryEffectKindRoundTripsThroughTheStageRecord) {
  files_.files["digits.dov"] = DovaBytes({Plain(40, 5, 0x00FF00)});
  files_.files["flake.dov"] = DovaBytes({Plain(3, 3, 0xFFFFFF)});
  TOrvoControl* wave = Make(kcWave, "wave");
  wave->SetBoundsRect(1, 2, 40, 30);
  Set(*wave, PR_AMP, TPropValue::Int(4));
  TOrvoControl* fire = Make(kcFire, "fire", wave);
  Set(*fire, PR_FLOATZOOMX, TPropValue::Float(2));
  Set(*fire, PR_ORIGWIDTH, TPropValue::Int(10));
  Set(*fire, PR_ORIGHEIGHT, TPropValue::Int(6));
  Set(*fire, PR_POWER, TPropValue::Int(70));
  auto* emitter = static_cast<TOrvoParticle*>(Make(kcParticle, "snow"));
  emitter->SetBoundsRect(0, 0, 64, 48);
  TOrvoParser appear;
  appear.LoadFromBytes(TBuildOrvoParser::CompileToBytes("____arg = 7 * 3"));
  emitter->SetExpressions(&appear, nullptr, nullptr);
  Set(*emitter, PR_SOURCE, TPropValue::Str("flake.dov"));
  Set(*emitter, PR_PARTMOTION, TPropValue::Int(PM_SNOW));
  Set(*emitter, PR_PARAM1, TPropValue::Float(0.5L));
  Set(*emitter, PR_DURATION, TPropValue::Int(900));
  TOrvoControl* label = Make(kcCGLabel, "score", emitter);
  Set(*label, PR_SOURCE, TPropValue::Str("digits.dov"));
  Set(*label, PR_MAPTEXT, TPropValue::Str("0123456789"));
  Set(*label, PR_GLYPHWIDTH, TPropValue::Int(4));
  Set(*label, PR_GLYPHHEIGHT, TPropValue::Int(5));
  Set(*label, PR_TEXT, TPropValue::Str("2024"));
  for (int i = 0; i < 4; ++i) Frame(16);
  ASSERT_GT(emitter->ParticleCount(), 0);

  const std::string first = SaveStage(stage_);
  TRuntimeState state;
  TOrvoBaseList again(state);
  again.Pictures().SetFiles(&files_);
  LoadStage(again, first);
  EXPECT_EQ(SaveStage(again), first);
  auto* loaded = dynamic_cast<TOrvoParticle*>(again.FindControl("snow"));
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(loaded->ParticleCount(), 0);
  EXPECT_EQ(loaded->Children().size(), 1u);  // the label only
  EXPECT_EQ(again.FindControl("fire")->Parent(), again.FindControl("wave"));
  EXPECT_EQ(again.FindControl("score")->Width(), 16);

  if (const char* dir = std::getenv("ORVO_WRITE_FUZZ_SEEDS")) {
    // The target's first byte picks the version: 100 + 101 = 201.
    std::ofstream(std::string(dir) + "/effects-stage", std::ios::binary) << '\x65' << first;
  }
}

}  // namespace
}  // namespace orvo::test
