#include "stage/particle.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "base/numeric.h"
#include "base/random.h"
#include "stage/motion.h"
#include "stage/stage.h"
#include "vars/engine.h"

namespace orvo {

namespace {

constexpr long double kTwoPi = 2 * std::numbers::pi_v<long double>;
constexpr long double kRadiusLimit = 2147483647.0L;

// A uniformly random real in [0, 1) from the process's generator.
long double RandomReal() { return ProcessRandom().NextReal(); }

// 0 .. k - 1 from the process's generator; 0 for k <= 0 (the draw is made all the same).
int32_t RandomBelow(int32_t k) {
  const uint32_t value = ProcessRandom().NextInt(std::max(k, 0));
  return k > 0 ? static_cast<int32_t>(value) : 0;
}

int32_t Round(long double value) { return RealToIntSaturate<int32_t>(RoundHalfEven(value)); }
int32_t Trunc(long double value) { return RealToIntSaturate<int32_t>(value); }

}  // namespace

// ---- the motion-film source

bool TOrvoMotionParticle::Step(TOrvoParticleImages& particle, const TOrvoParticle& emitter) const {
  TOrvoMotion* motion = particle.Motion();
  if (!motion) return true;
  IMotionFilm& film = motion->Film();
  const int32_t elapsed = particle.Age();
  motion->SetElapsed(elapsed);
  if (elapsed == 0) film.SetBasePriority(particle.Priority());
  if (film.IsRelative()) {
    film.SetBasePoint(particle.Left(), particle.Top());
  } else {
    film.SetBasePoint(0, 0);
  }
  const int32_t count = film.FrameCount();
  // A film without frames has nothing to show: the particle ends.
  if (count <= 0) return true;
  int32_t frame = MotionFrameOf(elapsed);
  bool done = false;
  if (frame >= count) {
    if (repeat_) {
      int32_t start = film.RepeatStart();
      if (start < 0 || start >= count) start = 0;
      frame = start + frame % (count - start);
    } else {
      frame = count - 1;
      done = true;
    }
  }
  film.SeekFrame(frame);
  if (done) return true;
  // Judged on where the film put the particle on screen.
  const TRect r = particle.ObjectRect();
  const int64_t top = r.top, bottom = int64_t{r.top} + particle.Height();
  const int64_t right_edge = int64_t{r.left} + particle.Width();
  switch (particle.MotionType()) {
    case PM_SNOW:
      return top >= emitter.Height();
    case PM_TWISTER:
      return bottom < 0;
    case PM_FLUFF:
      if (particle.Factors()[1] >= 0) return r.left >= emitter.Width() || bottom < 0;
      return right_edge < 0 || bottom < 0;
    default:
      return false;
  }
}

// ---- one particle

TOrvoParticleImages::TOrvoParticleImages(TOrvoBaseList& stage, TOrvoParticle& emitter)
    : TOrvoCustomImages(stage), emitter_(emitter.Handle()) {}

TOrvoParticleImages::~TOrvoParticleImages() {
  if (TOrvoParticle* emitter = Emitter()) emitter->RemoveParticle(Handle());
}

TOrvoParticle* TOrvoParticleImages::Emitter() const {
  return static_cast<TOrvoParticle*>(Stage().ResolveControl(emitter_));
}

TOrvoImageList* TOrvoParticleImages::FrameList() {
  TOrvoParticle* emitter = Emitter();
  return emitter ? &emitter->Pictures() : nullptr;
}

void TOrvoParticleImages::Place(int32_t left, int32_t top) {
  SetProperty(PR_LEFT, TPropValue::Int(left));
  SetProperty(PR_TOP, TPropValue::Int(top));
}

void TOrvoParticleImages::Init() {
  SetProperty(PR_OFFSETX, TPropValue::Int(Width() / 2));
  SetProperty(PR_OFFSETY, TPropValue::Int(Height() / 2));
  long double& f1 = factors_[0];
  long double& f2 = factors_[1];
  long double& f3 = factors_[2];
  TOrvoParticle* emitter = Emitter();
  switch (motion_) {
    case PM_SNOW:
      base_x_ = Left();
      base_y_ = Top();
      sway_ = 0;
      spin_ = RandomReal() * 0.02L + 0.02L;
      if (f1 <= 0) f1 = 0.1L;
      if (f3 > f2) sway_ = RandomReal() * (f3 - f2);
      break;
    case PM_STAR: {
      base_x_ = Left();
      base_y_ = Top();
      angle_ = RandomReal() * std::numbers::pi_v<long double> * 2;
      radius_ = f1 + 0.1L;
      Place(Round(std::cos(angle_) * radius_) + base_x_, Round(std::sin(angle_) * radius_) + base_y_);
      const int32_t width = emitter ? emitter->Width() : 0;
      const int32_t height = emitter ? emitter->Height() : 0;
      const long double corner_x = base_x_ >= static_cast<long double>(width) / 2 ? 0 : width;
      const long double corner_y = base_y_ >= static_cast<long double>(height) / 2 ? 0 : height;
      max_radius_ = std::hypot(corner_x - base_x_, corner_y - base_y_);
      f3 = RandomReal() * (f3 * 0.3L) + f3 * 0.7L;
      break;
    }
    case PM_FLUFF:
      f2 = (f3 - f2) * RandomReal() + f2;
      pos_x_ = Left();
      base_y_ = Top();
      break;
    case PM_TWISTER:
      base_x_ = Left();
      acc_y_ = Top();
      sway_ = RandomReal() * (f2 / 2 * 0.05L) + f2 / 2 * 0.95L;
      radius_ = RandomReal() * (f3 * 0.5L) + f3 * 0.5L;
      break;
    default:
      break;
  }
}

void TOrvoParticleImages::Advance(int32_t n) {
  age_ = WrapAdd(age_, WrapMul(n, kParticleStepMs));
  const long double f1 = factors_[0], f2 = factors_[1], f3 = factors_[2];
  TOrvoParticle* emitter = Emitter();
  const int64_t area_width = emitter ? emitter->Width() : 0;
  const int64_t area_height = emitter ? emitter->Height() : 0;
  switch (motion_) {
    case PM_SNOW: {
      angle_ += n * spin_;
      SetProperty(PR_LEFT, TPropValue::Int(ClampToInt32(int64_t{Round(std::sin(angle_) * (f2 + sway_))} + base_x_)));
      acc_y_ += n * f1;
      if (acc_y_ >= 1) {
        const int32_t k = Trunc(acc_y_);
        SetProperty(PR_TOP, TPropValue::Int(ClampToInt32(int64_t{Top()} + k)));
        acc_y_ -= k;
      }
      if (!finished_ && LocalTop() >= area_height) finished_ = true;
      break;
    }
    case PM_STAR: {
      if (n > 1) radius_ *= std::pow(f2, static_cast<long double>(n - 1));
      // A radius that no longer fits (or is no number) ends the particle.
      if (!(radius_ >= -kRadiusLimit && radius_ <= kRadiusLimit)) {
        finished_ = true;
        break;
      }
      Place(ClampToInt32(int64_t{Round(std::cos(angle_) * radius_)} + base_x_),
            ClampToInt32(int64_t{Round(std::sin(angle_) * radius_)} + base_y_));
      radius_ *= f2;
      if (!finished_ && radius_ >= max_radius_) finished_ = true;
      angle_ += f3;
      break;
    }
    case PM_FLUFF: {
      pos_x_ += n * f2;
      SetProperty(PR_LEFT, TPropValue::Int(Trunc(pos_x_)));
      acc_y_ += n;
      SetProperty(PR_TOP, TPropValue::Int(ClampToInt32(int64_t{base_y_} - Trunc(f1 * acc_y_ * acc_y_))));
      if (!finished_) {
        const int64_t left = LocalLeft(), top = LocalTop();
        const bool above = top + Height() < 0;
        finished_ = f2 >= 0 ? (left >= area_width || above) : (left + Width() < 0 || above);
      }
      break;
    }
    case PM_TWISTER: {
      angle_ += n * radius_;
      if (angle_ > kTwoPi) angle_ -= kTwoPi;
      const long double g = std::fabs(std::cos(angle_ / 2)) * 0.5L + 0.5L;
      SetProperty(PR_FLOATZOOMX, TPropValue::Float(g));
      SetProperty(PR_FLOATZOOMY, TPropValue::Float(g));
      SetProperty(PR_LEFT, TPropValue::Int(ClampToInt32(int64_t{Trunc(g * std::sin(angle_) * sway_)} + base_x_)));
      acc_y_ -= f1;
      SetProperty(PR_TOP, TPropValue::Int(Trunc(acc_y_)));
      // Larger particles draw in front; the emitter re-sorts its children once
      // after the step, and only when a priority changed.
      const int32_t priority = Round((g - 0.5L) / 0.5L * 2000 - 1000);
      if (priority != Priority()) {
        TOrvoObject::SetPriority(priority);
        Invalidate();
        if (emitter) emitter->sort_pending_ = true;
      }
      if (!finished_ && int64_t{LocalTop()} + Height() < 0) finished_ = true;
      break;
    }
    default:
      finished_ = true;
      break;
  }
}

bool TOrvoParticleImages::Update() {
  const bool was_finished = finished_;
  bool result = was_finished;
  TOrvoParticle* emitter = Emitter();
  if (!was_finished && Motion() && emitter && emitter->MotionFilm()) {
    StepAfterimages();
    result = emitter->MotionFilm()->Step(*this, *emitter);
  } else if (!was_finished) {
    result = TOrvoCustomImage::Update();
  } else {
    StepAfterimages();
  }
  if (result && emitter) emitter->RemoveParticle(Handle());
  return result;
}

// ---- the emitter

TOrvoParticle::TOrvoParticle(TOrvoBaseList& stage) : TOrvoControl(stage), pictures_(stage.Pictures(), this) {}

TOrvoParticle::~TOrvoParticle() = default;

std::vector<TOrvoParticleImages*> TOrvoParticle::Particles() const {
  std::vector<TOrvoParticleImages*> list;
  list.reserve(particles_.size());
  for (TObjectHandle handle : particles_) {
    if (TOrvoControl* particle = Stage().ResolveControl(handle)) {
      list.push_back(static_cast<TOrvoParticleImages*>(particle));
    }
  }
  return list;
}

void TOrvoParticle::RemoveParticle(TObjectHandle particle) {
  auto it = std::find(particles_.begin(), particles_.end(), particle);
  if (it != particles_.end()) particles_.erase(it);
}

TOrvoParticleParam& TOrvoParticle::EmissionParam() {
  if (!param_) param_ = std::make_unique<TOrvoParticleParam>();
  return *param_;
}

bool TOrvoParticle::Loop() const {
  // Without a film track's word, particles of a script's emitter would drop
  // a one-frame picture as soon as its delay ran out: like old film tracks,
  // pictures repeat and motion films play once.
  return loop_.value_or(!IsMotionFileName(source_));
}

void TOrvoParticle::SetParticleLoop(bool loop) {
  loop_ = loop;
  if (motion_film_) motion_film_->SetRepeat(loop);
}

void TOrvoParticle::SetExpressions(const TOrvoParser* appear_x, const TOrvoParser* appear_y,
                                   const TOrvoParser* interval) {
  auto copy = [](const TOrvoParser* from) {
    std::unique_ptr<TOrvoParser> parser;
    if (from && !from->Empty()) {
      parser = std::make_unique<TOrvoParser>();
      parser->AssignFrom(*from);
    }
    return parser;
  };
  appear_x_ = copy(appear_x);
  appear_y_ = copy(appear_y);
  interval_ = copy(interval);
}

std::optional<int32_t> TOrvoParticle::Evaluate(const std::unique_ptr<TOrvoParser>& expression) const {
  TExprEngine* engine = Stage().Engine();
  if (!expression || !engine) return std::nullopt;
  expression->Execute(*engine);
  const TCustomParam* result = expression->Result();
  if (!result) return std::nullopt;
  return result->GetAsInt();
}

void TOrvoParticle::SetSource(const std::string& source) {
  if (source == source_) return;
  source_ = source;
  // The particles go at once, each leaving this emitter. The stage's update
  // pass keeps its place when objects before it are deleted, so a film track
  // writing the source during the pass neither skips nor repeats an object.
  while (!particles_.empty()) {
    const TObjectHandle handle = particles_.back();
    particles_.pop_back();
    if (TOrvoObject* particle = Stage().Resolve(handle)) Stage().DeleteObject(*particle);
  }
  pictures_.Clear();
  motion_film_.reset();
  if (IsPictureFileName(source)) {
    pictures_.LoadFrames(source, false);
  } else if (IsMotionFileName(source)) {
    motion_film_ = std::make_unique<TOrvoMotionParticle>(source, Loop());
  }
  state_ = 0;
}

std::string TOrvoParticle::NextParticleName() {
  // The stage's UniqueName searches from 0 every time, which grows with the
  // square of the particles alive; a running number finds a free name at once.
  const std::string prefix = std::string("\x01") + Name() + "\x01";
  for (;;) {
    std::string name = prefix + std::to_string(next_name_++);
    if (!Stage().NameInUse(name)) return name;
  }
}

void TOrvoParticle::CreateParticle(int32_t x, int32_t y, int32_t rest) {
  TOrvoBaseList& stage = Stage();
  auto made = std::make_unique<TOrvoParticleImages>(stage, *this);
  TOrvoParticleImages& particle = *made;
  stage.Adopt(std::move(made));
  particle.TakeName(NextParticleName());
  particle.SetProperty(PR_IGNOREMOUSE, TPropValue::Int(IM_ALL));
  particles_.push_back(particle.Handle());
  particle.motion_ = motion_;
  AttachChildInOrder(&particle);
  particle.repeat_ = Loop();
  particle.Place(x, y);
  particle.SetProperty(PR_ALPHA, TPropValue::Int(alpha_));
  particle.factors_ = factors_;
  if (pictures_.Count() > 0) particle.SetIndex(0);
  if (motion_film_) particle.LoadMotion(motion_film_->File());
  particle.Init();
  if (rest > 0) {
    const int32_t steps = rest / kParticleStepMs;
    if (steps > 0) particle.Advance(steps);
  }
}

void TOrvoParticle::Emit(int32_t n, bool emitting) {
  if (emitting) countdown_ = ClampToInt32(int64_t{countdown_} - int64_t{n} * kParticleStepMs);
  if (n > 0) {
    // From the last to the first; a particle's step may not delete others,
    // but the list is read by handle all the same.
    const std::vector<TObjectHandle> snapshot = particles_;
    for (size_t i = snapshot.size(); i-- > 0;) {
      if (TOrvoControl* particle = Stage().ResolveControl(snapshot[i])) {
        static_cast<TOrvoParticleImages*>(particle)->Advance(n);
      }
    }
  }
  if (emitting && motion_ != PM_NONE) {
    int64_t rest = int64_t{n} * kParticleStepMs;
    while (countdown_ <= 0) {
      int32_t x = 0, y = 0;
      if (param_) {
        x = ClampToInt32(int64_t{param_->XBase} + RandomBelow(param_->XRange));
        y = ClampToInt32(int64_t{param_->YBase} + RandomBelow(param_->YRange));
        const int32_t d =
            std::max<int32_t>(ClampToInt32(int64_t{param_->IntervalBase} + RandomBelow(param_->IntervalRange)), 2);
        countdown_ = ClampToInt32(int64_t{countdown_} + d);
        rest -= d;
      } else {
        if (std::optional<int32_t> interval = Evaluate(interval_)) {
          const int32_t d = std::max(*interval, 2);
          countdown_ = ClampToInt32(int64_t{countdown_} + d);
          rest -= d;
        } else {
          countdown_ = kParticleStepMs;
          rest -= kParticleStepMs;
        }
        x = Evaluate(appear_x_).value_or(0);
        y = Evaluate(appear_y_).value_or(0);
      }
      // At the cap the countdown runs on without new particles.
      if (static_cast<int32_t>(particles_.size()) < kMaxLiveParticles) {
        CreateParticle(x, y, static_cast<int32_t>(std::clamp<int64_t>(rest, 0, INT32_MAX)));
      }
    }
  }
  if (sort_pending_) {
    sort_pending_ = false;
    SortChildren();
  }
}

bool TOrvoParticle::Update() {
  const bool finished = TOrvoControl::Update();
  if (AniPaused()) return finished;
  const int32_t delta = std::max(Stage().FrameDelta(), 0);
  switch (state_) {
    case 0: {
      state_ = 1;
      countdown_ = 0;
      const int32_t t = std::clamp(pre_run_, 0, kMaxParticlePreRun);
      time_acc_ = t % kParticleStepMs;
      Emit(t / kParticleStepMs, true);
      break;
    }
    case 1: {
      const int32_t t = WrapAdd(time_acc_, delta);
      time_acc_ = t % kParticleStepMs;
      Emit(t / kParticleStepMs, true);
      if (duration_ > 0) {
        duration_ = WrapSub(duration_, delta);
        if (duration_ <= 0) state_ = 2;
      }
      break;
    }
    default:
      if (particles_.empty()) return true;
      time_acc_ = WrapAdd(time_acc_, delta);
      Emit(time_acc_ / kParticleStepMs, false);
      time_acc_ %= kParticleStepMs;
      break;
  }
  return finished;
}

TPropValue TOrvoParticle::GetProperty(int32_t id) const {
  switch (id) {
    case PR_SOURCE:
      return TPropValue::Str(source_);
    case PR_PARTMOTION:
      return TPropValue::Int(motion_);
    case PR_PARAM1:
    case PR_PARAM2:
    case PR_PARAM3:
      return TPropValue::Float(factors_[id == PR_PARAM1 ? 0 : id == PR_PARAM2 ? 1 : 2]);
    case PR_ALPHA:
      return TPropValue::Int(alpha_);
    case PR_INDEX:
      return TPropValue::Int(pre_run_);
    case PR_DURATION:
      return TPropValue::Int(duration_);
    case PR_PAUSED:
      return TPropValue::Bool(paused_);
    case PR_PLAYING:
      if (Motion() && Motion()->Finished()) return TPropValue::Bool(false);
      return TPropValue::Bool(!paused_ && !AniPaused());
    default:
      return TOrvoControl::GetProperty(id);
  }
}

void TOrvoParticle::SetProperty(int32_t id, const TPropValue& value) {
  switch (id) {
    case PR_SOURCE:
      SetSource(value.AsStr());
      break;
    case PR_PARTMOTION: {
      const auto motion = static_cast<uint8_t>(value.AsInt());
      if (motion != motion_) {
        motion_ = motion;
        state_ = 0;
      }
      break;
    }
    case PR_PARAM1:
    case PR_PARAM2:
    case PR_PARAM3:
      factors_[id == PR_PARAM1 ? 0 : id == PR_PARAM2 ? 1 : 2] = value.AsFloat();
      break;
    case PR_ALPHA:
      if (value.AsInt() != alpha_) {
        alpha_ = value.AsInt();
        Invalidate();
      }
      break;
    case PR_INDEX:
      pre_run_ = value.AsInt();
      break;
    case PR_DURATION:
      duration_ = value.AsInt();
      break;
    case PR_PAUSED:
      paused_ = value.AsBool();
      break;
    default:
      TOrvoControl::SetProperty(id, value);
      break;
  }
}

void TOrvoParticle::WriteState(TBinaryWriter& writer) const {
  TOrvoControl::WriteState(writer);
  for (const auto* expression : {&appear_x_, &appear_y_, &interval_}) {
    if (*expression) {
      (*expression)->SaveToStream(writer);
    } else {
      TOrvoParser().SaveToStream(writer);
    }
  }
  writer.WriteString(source_);
  writer.WriteByte(motion_);
  for (long double factor : factors_) writer.WriteExt80(factor);
  writer.WriteInt32(alpha_);
  writer.WriteInt32(pre_run_);
  writer.WriteString(Handler(THandler::Idle));
  writer.WriteBool(paused_);
  writer.WriteInt32(duration_);
}

void TOrvoParticle::ReadState(TBinaryReader& reader, int32_t version) {
  TOrvoControl::ReadState(reader, version);
  for (auto* expression : {&appear_x_, &appear_y_, &interval_}) {
    auto parser = std::make_unique<TOrvoParser>();
    parser->LoadFromStream(reader);
    if (parser->Empty()) {
      expression->reset();
    } else {
      *expression = std::move(parser);
    }
  }
  SetSource(reader.ReadString());
  motion_ = reader.ReadByte();
  for (long double& factor : factors_) factor = reader.ReadExt80();
  alpha_ = reader.ReadInt32();
  if (version > 103) {
    pre_run_ = reader.ReadInt32();
    SetHandler(THandler::Idle, reader.ReadString());
    paused_ = reader.ReadBool();
    duration_ = reader.ReadInt32();
  }
  state_ = 0;
  time_acc_ = 0;
  countdown_ = 0;
}

}  // namespace orvo
