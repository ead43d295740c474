// A film object on a stage with the player's own kinds: its label, particle
// and fire tracks make a real label, emitter and fire, which show what the
// film asks of them.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "film/cinema.h"
#include "film/film.h"
#include "stage/fire.h"
#include "stage/label.h"
#include "stage/particle.h"
#include "stage/picture_fixture.h"
#include "support/film_writer.h"
#include "surface/font_fixture.h"

namespace orvo {
namespace {

using test::TWriterFilm;
using test::TWriterTrack;

constexpr int32_t kWhite = 0xFFFFFF;

// A stage with the film kind and a pixel font "Pix" whose printable letters
// are solid 8 x 8 blocks.
class FilmEffects : public test::PictureTest {
 public:
  FilmEffects() : system_({}), glyphs_(&system_, pixel_fonts_) {
    RegisterFilmKinds(stage_);
    TPixelFontHeader header = test::FontHeader("Pix", 10);
    header.ascent = 8;
    std::vector<TPixelGlyphSource> sources;
    for (int code = 0x21; code < 0x7F; ++code) {
      TPixelGlyphSource glyph{static_cast<uint16_t>(code), 8, 8, 0, 8, 10, {}};
      glyph.rows.assign(64, 255);
      sources.push_back(glyph);
    }
    EXPECT_NE(pixel_fonts_.AddFontFile(test::WriteFont(EncodePixelFont(header, sources), "pix.oft")), nullptr);
    stage_.SetGlyphs(&glyphs_);
    files_.files["spark.dov"] = test::DovaBytes({test::Plain(2, 2, 0x00FF00)});
  }

  // A film of a label, a particle and a fire track, each 600 frames long.
  static TWriterFilm EffectsFilm() {
    TWriterFilm film;
    film.width = 64, film.height = 48;
    TWriterTrack label;
    label.type = 1, label.length = 600, label.text = "AB", label.font = "Pix", label.font_size = 10;
    label.font_color = kWhite, label.x0 = label.x1 = 4, label.y0 = label.y1 = 2;
    TWriterTrack particle;
    particle.type = 6, particle.length = 600, particle.path = "spark.dov", particle.motion_type = 1;
    particle.y0 = particle.y1 = 20;
    particle.size = {64, 28, 64, 28};
    particle.emit = {30, 0, 30, 0};
    // No spread: every interval is exactly 100 ms.
    particle.interval0 = particle.interval1 = 100;
    particle.spread0 = particle.spread1 = 0;
    TWriterTrack fire;
    fire.type = 7, fire.length = 600, fire.power = 60, fire.x0 = fire.x1 = 3, fire.y0 = fire.y1 = 30;
    fire.size = {20, 10, 20, 10};
    fire.fire_zoom = {2, 1.5, 2, 1.5};
    film.tracks = {label, particle, fire};
    return film;
  }

  TOrvoCinema* Cinema(int32_t length = 600) {
    TWriterFilm film = EffectsFilm();
    for (TWriterTrack& track : film.tracks) track.length = length;
    files_.files["fx.ocn"] = test::WriteFilmBytes(film);
    auto* cinema = static_cast<TOrvoCinema*>(Make(kcCinema, "cine"));
    cinema->SetProperty(PR_SOURCE, TPropValue::Str("fx.ocn"));
    return cinema;
  }

  test::TTableFonts system_;
  TPixelFontManager pixel_fonts_;
  TFontPixelManager glyphs_;
};

TEST_F(FilmEffects, TheLabelTrackMakesALabelThatDrawsItsText) {
  TOrvoCinema* cinema = Cinema();
  Frame(16);
  ASSERT_NE(cinema->Film(), nullptr);
  auto* label = dynamic_cast<TOrvoLabel*>(cinema->Film()->Track(0)->TrackObject());
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->GetStr(PR_TEXT), "AB");
  EXPECT_EQ(label->GetStr(PR_FONTNAME), "Pix");
  // Two solid letters, 8 pixels wide each, somewhere in the label's rows.
  int white = 0;
  for (int32_t y = 0; y < 20; ++y) {
    for (int32_t x = 0; x < 64; ++x) white += Pixel(x, y) == kWhite ? 1 : 0;
  }
  EXPECT_EQ(white, 2 * 64);
  EXPECT_EQ(Pixel(4 + 1, label->Top() + label->Height() / 2), kWhite);
  EXPECT_NE(Pixel(4 + 9, label->Top() + label->Height() / 2), kWhite);
}

TEST_F(FilmEffects, TheParticleTrackEmitsAtExactIntervalsWithoutSpread) {
  TOrvoCinema* cinema = Cinema();
  Frame(16);
  ASSERT_NE(cinema->Film(), nullptr);
  auto* emitter = dynamic_cast<TOrvoParticle*>(cinema->Film()->Track(1)->TrackObject());
  ASSERT_NE(emitter, nullptr);
  ASSERT_NE(emitter->Param(), nullptr);
  EXPECT_EQ(emitter->Param()->IntervalBase, 100);
  EXPECT_EQ(emitter->Param()->IntervalRange, 0);
  EXPECT_EQ(emitter->MotionType(), PM_SNOW);
  // From its first particle on, the emitter makes one per 100 ms of 16 ms
  // steps: after s steps, 1 + floor(16 s / 100) particles (snow this slow
  // never leaves the area meanwhile).
  int first = -1;
  for (int step = 0; step < 60; ++step) {
    if (first < 0 && emitter->ParticleCount() > 0) first = step;
    if (first >= 0) {
      ASSERT_EQ(emitter->ParticleCount(), 1 + 16 * (step - first) / 100) << "step " << step;
    }
    Frame(16);
  }
  ASSERT_GE(first, 0);
  for (TOrvoParticleImages* particle : emitter->Particles()) EXPECT_EQ(particle->BaseX(), 30);
}

TEST_F(FilmEffects, TheFireTrackSetsTheFiresSizeAndPower) {
  TOrvoCinema* cinema = Cinema();
  Frame(16);
  ASSERT_NE(cinema->Film(), nullptr);
  auto* fire = dynamic_cast<TOrvoFire*>(cinema->Film()->Track(2)->TrackObject());
  ASSERT_NE(fire, nullptr);
  struct TCase {
    const char* what;
    long double value, expected;
  };
  const TCase cases[] = {
      {"power", static_cast<long double>(fire->Power()), 60},
      {"heat width", static_cast<long double>(fire->OrigWidth()), 20},
      {"heat height", static_cast<long double>(fire->OrigHeight()), 10},
      {"zoom x", fire->FactorX(), 2},
      {"zoom y", fire->FactorY(), 1.5},
      {"width", static_cast<long double>(fire->Width()), 40},
      {"height", static_cast<long double>(fire->Height()), 15},
      {"left", static_cast<long double>(fire->Left()), 3},
      {"top", static_cast<long double>(fire->Top()), 30},
  };
  for (const TCase& c : cases) EXPECT_EQ(c.value, c.expected) << c.what;
  // It burns: after some 40 ms steps something of it shows.
  for (int i = 0; i < 10; ++i) Frame(16);
  int lit = 0;
  for (int32_t y = 30; y < 45; ++y) {
    for (int32_t x = 3; x < 43; ++x) lit += Pixel(x, y) != 0 ? 1 : 0;
  }
  EXPECT_GT(lit, 0);
}

constexpr int kParticles = 256;

// The objects of each kind code on the stage, and the live particles under kParticles.
std::map<int, int> KindCounts(const TOrvoBaseList& stage) {
  std::map<int, int> counts;
  for (TOrvoObject* object : stage.Objects()) {
    ++counts[dynamic_cast<TOrvoParticleImages*>(object) ? kParticles : object->CompoType()];
  }
  return counts;
}

TEST_F(FilmEffects, EffectObjectsGoWithTheirFilmAndComeBackOnceWhenItRepeats) {
  struct TRow {
    const char* what;
    bool repeat;
    int emitters, fires, labels;
  };
  const TRow rows[] = {
      {"auto-scrapped at its end", false, 0, 0, 0},
      {"repeating", true, 1, 1, 1},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.what);
    const std::vector<TOrvoObject*> before = stage_.Objects();
    for (TOrvoObject* object : before) {
      if (object->CompoType() == kcCinema) stage_.DeleteObject(*object);
    }
    Frame(16);
    // 20 film frames: the emitter has particles when the film ends or starts over.
    TOrvoCinema* cinema = Cinema(20);
    cinema->SetProperty(row.repeat ? PR_REPEAT : PR_AUTOSCRAP, TPropValue::Bool(true));
    for (int i = 0; i < 60; ++i) Frame(16);
    std::map<int, int> counts = KindCounts(stage_);
    EXPECT_EQ(counts[kcCinema], row.repeat ? 1 : 0);
    EXPECT_EQ(counts[kcParticle], row.emitters);
    EXPECT_EQ(counts[kcFire], row.fires);
    EXPECT_EQ(counts[kcLabel], row.labels);
    if (!row.repeat) {
      EXPECT_EQ(counts[kParticles], 0) << "particles left behind";
    }
  }
}

}  // namespace
}  // namespace orvo
