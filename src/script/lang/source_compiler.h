#pragma once
// The source language of pages: one command per line, structured blocks,
// labels, calls by name, typed variables and object properties by their
// PR_ names. The compiler turns a source (UTF-8) into a page whose bytes the
// player reads; see docs/script-language.md.
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "script/page.h"

namespace orvo {

struct TCompileOptions {
  // The source's name in messages (UTF-8).
  std::string file = "<source>";
  // The page's own game name (CP932): jumps and calls within the page name it.
  std::string page_name;
  // The command index of a label in another page; nullopt when unknown.
  std::function<std::optional<int>(const std::string& page, const std::string& label)> find_label;
};

class TPageCompiler {
 public:
  explicit TPageCompiler(TCompileOptions options);
  ~TPageCompiler();

  // Reads the whole source. Errors raise EOrvoError "FILE:LINE: message".
  void Parse(std::string_view utf8_source);
  // Index of the first label of that name, or -1 (after Parse).
  int FindLabel(const std::string& label) const;
  // Resolves the targets in other pages and builds the page.
  std::unique_ptr<TPage> Finish();

 private:
  struct TReference {
    size_t command;
    std::string page;   // the target page's game name
    std::string label;  // empty: index 0
    int line;
  };
  struct TBlock {
    bool loop = false;
    size_t opener = 0;   // the If or While command
    int line = 0;        // where the block opened
    int32_t indent = 0;  // of the opener
    bool in_else = false;
    std::string step;  // a for-loop's step expression text
    std::vector<size_t> breaks, continues;
  };

  [[noreturn]] void Fail(const std::string& utf8_message) const;
  void ParseLine(std::string text);
  void Directive(const std::string& text);
  void Attributes(const std::string& text);
  TCommand& Add(int kind, int32_t depth);
  void SetExpr(TCommand& command, std::string_view field, const std::string& text);
  TExpression ExprOf(const std::string& text);
  void Generic(int kind, const std::string& rest);
  void Target(TCommand& command, const std::string& text, bool label_first);
  std::string PageName(const std::string& text);
  std::string Word(const std::string& text);
  void SplitCondition(std::string& text, std::string& condition, const char* otherwise);
  TBlock* InnermostLoop();

  TCompileOptions options_;
  std::unique_ptr<TPage> page_;
  int line_ = 0;
  bool commands_begun_ = false;
  std::vector<TBlock> blocks_;
  std::map<std::string, int> labels_;
  std::vector<TReference> references_;
  std::map<size_t, std::map<int, TExpression>> properties_;
  std::map<size_t, int> property_lines_;
  std::map<int, TMaskEntry> explicit_masks_;
  std::optional<std::string> raw_masks_;
  int32_t raw_mask_count_ = 0, raw_mask_size_ = 0;
  // Attributes of the line being read.
  struct TAttributes {
    std::optional<uint8_t> disabled, continue_byte;
    std::optional<int32_t> line, indent;
    bool high = false;
  } attributes_;
};

// Compiles one source into page bytes (a convenience over TPageCompiler).
std::string CompilePageSource(std::string_view utf8_source, const TCompileOptions& options);

struct TPageSourceFile {
  std::string file;       // for messages (UTF-8)
  std::string page_name;  // the page's game name (CP932), e.g. "scenes\\intro.osb"
  std::string text;       // the source (UTF-8)
};

// Compiles a game's pages together, so that jumps and calls find labels in
// each other. Returns the page bytes by page name; errors raise naming file and line.
std::map<std::string, std::string> CompilePages(const std::vector<TPageSourceFile>& sources);

// The game name of a page written in source as text: ".osb" is added when
// the last component has no extension.
std::string PageFileName(std::string_view text);

}  // namespace orvo
