#pragma once
// The virtual file manager: every data file of a game is found by its game
// name (CP932, '\' separators, any case) in the loose folder first, then in
// the mounted archives in the order they were added, then on disc roots.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "base/stream.h"
#include "data/archive.h"

namespace orvo {

// Questions of a multi-disc request. The shell answers them with message
// boxes; without one, the answer is to give up.
class TDiscPrompt {
 public:
  virtual ~TDiscPrompt() = default;
  // Asks for a disc (text in CP932, OK and Cancel); true when the user chose OK.
  virtual bool AskForDisc(const std::string& caption, const std::string& text) = 0;
  // After Cancel: asks whether to end the game; true (OK) ends it, false asks for the disc again.
  virtual bool ConfirmQuit(const std::string& caption, const std::string& text) = 0;
};

// Cancels the disc question and agrees to quit.
class TGiveUpDiscPrompt : public TDiscPrompt {
 public:
  bool AskForDisc(const std::string&, const std::string&) override { return false; }
  bool ConfirmQuit(const std::string&, const std::string&) override { return true; }
};

// The project's texts for a disc request (CP932).
struct TDiscRequest {
  std::string caption;       // the application title
  std::string prompt;        // with one %d for the disc number
  std::string quit_message;  // asked after Cancel
  std::string title;         // the project title, compared with install.dat
};

struct TFileManagerOptions {
  // Folders given with --disc-root; always searched after the archives.
  std::vector<std::string> disc_roots;
  // Mount points of removable media (glob patterns); a match is a disc root
  // when it holds "game.dat" or "install.dat".
  std::vector<std::string> media_patterns = {"/media/*/*", "/run/media/*/*", "/mnt/*"};
  // A temporary copy made by GetFileName is deleted this long (in frame-clock
  // ms) after it was last asked for, or as soon as its last user released it.
  int64_t copy_lifetime_ms = 60000;
};

class TVrFileManager {
 public:
  explicit TVrFileManager(TFileManagerOptions options = {});
  // Deletes every temporary copy and every file queued with DeleteLater.
  ~TVrFileManager();
  TVrFileManager(const TVrFileManager&) = delete;
  TVrFileManager& operator=(const TVrFileManager&) = delete;

  // Sets the loose folder (a folder on disk) and fires the change notification.
  void SetFolder(const std::string& folder);
  const std::string& Folder() const { return folder_; }
  // Mounts an archive file (or, for a path that is no file, a folder
  // collection). Returns its index, or -1 when that path is mounted already.
  int AddArchive(const std::string& path);
  // Fires the removal notification, then frees the collection.
  void RemoveArchive(size_t index);
  size_t CollectionCount() const { return collections_.size(); }
  TVrFileCollection& Collection(size_t index) const { return *collections_[index]; }

  bool Exists(std::string_view name);
  // Plain content of name into out (from out's position, which is restored);
  // raises "%s:ファイルがありません" when no source has it.
  void Load(TStream& out, std::string_view name);
  std::vector<uint8_t> LoadBytes(std::string_view name);
  // A read-only stream for streaming playback, in the same lookup order.
  // Compressed entries stay compressed in it. Raises like Load.
  std::unique_ptr<TStream> OpenRange(std::string_view name);
  // A real file path for name: the loose file, else a temporary copy of the
  // archive entry (the same path for repeated requests), else a disc file.
  std::string GetFileName(std::string_view name);
  // The caller no longer needs a path from GetFileName; its copy goes at the
  // next housekeeping once nobody holds it.
  void ReleaseFileName(const std::string& path);
  // The entry from the first collection that holds one, or none.
  TVrFile* FindEntry(std::string_view name) const;
  // File names (CP932) of a game folder from every collection, the loose
  // folder and the disc roots; names already in list are not added again.
  void ListFolder(std::string_view folder, std::vector<std::string>& list);
  // Game names (CP932, '\' separators) of the loose files below the loose
  // folder whose extension matches (ignoring case, e.g. ".oft").
  std::vector<std::string> ListLooseFiles(std::string_view extension);

  // Disc roots now: the --disc-root folders and the media that hold game files.
  const std::vector<std::string>& DiscRoots() const { return disc_roots_; }
  void RefreshDiscRoots();
  // Asks for disc number and mounts it; false when the user gave up.
  bool RequestDisk(int number, const TDiscRequest& request, TDiscPrompt& prompt);
  // Mounts the game.dat of the first disc root whose install.dat has this
  // title and disc index.
  bool TryDisk(int index, const std::string& title);

  // Called after a collection was added (with it) or the folder was set (with none).
  void SetChangeHandler(std::function<void(TVrFileCollection*)> handler) { on_change_ = std::move(handler); }
  // Called before a collection is removed.
  void SetRemoveHandler(std::function<void(TVrFileCollection&)> handler) { on_remove_ = std::move(handler); }

  // The frame step's housekeeping: now_ms is the frame clock. Deletes the
  // temporary copies whose time is up and the files queued with DeleteLater.
  void Housekeeping(int64_t now_ms);
  // Queues a file for deletion at the next housekeeping (or at shutdown).
  void DeleteLater(std::string path);
  size_t TemporaryCopyCount() const { return locks_.size(); }

 private:
  struct TLock {
    std::string name;  // entry name (CP932)
    int32_t id = 0;
    int32_t use_count = 1;
    std::string path;
    int64_t expires_at = 0;
  };
  std::string LooseFile(std::string_view name) const;
  std::string DiscFile(std::string_view name) const;
  TLock& MakeLock(std::string_view name);
  void DeleteLock(size_t index);

  TFileManagerOptions options_;
  std::string folder_;
  std::vector<std::unique_ptr<TVrFileCollection>> collections_;
  std::vector<std::string> disc_roots_;
  std::vector<TLock> locks_;
  std::vector<std::string> pending_deletes_;
  int64_t now_ = 0;
  std::function<void(TVrFileCollection*)> on_change_;
  std::function<void(TVrFileCollection&)> on_remove_;
};

// "%s:ファイルがありません" for name.
EOrvoError MissingFileError(std::string_view name);
// The folders that match the media patterns and hold "game.dat" or
// "install.dat", after the explicit roots that exist.
std::vector<std::string> FindDiscRoots(const std::vector<std::string>& explicit_roots,
                                       const std::vector<std::string>& media_patterns);

}  // namespace orvo
