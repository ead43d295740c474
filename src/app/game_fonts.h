#pragma once
// The player's fonts: the installed faces, the game's pixel fonts and the
// glyph manager over both. Every mount offers the ".oft" files it brings: a
// copy goes into the private temporary folder and stays there while the
// pixel-font manager holds it.
#include <memory>
#include <string>
#include <vector>

#include "data/file_manager.h"
#include "platform/system_fonts.h"
#include "surface/font_pixel_manager.h"

namespace orvo {

// Whether the game's configuration keeps only the four default faces.
enum class TDefaultFontsOnly : uint8_t { No, Yes };

class TGameFonts {
 public:
  // system may be null (no installed fonts); the Japanese filter follows the user's language.
  TGameFonts(std::unique_ptr<ISystemFonts> system, TDefaultFontsOnly default_only);
  // Deletes the copies of the accepted pixel fonts.
  ~TGameFonts();
  TGameFonts(const TGameFonts&) = delete;
  TGameFonts& operator=(const TGameFonts&) = delete;

  // The file manager's change notification: offers the ".oft" files of the
  // collection just added (or, for none, of the loose folder). A damaged
  // file raises "NAME\r\nフォントファイルが破壊されています" with the game's name of it.
  void OfferFonts(TVrFileManager& files, TVrFileCollection* added);
  // Installs OfferFonts as the file manager's change notification.
  void Attach(TVrFileManager& files);

  TFontPixelManager& Glyphs() { return *glyphs_; }
  TPixelFontManager& PixelFonts() { return pixel_fonts_; }
  // Copies that the pixel-font manager accepted (deleted at exit).
  const std::vector<std::string>& KeptCopies() const { return kept_; }

 private:
  void Offer(const std::string& game_name, const std::vector<uint8_t>& bytes);

  std::unique_ptr<ISystemFonts> system_;
  TPixelFontManager pixel_fonts_;
  std::unique_ptr<TFontPixelManager> glyphs_;
  std::vector<std::string> kept_;
};

// True for a game name whose extension is ".oft" in any case.
bool IsPixelFontName(std::string_view name);

}  // namespace orvo
