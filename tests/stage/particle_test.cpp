#include "stage/particle.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

#include "base/random.h"
#include "script/system_host.h"
#include "stage/effects_fixture.h"
#include "stage/picture_fixture.h"
#include "stage/stage_fixture.h"
#include "vars/compiler.h"
#include "vars/engine.h"

namespace orvo::test {
namespace {

class ParticleTest : public PictureTest {
 public:
  ParticleTest() : host_(state_), engine_(host_, random_) {
    stage_.SetEngine(&engine_);
    stage_.SetSize(640, 480);
    ProcessRandom().Seed(1234);
  }

  TOrvoParticle* MakeEmitter(uint8_t motion, long double f1 = 0, long double f2 = 0, long double f3 = 0) {
    auto* emitter = static_cast<TOrvoParticle*>(Make(kcParticle, "sky"));
    emitter->SetBoundsRect(0, 0, 640, 480);
    Set(*emitter, PR_ALPHA, TPropValue::Int(255));
    Set(*emitter, PR_PARTMOTION, TPropValue::Int(motion));
    Set(*emitter, PR_PARAM1, TPropValue::Float(f1));
    Set(*emitter, PR_PARAM2, TPropValue::Float(f2));
    Set(*emitter, PR_PARAM3, TPropValue::Float(f3));
    return emitter;
  }
  static std::unique_ptr<TOrvoParser> Expression(const std::string& text) {
    auto parser = std::make_unique<TOrvoParser>();
    if (!text.empty()) parser->LoadFromBytes(TBuildOrvoParser::CompileToBytes("____arg = " + text));
    return parser;
  }
  static void SetParam(TOrvoParticle& emitter, int32_t x, int32_t y, int32_t x_range, int32_t y_range, int32_t interval,
                       int32_t interval_range) {
    emitter.EmissionParam() = TOrvoParticleParam{x, y, x_range, y_range, interval, interval_range};
  }
  std::vector<TPoint> Positions(const TOrvoParticle& emitter) {
    std::vector<TPoint> points;
    for (TOrvoParticleImages* particle : emitter.Particles()) points.push_back({particle->Left(), particle->Top()});
    return points;
  }

  TScriptSystemHost host_;
  TProcessRandom random_;
  TExprEngine engine_;
};

TEST_F(ParticleTest, ParticlesComeAtTheIntervalInMilliseconds) {
  struct TCase {
    const char* name;
    std::string interval;  // expression; "" for none
    bool film_param;       // the emission record of film tracks instead
    int32_t param_interval;
    int32_t frames;
    int32_t expected;
  };
  const std::vector<TCase> cases = {
      {"every 100 ms", "100", false, 0, 100, 1 + 1600 / 100}, {"0 means 2 ms", "0", false, 0, 10, 1 + 160 / 2},
      {"1 means 2 ms", "1", false, 0, 10, 1 + 160 / 2},       {"no interval: every step", "", false, 0, 10, 1 + 10},
      {"film record, exact", "", true, 50, 25, 1 + 400 / 50}, {"film record, at least 2", "", true, 1, 10, 1 + 160 / 2},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TOrvoParticle* emitter = MakeEmitter(PM_SNOW, 0.01L);
    auto interval = Expression(c.interval);
    auto x = Expression("320");
    emitter->SetExpressions(x.get(), nullptr, interval.get());
    if (c.film_param) SetParam(*emitter, 10, 20, 0, 0, c.param_interval, 0);
    Frame(16);  // the start: the first particle at once
    EXPECT_EQ(emitter->ParticleCount(), 1);
    for (int32_t i = 0; i < c.frames; ++i) Frame(16);
    EXPECT_EQ(emitter->ParticleCount(), c.expected);
    const TOrvoParticleImages* first = emitter->Particles().front();
    EXPECT_EQ(first->BaseX(), c.film_param ? 10 : 320);
    EXPECT_EQ(first->Name().substr(0, 5), std::string("\x01sky\x01", 5));
    EXPECT_FALSE(first->IsSaved());
    stage_.DeleteObject(*emitter);
  }
}

TEST_F(ParticleTest, PreRunFillsTheAreaWithParticlesAlreadyMoved) {
  TOrvoParticle* emitter = MakeEmitter(PM_SNOW, 0.5L);
  auto interval = Expression("100");
  emitter->SetExpressions(nullptr, nullptr, interval.get());
  Set(*emitter, PR_INDEX, TPropValue::Int(1000));
  Frame(16);
  std::vector<int32_t> ages;
  for (TOrvoParticleImages* particle : emitter->Particles()) ages.push_back(particle->Age());
  // 62 steps: each particle moved by the steps left after its own interval.
  EXPECT_EQ(ages, (std::vector<int32_t>{880, 784, 688, 592, 480, 384, 288, 192, 80, 0}));
  EXPECT_EQ(emitter->TimeAcc(), 1000 % 16);
}

TEST_F(ParticleTest, PathsOfFluffAndStars) {
  TOrvoParticle* fluff = MakeEmitter(PM_FLUFF, 0.5L);
  SetParam(*fluff, 100, 200, 0, 0, 100000, 0);
  fluff->Emit(0, true);
  ASSERT_EQ(fluff->ParticleCount(), 1);
  TOrvoParticleImages* particle = fluff->Particles()[0];
  fluff->Emit(2, false);
  EXPECT_EQ(particle->Top(), 198);
  fluff->Emit(8, false);
  EXPECT_EQ(particle->Top(), 150);
  EXPECT_EQ(particle->Left(), 100);
  stage_.DeleteObject(*fluff);

  TOrvoParticle* stars = MakeEmitter(PM_STAR, 0, 1.1L, 0.2L);
  SetParam(*stars, 320, 240, 0, 0, 100000, 0);
  stars->Emit(0, true);
  TOrvoParticleImages* star = stars->Particles()[0];
  EXPECT_EQ(star->MaxRadius(), 400);
  int steps = 0;
  while (!star->Finished() && steps < 200) {
    EXPECT_LT(star->Radius(), 400);
    stars->Emit(1, false);
    ++steps;
  }
  EXPECT_TRUE(star->Finished());
  EXPECT_GE(star->Radius(), 400);
  EXPECT_LT(star->Radius() / 1.1L, 400);
  const TObjectHandle handle = star->Handle();
  Frame(0);
  EXPECT_EQ(stage_.Resolve(handle), nullptr);
}

TEST_F(ParticleTest, MotionNoneAdvancesButEmitsNothing) {
  TOrvoParticle* emitter = MakeEmitter(PM_SNOW, 1);
  SetParam(*emitter, 50, 0, 0, 0, 16, 0);
  for (int i = 0; i < 3; ++i) Frame(16);
  const int32_t count = emitter->ParticleCount();
  const int32_t age = emitter->Particles()[0]->Age();
  Set(*emitter, PR_PARTMOTION, TPropValue::Int(PM_NONE));
  for (int i = 0; i < 3; ++i) Frame(16);
  EXPECT_EQ(emitter->ParticleCount(), count);
  EXPECT_EQ(emitter->Particles()[0]->Age(), age + 32);  // the restart frame emits 0 steps
}

TEST_F(ParticleTest, PreRunAndLiveParticlesAreCapped) {
  struct TCase {
    int32_t pre_run;
    int32_t interval;
    int32_t expected;
  };
  const std::vector<TCase> cases = {
      {1000000000, 1000, 61},         // cut to 60 s: particles at 0, 1000, ... 60000
      {60000, 2, kMaxLiveParticles},  // 30001 due, 10000 live
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.pre_run);
    TOrvoParticle* emitter = MakeEmitter(PM_SNOW, 0.001L);
    emitter->SetBoundsRect(0, 0, 640, 100000);
    SetParam(*emitter, 5, 5, 0, 0, c.interval, 0);
    Set(*emitter, PR_INDEX, TPropValue::Int(c.pre_run));
    Frame(16);
    EXPECT_EQ(emitter->ParticleCount(), c.expected);
    EXPECT_GT(emitter->Countdown(), 0);
    stage_.DeleteObject(*emitter);
  }
}

TEST_F(ParticleTest, ANewSourceRemovesEveryParticle) {
  files_.files["a.dov"] = DovaBytes({Plain(4, 4, 0xFFFFFF)});
  TOrvoParticle* emitter = MakeEmitter(PM_SNOW, 1);
  Set(*emitter, PR_SOURCE, TPropValue::Str("a.dov"));
  SetParam(*emitter, 50, 0, 0, 0, 16, 0);
  for (int i = 0; i < 5; ++i) Frame(16);
  ASSERT_EQ(emitter->ParticleCount(), 5);
  EXPECT_EQ(emitter->Particles()[0]->Width(), 4);
  EXPECT_EQ(emitter->Particles()[0]->OffsetX(), 2);
  Set(*emitter, PR_SOURCE, TPropValue::Str("b.dov"));
  EXPECT_EQ(emitter->ParticleCount(), 0);
  EXPECT_TRUE(emitter->Children().empty());
  EXPECT_EQ(emitter->State(), 0);
}

TEST_F(ParticleTest, PictureParticlesRepeatUnlessAFilmTrackSaysOtherwise) {
  TTestFrame frame = Plain(4, 4, 0xFFFFFF);
  frame.delay = 40;
  files_.files["a.dov"] = DovaBytes({frame});
  struct TCase {
    const char* name;
    std::optional<bool> loop;
    bool first_alive;
  };
  const std::vector<TCase> cases = {
      {"a script's emitter", std::nullopt, true},
      {"a film track's loop", true, true},
      {"a film track without loop", false, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TOrvoParticle* emitter = MakeEmitter(PM_SNOW, 0.1L);
    if (c.loop) emitter->SetParticleLoop(*c.loop);
    Set(*emitter, PR_SOURCE, TPropValue::Str("a.dov"));
    SetParam(*emitter, 50, 0, 0, 0, 100000, 0);
    Frame(16);
    ASSERT_EQ(emitter->ParticleCount(), 1);
    const TObjectHandle first = emitter->Particles()[0]->Handle();
    for (int i = 0; i < 6; ++i) Frame(16);
    EXPECT_EQ(stage_.Resolve(first) != nullptr, c.first_alive);
    stage_.DeleteObject(*emitter);
  }
}

// Writes the source of an emitter from its own update, as a film track does.
class TSourceWriter : public TOrvoControl {
 public:
  TSourceWriter(TOrvoBaseList& stage, TOrvoParticle* emitter) : TOrvoControl(stage), emitter_(emitter) {}
  bool Update() override {
    ++updates;
    emitter_->SetProperty(PR_SOURCE, TPropValue::Str("other" + std::to_string(updates)));
    return false;
  }
  int updates = 0;

 private:
  TOrvoParticle* emitter_;
};

TEST_F(ParticleTest, ASourceWrittenDuringTheUpdatePassKeepsThePassInStep) {
  TOrvoParticle* emitter = MakeEmitter(PM_SNOW, 1);
  SetParam(*emitter, 50, 0, 0, 0, 16, 0);
  for (int i = 0; i < 4; ++i) Frame(16);
  ASSERT_EQ(emitter->ParticleCount(), 4);
  // Created after the particles: they lie before it in the update order.
  auto* writer = stage_.Create<TSourceWriter>(emitter);
  auto* box = stage_.Create<TTestBox>();
  Frame(16);
  EXPECT_EQ(writer->updates, 1);
  EXPECT_EQ(box->update_count_, 1);
  EXPECT_EQ(emitter->ParticleCount(), 0);
  Frame(16);
  EXPECT_EQ(writer->updates, 2);
  EXPECT_EQ(box->update_count_, 2);
}

TEST_F(ParticleTest, TheSeedDecidesThePaths) {
  auto run = [&](uint32_t seed) {
    ProcessRandom().Seed(seed);
    TOrvoParticle* emitter = MakeEmitter(PM_SNOW, 0.7L, 3, 12);
    SetParam(*emitter, 0, 0, 600, 10, 30, 40);
    for (int i = 0; i < 20; ++i) Frame(16);
    std::vector<TPoint> points = Positions(*emitter);
    stage_.DeleteObject(*emitter);
    return points;
  };
  EXPECT_EQ(run(9), run(9));
  EXPECT_NE(run(9), run(10));
}

TEST_F(ParticleTest, TwistersDrawLargerParticlesInFront) {
  TOrvoParticle* emitter = MakeEmitter(PM_TWISTER, 1, 200, 0.15L);
  SetParam(*emitter, 300, 470, 40, 0, 20, 0);
  for (int i = 0; i < 30; ++i) Frame(16);
  ASSERT_GT(emitter->ParticleCount(), 5);
  const auto& children = emitter->Children();
  for (size_t i = 1; i < children.size(); ++i) EXPECT_LE(children[i - 1]->Priority(), children[i]->Priority());
}

TEST_F(ParticleTest, FilmParticlesPlayTheirFilmByAge) {
  struct TCase {
    bool loop;
    int frames;
    std::vector<int32_t> shown;
    int32_t left;
  };
  const std::vector<TCase> cases = {
      {false, 8, {0, 1, 2, 3, 4, 5, 5}, 0},
      {true, 10, {0, 1, 2, 3, 4, 5, 0, 1, 2, 3}, 1},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.loop);
    std::vector<int32_t> shown;
    stage_.SetMotionLoader([&](TOrvoControl&, const std::string& file) -> std::unique_ptr<IMotionFilm> {
      if (file != "p.omt") return nullptr;
      auto film = std::make_unique<TFakeFilm>(6, 0, true);
      film->log = &shown;
      return film;
    });
    TOrvoParticle* emitter = MakeEmitter(PM_SNOW, 0.01L);
    emitter->SetParticleLoop(c.loop);
    Set(*emitter, PR_SOURCE, TPropValue::Str("p.omt"));
    SetParam(*emitter, 70, 80, 0, 0, 100000, 0);
    for (int i = 0; i < c.frames; ++i) Frame(16);
    EXPECT_EQ(shown, c.shown);
    EXPECT_EQ(emitter->ParticleCount(), c.left);
    stage_.DeleteObject(*emitter);
  }
}

TEST_F(ParticleTest, RecordsRoundTripAndOldLayoutsLoad) {
  files_.files["a.dov"] = DovaBytes({Plain(4, 4, 0xFFFFFF)});
  TOrvoParticle* emitter = MakeEmitter(PM_FLUFF, 0.25L, -1, 2);
  auto x = Expression("10 + 5");
  auto interval = Expression("40");
  emitter->SetExpressions(x.get(), nullptr, interval.get());
  Set(*emitter, PR_SOURCE, TPropValue::Str("a.dov"));
  Set(*emitter, PR_INDEX, TPropValue::Int(300));
  Set(*emitter, PR_DURATION, TPropValue::Int(5000));
  Set(*emitter, PR_ONIDLE, TPropValue::Str("idle"));
  for (int i = 0; i < 5; ++i) Frame(16);
  ASSERT_GT(emitter->ParticleCount(), 0);
  const std::string record = RecordOf(*emitter);
  auto* again = static_cast<TOrvoParticle*>(stage_.CreateByKind(kcParticle));
  ReadRecord(*again, record, 201);
  EXPECT_EQ(RecordOf(*again), record);
  EXPECT_EQ(again->State(), 0);
  EXPECT_EQ(again->Pictures().Count(), 1);
  again->SetParent(&stage_.ActiveScreen());
  Frame(16);
  ASSERT_GT(again->ParticleCount(), 0);

  std::string empty_parser;
  {
    TMemoryStream stream;
    TBinaryWriter writer(stream);
    TOrvoParser().SaveToStream(writer);
    empty_parser.assign(stream.Bytes().begin(), stream.Bytes().end());
  }
  auto* old = static_cast<TOrvoParticle*>(stage_.CreateByKind(kcParticle));
  ReadRecord(*old,
             OldControlRecord(103, "old", 0, 0, 100, 100) + empty_parser + empty_parser + empty_parser +
                 StringBytes("a.dov") + '\x02' + Ext80Bytes(1) + Ext80Bytes(1.05L) + Ext80Bytes(0.1L) + Int32Bytes(200),
             103);
  EXPECT_EQ(old->MotionType(), PM_STAR);
  EXPECT_EQ(old->Factors()[1], 1.05L);
  EXPECT_EQ(old->GetInt(PR_ALPHA), 200);
  EXPECT_EQ(old->GetInt(PR_INDEX), 0);
  EXPECT_EQ(old->Pictures().Count(), 1);
}

}  // namespace
}  // namespace orvo::test
