#include "app/game_fonts.h"

#include <unistd.h>

#include "base/cp932.h"
#include "base/error.h"
#include "base/files.h"
#include "platform/locale.h"

namespace orvo {

bool IsPixelFontName(std::string_view name) {
  return name.size() > 4 && EqualsNoCase(name.substr(name.size() - 4), ".oft");
}

TGameFonts::TGameFonts(std::unique_ptr<ISystemFonts> system, TDefaultFontsOnly default_only)
    : system_(std::move(system)) {
  glyphs_ = std::make_unique<TFontPixelManager>(
      system_.get(), pixel_fonts_, UserLanguageIsJapanese() ? TInstalledFilter::JapaneseOnly : TInstalledFilter::All);
  if (default_only == TDefaultFontsOnly::Yes) glyphs_->UseDefaultFontsOnly();
}

TGameFonts::~TGameFonts() {
  glyphs_.reset();
  for (const std::string& path : kept_) ::unlink(path.c_str());
}

void TGameFonts::Attach(TVrFileManager& files) {
  files.SetChangeHandler([this, &files](TVrFileCollection* added) { OfferFonts(files, added); });
}

void TGameFonts::OfferFonts(TVrFileManager& files, TVrFileCollection* added) {
  if (added) {
    std::vector<std::string> names;
    for (size_t i = 0; i < added->Count(); ++i) {
      if (IsPixelFontName(added->At(i).Name())) names.push_back(added->At(i).Name());
    }
    for (const std::string& name : names) Offer(name, added->ExtractBytes(name));
    return;
  }
  for (const std::string& name : files.ListLooseFiles(".oft")) Offer(name, files.LoadBytes(name));
}

void TGameFonts::Offer(const std::string& game_name, const std::vector<uint8_t>& bytes) {
  std::string path;
  try {
    path = MakeTempFile("font");
    WriteFileAtomically(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  } catch (const EOrvoError&) {
    if (!path.empty()) ::unlink(path.c_str());
    throw ErrorFromUtf8("作業用ファイルが作成できません");
  }
  try {
    if (pixel_fonts_.AddFontFile(path, game_name)) {
      kept_.push_back(path);
      return;
    }
  } catch (...) {
    ::unlink(path.c_str());
    throw;
  }
  ::unlink(path.c_str());
}

}  // namespace orvo
