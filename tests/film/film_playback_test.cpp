// Films on a headless stage: track objects, the main and the nested stage,
// screens around wipe tracks, the film object's clock and its save record,
// motion films and the kinds that other parts of the player supply.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/stream.h"
#include "film/cinema.h"
#include "film/film.h"
#include "film/film_image.h"
#include "stage/box.h"
#include "stage/images.h"
#include "stage/orvo_base.h"
#include "stage/particle_param.h"
#include "stage/picture_fixture.h"
#include "stage/stage.h"
#include "support/film_writer.h"

namespace orvo {
namespace {

using test::TWriterFilm;
using test::TWriterTrack;

TWriterTrack BoxTrack(int32_t start, int32_t length, int32_t x, int32_t colour) {
  TWriterTrack box;
  box.type = 2;
  box.start = start;
  box.length = length;
  box.x0 = box.x1 = x;
  box.y0 = box.y1 = 4;
  box.size = {8, 8, 8, 8};
  box.fill0 = box.fill1 = colour;
  return box;
}

TWriterTrack ImageTrack(int32_t start, int32_t length, const std::string& path) {
  TWriterTrack image;
  image.type = 0;
  image.start = start;
  image.length = length;
  image.path = path;
  return image;
}

class FilmPlayback : public test::PictureTest {
 public:
  FilmPlayback() {
    RegisterFilmKinds(stage_);
    files_.files["red.dov"] = test::DovaBytes({test::Plain(4, 4, 0x0000FF)});
  }
  void AddFilm(const std::string& name, const TWriterFilm& film) { files_.files[name] = test::WriteFilmBytes(film); }
  TOrvoCinema* Cinema(const std::string& source, const std::string& name = "cine") {
    auto* cinema = static_cast<TOrvoCinema*>(Make(kcCinema, name));
    cinema->SetProperty(PR_SOURCE, TPropValue::Str(source));
    return cinema;
  }
  // Objects whose names begin with the byte 0x01.
  std::vector<TOrvoObject*> FilmObjects() const {
    std::vector<TOrvoObject*> found;
    for (TOrvoObject* object : stage_.Objects()) {
      if (object->HasSystemName()) found.push_back(object);
    }
    return found;
  }
};

TEST_F(FilmPlayback, MainStageObjectsAreChildrenOfTheFilmObject) {
  TWriterFilm film;
  film.width = 32, film.height = 24;
  film.tracks = {BoxTrack(0, 10, 2, 0x00FF00), ImageTrack(0, 10, "red.dov")};
  film.tracks[1].x0 = film.tracks[1].x1 = 20;
  AddFilm("op.ocn", film);
  TOrvoCinema* cinema = Cinema("op.ocn");
  Frame();
  ASSERT_FALSE(cinema->PlaysNested());
  EXPECT_EQ(cinema->Width(), 32);
  const std::vector<TOrvoObject*> objects = FilmObjects();
  ASSERT_EQ(objects.size(), 2u);
  for (TOrvoObject* object : objects) {
    EXPECT_EQ(object->AsControl()->Parent(), cinema);
    EXPECT_EQ(object->Name().rfind("\x01"
                                   "cine\x01",
                                   0),
              0u)
        << object->Name();
    EXPECT_FALSE(object->IsSaved());
  }
  EXPECT_EQ(Pixel(5, 7), 0x00FF00);
  EXPECT_EQ(Pixel(21, 1), 0x0000FF);
  // The film's objects are never hit: the film object itself is.
  EXPECT_EQ(cinema->HitTest(5, 7, kHitLeftClick), cinema);
}

TEST_F(FilmPlayback, AFilmWithAColourPlaysOnTheNestedStage) {
  TWriterFilm film;
  film.width = 60, film.height = 40;
  film.color = 0;
  film.tracks = {BoxTrack(0, 10, 2, 0x00FF00)};
  AddFilm("op.ocn", film);
  stage_.ActiveScreen().SetProperty(PR_COLOR, TPropValue::Int(0xFFFFFF));
  TOrvoCinema* cinema = Cinema("op.ocn");
  cinema->SetProperty(PR_LEFT, TPropValue::Int(2));
  Frame();
  ASSERT_TRUE(cinema->PlaysNested());
  EXPECT_TRUE(FilmObjects().empty());  // on the nested stage
  EXPECT_EQ(Pixel(4 + 3, 7), 0x00FF00);
  EXPECT_EQ(Pixel(2 + 20, 20), 0x000000);  // the film's black background
  EXPECT_EQ(Pixel(63, 45), 0xFFFFFF);      // outside the film object
  // Two areas far apart repaint in one frame: the film shows in both.
  for (const char* name : {"left", "right"}) {
    TOrvoControl* cover = Make(kcBox, name);
    cover->SetBoundsRect(name[0] == 'l' ? 5 : 50, name[0] == 'l' ? 5 : 30, 4, 4);
    cover->SetProperty(PR_COLOR, TPropValue::Int(0xFF00FF));
  }
  Frame();
  EXPECT_EQ(Pixel(6, 6), 0xFF00FF);
  stage_.DeleteObject(*stage_.FindComponent("left"));
  stage_.DeleteObject(*stage_.FindComponent("right"));
  Frame();
  EXPECT_EQ(stage_.DisplaySurface().GetPixel(6, 6), stage_.DisplaySurface().ColorToPixel(0x00FF00));
  EXPECT_EQ(stage_.DisplaySurface().GetPixel(51, 31), stage_.DisplaySurface().ColorToPixel(0x000000));
}

TEST_F(FilmPlayback, ScreensAroundAWipeTrack) {
  TWriterFilm film;
  film.width = 64, film.height = 48;
  TWriterTrack wipe;
  wipe.type = 3, wipe.start = 10, wipe.length = 30, wipe.wipe_kind = 1;
  TWriterTrack other = BoxTrack(38, 5, 0, 0xFF0000);
  other.other_screen = true;
  film.tracks = {wipe, BoxTrack(38, 5, 0, 0xFF0000), BoxTrack(39, 5, 10, 0x00FF00), other};
  TFilmManager player;
  player.SetFilmStage(&stage_);
  ASSERT_EQ(player.LoadFilm(test::WriteFilmBytes(film), "op.ocn"), TFilmLoad::Loaded);
  player.SeekFrame(5);
  EXPECT_FALSE(stage_.WipeRunning());
  player.SeekFrame(10);
  ASSERT_TRUE(stage_.WipeRunning());
  EXPECT_EQ(stage_.Wipe()->Elapsed(), 0);
  EXPECT_EQ(stage_.Wipe()->Duration(), 30);
  player.SeekFrame(39);
  EXPECT_EQ(stage_.Wipe()->Elapsed(), 29);
  EXPECT_EQ(stage_.ActiveScreenIndex(), 0);
  const auto screen_of = [&](int track) { return player.Track(track)->TrackObject()->AsControl()->Parent(); };
  EXPECT_EQ(screen_of(1), &stage_.Screen(0));  // starts on frame 38: the old screen
  EXPECT_EQ(screen_of(2), &stage_.Screen(1));  // starts on the wipe's last frame: the new one
  EXPECT_EQ(screen_of(3), &stage_.Screen(1));  // OtherScreen
  player.SeekFrame(40);
  EXPECT_FALSE(stage_.WipeRunning());
  EXPECT_EQ(stage_.ActiveScreenIndex(), 1);
  // Back before the wipe: the first screen again.
  player.SeekFrame(0);
  EXPECT_EQ(stage_.ActiveScreenIndex(), 0);
  EXPECT_EQ(player.Track(1)->TrackObject(), nullptr);
}

TEST_F(FilmPlayback, PlayEndOnceAutoScrapAndIndex) {
  TWriterFilm film;
  film.tracks = {BoxTrack(0, 4, 0, 0x00FF00)};
  AddFilm("short.ocn", film);
  TOrvoCinema* cinema = Cinema("short.ocn");
  cinema->SetProperty(PR_ONPLAYEND, TPropValue::Str("page:end"));
  for (int i = 0; i < 20; ++i) Frame(16);
  EXPECT_TRUE(cinema->Ended());
  EXPECT_EQ(cinema->GetInt(PR_INDEX), 3);
  EXPECT_EQ(TakeEvents().size(), 1u);
  // PR_INDEX restarts the clock at that frame, shown by the next update.
  cinema->SetProperty(PR_INDEX, TPropValue::Int(3));
  EXPECT_EQ(cinema->Elapsed(), 50);
  cinema->SetProperty(PR_INDEX, TPropValue::Int(1));
  Frame(16);
  EXPECT_EQ(cinema->GetInt(PR_INDEX), 1);
  // A huge index saturates.
  cinema->SetProperty(PR_INDEX, TPropValue::Int(INT32_MAX));
  EXPECT_EQ(cinema->Elapsed(), INT32_MAX);
  cinema->SetProperty(PR_ONPLAYEND, TPropValue::Str(""));

  TOrvoCinema* scrapped = Cinema("short.ocn", "gone");
  scrapped->SetProperty(PR_AUTOSCRAP, TPropValue::Bool(true));
  scrapped->SetProperty(PR_ONPLAYEND, TPropValue::Str("page:end"));
  TakeEvents();
  for (int i = 0; i < 20; ++i) Frame(16);
  EXPECT_EQ(stage_.FindComponent("gone"), nullptr);
  EXPECT_TRUE(TakeEvents().empty());
}

TEST_F(FilmPlayback, RepeatReturnsToTheLoopStart) {
  TWriterFilm film;
  film.loop_start = 40;
  film.tracks = {BoxTrack(0, 100, 0, 0x00FF00)};
  AddFilm("loop.ocn", film);
  TOrvoCinema* cinema = Cinema("loop.ocn");
  cinema->SetProperty(PR_REPEAT, TPropValue::Bool(true));
  Frame(16);
  Frame(16);
  cinema->SetProperty(PR_INDEX, TPropValue::Int(130));
  Frame(16);
  EXPECT_EQ(cinema->GetInt(PR_INDEX), 70);
  EXPECT_EQ(cinema->Elapsed(), 1167);
}

TEST_F(FilmPlayback, ManyTrackObjectsVanishDuringTheUpdatePass) {
  TWriterFilm film;
  for (int i = 0; i < 40; ++i) film.tracks.push_back(BoxTrack(i % 3, 1 + i % 4, i, 0x00FF00));
  AddFilm("many.ocn", film);
  for (int i = 0; i < 3; ++i)
    Cinema("many.ocn", "c" + std::to_string(i))->SetProperty(PR_AUTOSCRAP, TPropValue::Bool(true));
  // Objects made after the films: the pass goes on over a shrinking list.
  for (int i = 0; i < 5; ++i) Make(kcBox, "after" + std::to_string(i));
  for (int i = 0; i < 12; ++i) Frame(16);
  EXPECT_TRUE(FilmObjects().empty());
  EXPECT_NE(stage_.FindComponent("after4"), nullptr);
}

TEST_F(FilmPlayback, ASavedFilmLoadsToTheSamePixels) {
  TWriterFilm film;
  film.width = 40, film.height = 30;
  TWriterTrack moving = BoxTrack(0, 60, 0, 0x00FF00);
  moving.x1 = 30;
  film.tracks = {moving, ImageTrack(5, 60, "red.dov")};
  film.tracks[1].x0 = 0, film.tracks[1].x1 = 35;
  AddFilm("save.ocn", film);
  Cinema("save.ocn");
  for (int i = 0; i < 20; ++i) Frame(16);
  TMemoryStream stream;
  TBinaryWriter writer(stream);
  stage_.WriteState(writer);
  std::vector<int32_t> before;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) before.push_back(Pixel(x, y));
  // Both tracks show, mid-way.
  EXPECT_NE(std::find(before.begin(), before.end(), 0x00FF00), before.end());
  EXPECT_NE(std::find(before.begin(), before.end(), 0x0000FF), before.end());

  TRuntimeState state;
  state.frame_delta = 16;
  TOrvoBaseList loaded(state);
  RegisterFilmKinds(loaded);
  loaded.Pictures().SetFiles(&files_);
  stream.SetPosition(0);
  TBinaryReader reader(stream);
  loaded.ReadState(reader, 140);
  loaded.UpdateAll();
  loaded.UpdateAll();
  loaded.PaintAll();
  std::vector<int32_t> after;
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 40; ++x) {
      const uint32_t p = loaded.DisplaySurface().GetPixel(x, y);
      after.push_back(static_cast<int32_t>(((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF)));
    }
  }
  EXPECT_EQ(before, after);
}

TEST_F(FilmPlayback, MotionFilmsMoveTheirTarget) {
  TWriterFilm film;
  film.magic = "OrvoMotion";
  film.version = 111;
  TWriterTrack image = ImageTrack(0, 10, "red.dov");
  image.x0 = 0, image.x1 = 90;
  image.priority = 5;
  film.tracks = {image};
  AddFilm("walk.omt", film);
  TWriterFilm boxes = film;
  TWriterTrack box = BoxTrack(0, 10, 0, 0x00FF00);
  box.x1 = 90;
  box.priority = 3;
  boxes.tracks = {box};
  AddFilm("slide.omt", boxes);

  TOrvoControl* picture = Make(kcImages, "walker");
  picture->SetProperty(PR_LEFT, TPropValue::Int(7));
  picture->SetProperty(PR_PRIORITY, TPropValue::Int(2));
  picture->SetProperty(PR_SOURCE, TPropValue::Str("walk.omt"));
  ASSERT_NE(picture->Motion(), nullptr);
  for (int i = 0; i < 5; ++i) Frame(16);
  EXPECT_GT(picture->MotionX(), 0);
  EXPECT_EQ(picture->PriorityBias(), 5);
  EXPECT_EQ(picture->Left(), 7);
  EXPECT_EQ(picture->Priority(), 2);
  EXPECT_EQ(picture->Width(), 4);

  TOrvoControl* panel = Make(kcBox, "panel");
  panel->SetProperty(PR_PRIORITY, TPropValue::Int(10));
  panel->SetProperty(PR_SOURCE, TPropValue::Str("slide.omt"));
  for (int i = 0; i < 5; ++i) Frame(16);
  EXPECT_EQ(panel->Priority(), 13);
  EXPECT_GT(panel->MotionX(), 0);
  EXPECT_EQ(panel->Width(), 8);
}

// A particle kind as the effects part will supply it: only the interface.
class TFakeParticle : public TOrvoControl, public IParticleEmission {
 public:
  explicit TFakeParticle(TOrvoBaseList& stage) : TOrvoControl(stage) {}
  uint8_t CompoType() const override { return kcParticle; }
  TOrvoParticleParam& EmissionParam() override {
    if (!param) param = std::make_unique<TOrvoParticleParam>();
    return *param;
  }
  void SetParticleLoop(bool value) override { loop = value; }
  void SetProperty(int32_t id, const TPropValue& value) override {
    if (id == PR_SOURCE) source = value.AsStr();
    if (id == PR_INDEX) pre_run = value.AsInt();
    TOrvoControl::SetProperty(id, value);
  }
  TPropValue GetProperty(int32_t id) const override {
    if (id == PR_SOURCE) return TPropValue::Str(source);
    return TOrvoControl::GetProperty(id);
  }
  std::unique_ptr<TOrvoParticleParam> param;
  bool loop = false;
  std::string source;
  int32_t pre_run = 0;
};

TEST_F(FilmPlayback, ParticleTracksDriveTheChainRootsEmitter) {
  TWriterFilm film;
  film.version = 111;
  TWriterTrack first;
  first.type = 6;
  first.length = 10;
  first.path = "spark.png";
  first.pre_run = 9;
  first.interval0 = first.interval1 = 100;
  first.spread0 = first.spread1 = 31;
  first.emit = {5, 6, 5, 6};
  first.range = {10, 20, 10, 20};
  TWriterTrack second = first;
  second.parent = 0;
  second.emit = {50, 60, 50, 60};
  film.tracks = {first, second};
  TFilmManager player;
  player.SetFilmStage(&stage_);
  ASSERT_EQ(player.LoadFilm(test::WriteFilmBytes(film), "fx\\p.ocn"), TFilmLoad::Loaded);
  // A kind the stage cannot make shows nothing, and nothing fails.
  stage_.RegisterKind(kcParticle, [](TOrvoBaseList&) { return std::unique_ptr<TOrvoObject>(); });
  player.SeekFrame(3);
  EXPECT_EQ(player.Track(0)->TrackObject(), nullptr);
  stage_.RegisterKind(kcParticle, [](TOrvoBaseList& s) { return std::make_unique<TFakeParticle>(s); });
  player.SeekFrame(4);
  auto* emitter = dynamic_cast<TFakeParticle*>(player.Track(0)->TrackObject());
  ASSERT_NE(emitter, nullptr);
  ASSERT_NE(emitter->param, nullptr);
  EXPECT_EQ(emitter->source, "fx\\spark.png");
  EXPECT_EQ(emitter->pre_run, 9);
  EXPECT_TRUE(emitter->loop);
  EXPECT_EQ(emitter->param->XBase, 5);
  EXPECT_EQ(emitter->param->YRange, 20);
  EXPECT_EQ(emitter->param->IntervalBase, 100 - 15);
  EXPECT_EQ(emitter->param->IntervalRange, 31);
  // The follower uses the same object, starting from its parent's end values.
  player.SeekFrame(15);
  EXPECT_EQ(player.Track(0)->TrackObject(), emitter);
  EXPECT_EQ(player.Track(1)->TrackObject(), nullptr);
  EXPECT_GT(emitter->param->XBase, 5);
  // Past the chain's span the object goes.
  player.SeekFrame(25);
  EXPECT_EQ(player.Track(0)->TrackObject(), nullptr);
}

// A sound kind that records what the film asks of it.
class TFakeSound : public TOrvoComponent {
 public:
  explicit TFakeSound(TOrvoBaseList& stage) : TOrvoComponent(stage) {}
  uint8_t CompoType() const override { return kcSound; }
  TPropValue GetProperty(int32_t id) const override {
    switch (id) {
      case PR_PAUSED:
        return TPropValue::Bool(paused);
      case PR_INDEX:
        return TPropValue::Int(position);
      case PR_COUNT:
        return TPropValue::Int(length);
      case PR_VOLUME:
        return TPropValue::Int(volume);
      default:
        return TOrvoComponent::GetProperty(id);
    }
  }
  void SetProperty(int32_t id, const TPropValue& value) override {
    if (id == PR_PAUSED) paused = value.AsBool();
    if (id == PR_INDEX) position = value.AsInt(), ++moves;
    if (id == PR_VOLUME) volume = value.AsInt();
    if (id == PR_REPEAT) repeat = value.AsBool();
  }
  void RestartMedia() override {
    paused = false;
    position = 0;
    ++restarts;
  }
  bool paused = false, repeat = false;
  int32_t position = 0, length = 100000, volume = 0, moves = 0, restarts = 0;
};

TEST_F(FilmPlayback, SoundTracksRestartAndDrift) {
  stage_.RegisterKind(kcSound, [](TOrvoBaseList& s) { return std::make_unique<TFakeSound>(s); });
  TWriterFilm film;
  TWriterTrack sound;
  sound.type = 4;
  sound.length = 600;
  sound.path = "bgm.wav";
  sound.volume0 = sound.volume1 = 2000000;
  film.tracks = {sound, BoxTrack(0, 700, 0, 0)};
  TFilmManager player;
  player.SetFilmStage(&stage_);
  player.master_volume = 2000;
  ASSERT_EQ(player.LoadFilm(test::WriteFilmBytes(film), "op.ocn"), TFilmLoad::Loaded);
  player.ApplyFilmSettings();
  auto* bgm = dynamic_cast<TFakeSound*>(player.Track(0)->TrackObject());
  ASSERT_NE(bgm, nullptr);
  EXPECT_TRUE(bgm->paused);
  EXPECT_EQ(bgm->volume, 4000000);  // no 32-bit overflow on the way
  EXPECT_FALSE(bgm->repeat);        // the sound is longer than its track
  player.SeekFrame(0);
  EXPECT_EQ(bgm->restarts, 1);
  // Frame 300 expects 5000 ms: 2999 ms off is left alone, 3000 ms is moved.
  bgm->position = 5000 - 2999;
  player.SeekFrame(300);
  EXPECT_EQ(bgm->moves, 0);
  bgm->position = 5000 - 3000;
  player.SeekFrame(301);
  EXPECT_EQ(bgm->moves, 1);
  EXPECT_EQ(bgm->position, 5016);
  // Seeking back pauses, then restarts.
  player.SeekFrame(10);
  EXPECT_EQ(bgm->restarts, 2);
  player.SeekFrame(650);
  EXPECT_TRUE(bgm->paused);
}

// A kind that records the properties a film sets on it (labels and fire come
// from other parts of the player).
class TRecordingKind : public TOrvoControl {
 public:
  TRecordingKind(TOrvoBaseList& stage, uint8_t code) : TOrvoControl(stage), code_(code) {}
  uint8_t CompoType() const override { return code_; }
  void SetProperty(int32_t id, const TPropValue& value) override {
    values[id] = value.Type() == TPropType::Str ? value.AsStr() : std::to_string(value.AsInt());
    TOrvoControl::SetProperty(id, value);
  }
  std::map<int32_t, std::string> values;

 private:
  uint8_t code_;
};

TEST_F(FilmPlayback, LabelFireAndTileTracksSetTheirObjectsProperties) {
  for (uint8_t code : {kcLabel, kcFire}) {
    stage_.RegisterKind(code, [code](TOrvoBaseList& s) { return std::make_unique<TRecordingKind>(s, code); });
  }
  files_.files["tile.dov"] = test::DovaBytes({test::Plain(4, 4, 0x00FF00)});
  TWriterFilm film;
  TWriterTrack label;
  label.type = 1, label.length = 10, label.text = "hi", label.font_size = 20, label.x0 = label.x1 = 7;
  TWriterTrack fire;
  fire.type = 7, fire.length = 10, fire.power = 60, fire.x0 = fire.x1 = 3;
  TWriterTrack tile;
  tile.type = 5, tile.length = 10, tile.path = "tile.dov", tile.size = {0, 0, 0, 0};
  tile.scroll = {0, 0, 9, 18}, tile.distance_x = 2;
  film.tracks = {label, fire, tile};
  TFilmManager player;
  player.SetFilmStage(&stage_);
  ASSERT_EQ(player.LoadFilm(test::WriteFilmBytes(film), "op.ocn"), TFilmLoad::Loaded);
  player.SeekFrame(9);
  auto* text = dynamic_cast<TRecordingKind*>(player.Track(0)->TrackObject());
  auto* flame = dynamic_cast<TRecordingKind*>(player.Track(1)->TrackObject());
  auto* tiles = dynamic_cast<TOrvoTile*>(player.Track(2)->TrackObject());
  ASSERT_TRUE(text && flame && tiles);
  struct TCase {
    TRecordingKind* object;
    int32_t id;
    std::string value;
  };
  const TCase cases[] = {
      {text, PR_TEXT, "hi"},
      {text, PR_FONTHEIGHT, "20"},
      {text, PR_FONTNAME, "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e"},
      {text, PR_LEFT, "7"},
      {flame, PR_POWER, "60"},
      {flame, PR_ORIGHEIGHT, "100"},
      {flame, PR_LEFT, "3"},
  };
  for (const TCase& c : cases) EXPECT_EQ(c.object->values[c.id], c.value) << c.id;
  // A tile's sizes of 0 become its picture's; its scroll ends at the end values.
  EXPECT_EQ(tiles->Width(), 4);
  EXPECT_EQ(tiles->ScrollY(), 18);
  EXPECT_EQ(tiles->DistanceX(), 2);
  EXPECT_EQ(Pixel(1, 1), 0x00FF00);
}

TEST_F(FilmPlayback, PauseCountPlayingAndEmptyFilms) {
  TWriterFilm film;
  film.tracks = {BoxTrack(0, 30, 0, 0x00FF00)};
  AddFilm("op.ocn", film);
  files_.files["empty.ocn"] = "OrvoPicture112";
  TOrvoCinema* cinema = Cinema("op.ocn");
  EXPECT_EQ(cinema->GetInt(PR_COUNT), 30);
  for (int i = 0; i < 4; ++i) Frame(16);
  EXPECT_TRUE(cinema->GetBool(PR_PLAYING));
  const int32_t elapsed = cinema->Elapsed();
  cinema->SetProperty(PR_PAUSED, TPropValue::Bool(true));
  for (int i = 0; i < 4; ++i) Frame(16);
  EXPECT_EQ(cinema->Elapsed(), elapsed);
  EXPECT_FALSE(cinema->GetBool(PR_PLAYING));
  cinema->SetProperty(PR_PAUSED, TPropValue::Bool(false));
  cinema->SetProperty(PR_ANIPAUSED, TPropValue::Bool(true));
  Frame(16);
  EXPECT_EQ(cinema->Elapsed(), elapsed);
  // A film without the magic is the empty film: it ends at the first update.
  TOrvoCinema* empty = Cinema("empty.ocn", "empty");
  empty->SetProperty(PR_ONPLAYEND, TPropValue::Str("page:end"));
  Frame(16);
  EXPECT_TRUE(empty->Ended());
  EXPECT_EQ(empty->GetInt(PR_COUNT), 0);
  EXPECT_EQ(TakeEvents().size(), 1u);
  // A missing file leaves no film at all.
  TOrvoCinema* missing = Cinema("none.ocn", "missing");
  Frame(16);
  EXPECT_EQ(missing->Film(), nullptr);
  EXPECT_FALSE(missing->Ended());
}

}  // namespace
}  // namespace orvo
