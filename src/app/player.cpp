#include "app/player.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>

#include "app/form_view.h"
#include "app/game_fonts.h"
#include "app/game_host.h"
#include "app/game_ini.h"
#include "app/options.h"
#include "app/read_aloud.h"
#include "base/cp932.h"
#include "base/error.h"
#include "base/files.h"
#include "base/random.h"
#include "base/trace.h"
#include "data/big_file_stream.h"
#include "data/mount.h"
#include "film/cinema.h"
#include "platform/config_window.h"
#include "platform/desktop.h"
#include "platform/single_instance.h"
#include "save/history.h"
#include "save/save_functions.h"
#include "save/save_manager.h"
#include "script/call_man.h"
#include "script/page.h"
#include "script/page_format.h"
#include "script/variable_dump.h"
#include "stage/functions/game_functions.h"
#include "stage/stage_script_host.h"
#include "tables/db_manager.h"
#include "tables/prev_menu.h"
#include "tables/table_functions.h"
#include "vars/engine.h"

namespace orvo {

namespace {

std::string ProgramFolder(const char* argv0) {
  std::filesystem::path self = ProgramPath(argv0);
  return self.has_parent_path() ? self.parent_path().string() : std::string(".");
}

int RunConfig(const TPlayerOptions& options, const std::string& program_folder) {
  std::string game_folder = options.game_args.size() > 1 ? options.game_args[1] : program_folder;
  std::string path = LocateGameIni(game_folder, program_folder);
  TGameIni ini;
  ReadGameIni(path, ini);
  TConfigValues values{ini.use_direct_sound, ini.delay_time / 100};
  if (options.headless || !WindowSystemAvailable()) {
    std::printf("%s\n[Sound]\nDirectSound=%d\nDelayTime=%d\n", path.c_str(), values.use_direct_sound ? 1 : 0,
                values.delay_position * 100);
    return 0;
  }
  if (RunConfigWindow(values)) WriteGameIniSound(path, values.use_direct_sound, values.delay_position * 100);
  return 0;
}

void WriteVariableDump(const std::string& path, const TParamCollection& store) {
  WriteFileAtomically(path, FormatVariableDump(store));
}

// Start-up stages with ORVO_TIMING set, for measuring the time to the first frame.
void TimingMark(const char* stage) {
  static const bool enabled = std::getenv("ORVO_TIMING") != nullptr;
  if (enabled) std::fprintf(stderr, "%8.1f ms  %s\n", MillisecondsSinceStart(), stage);
}

void ShowError(IDialogs& dialogs, const char* caption, const EOrvoError& error) {
  dialogs.MessageBox(caption, error.what(), TBoxButtons::Ok, TBoxIcon::Error);
}

// What keeps the game named on the command line from being read at all, or
// "" when it can be. Without this, a mistyped folder only reports that the
// project is missing, which sends the user looking inside the wrong folder.
std::string GameFolderProblem(const std::string& path) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) {
    if (errno == EACCES) return "ゲームのフォルダを読み込めません: " + path;
    return "ゲームのフォルダがありません: " + path;
  }
  if (S_ISDIR(info.st_mode)) {
    DIR* folder = ::opendir(path.c_str());
    if (!folder) return "ゲームのフォルダを読み込めません: " + path;
    ::closedir(folder);
    return {};
  }
  if (HasArchiveTrailer(path)) return {};
  return "ゲームのフォルダではありません: " + path;
}

}  // namespace

int RunPlayer(int argc, char** argv) {
  MillisecondsSinceStart();
  TPlayerOptions options;
  std::string error;
  if (!ParsePlayerOptions(argc, argv, options, error)) {
    std::fprintf(stderr, "orvoplayer: %s\n%s", error.c_str(), PlayerUsage().c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(PlayerUsage().c_str(), stdout);
    return 0;
  }
  if (options.version) {
    std::printf("orvoplayer 0.1.0\n");
    return 0;
  }
  std::string program_folder = ProgramFolder(argv[0]);
  if (options.config) return RunConfig(options, program_folder);

  std::string game_folder = options.game_args.empty() ? program_folder : options.game_args[0];
  if (!options.game_args.empty()) {
    std::string problem = GameFolderProblem(game_folder);
    if (!problem.empty()) {
      bool windowed = !options.headless && WindowSystemAvailable();
      std::unique_ptr<IDialogs> dialogs = windowed ? CreateWindowDialogs() : CreateHeadlessDialogs();
      dialogs->MessageBox("エラー", problem, TBoxButtons::Ok, TBoxIcon::Error);
      return 1;
    }
  }
  TSingleInstanceLock instance;
  if (!instance.Acquire(game_folder)) return 0;  // another player runs this game: leave silently

  if (!options.trace_file.empty() && !Trace().Open(options.trace_file)) {
    std::fprintf(stderr, "orvoplayer: cannot write %s\n", options.trace_file.c_str());
    return 1;
  }
  ProcessRandom().Seed(options.seed ? *options.seed : TimeOfDaySeed());

  TRuntimeState state;
  TGameIni ini;
  ReadGameIni(LocateGameIni(game_folder, program_folder), ini);

  bool windowed = !options.headless && WindowSystemAvailable();
  std::unique_ptr<IDisplay> display = windowed ? CreateWindowDisplay() : CreateHeadlessDisplay(options.display_modes);
  std::unique_ptr<IDialogs> dialogs = windowed ? CreateWindowDialogs() : CreateHeadlessDialogs();
  std::unique_ptr<IDesktop> desktop =
      windowed ? CreateSystemDesktop(*dialogs) : CreateHeadlessDesktop(*dialogs, PrivateTempFolder() + "/desktop");
  std::unique_ptr<IClock> clock =
      options.fixed_step > 0 ? CreateFixedStepClock(static_cast<uint32_t>(options.fixed_step)) : CreateSteadyClock();

  TimingMark("options parsed");
  Trace().Line("FormCreate");
  TFileManagerOptions file_options;
  file_options.disc_roots = options.disc_roots;
  TVrFileManager file_manager(file_options);
  TGameFonts fonts(CreateSystemFonts(), ini.font_default_only ? TDefaultFontsOnly::Yes : TDefaultFontsOnly::No);
  fonts.Attach(file_manager);
  // Declared before the stage: its sound objects hold the media managers' items.
  std::unique_ptr<IMediaLibrary> media;
  TShellStageHost stage_host(*display);
  // Declared before the stage, which calls it at every page start.
  TReadAloud read_aloud(
      [windowed](std::string& problem) { return windowed ? CreateSpeechDispatcher(problem) : CreateHeadlessSpeech(); });
  TOrvoBaseList stage(state, &stage_host);
  stage.SetPageStartListener([&read_aloud](const std::string& text) { read_aloud.PageStarted(text); });
  RegisterPrevMenuKind(stage);
  TShellSystemHost system_host(state, stage, *clock);
  TExprEngine engine(system_host, ProcessRandom());
  TProject project(state, file_manager, *dialogs);
  TMediaServices media_services;
  media_services.require_file = [&project](const std::string& name) { return project.RequireFile(name); };
  media_services.load_bytes = [&file_manager](const std::string& name) { return file_manager.LoadBytes(name); };
  media_services.cd_folders.push_back(game_folder);
  for (const std::string& root : options.disc_roots) media_services.cd_folders.push_back(root);
  media = CreateMediaLibrary(stage, std::move(media_services));
  // Films (kind 4) and motion films (".omt" sources) after the media kinds, which their sound tracks create.
  RegisterFilmKinds(stage);
  stage_host.SetMedia(media.get());
  system_host.SetMedia(media.get());
  system_host.SetProject(&project);
  // Message windows lay a text command out again from its page (after a load).
  stage.SetTextCommandSource([&project](const std::string& page_name, int32_t index) -> std::optional<std::string> {
    TCallMan* interpreter = project.CallMan();
    if (!interpreter) return std::nullopt;
    try {
      TPage* page = interpreter->GetPage(page_name, false);
      if (!page || index < 0 || index >= page->Count() || page->At(index).Kind() != ckTextIns) return std::nullopt;
      return page->At(index).Text("text");
    } catch (const EOrvoError&) {
      return std::nullopt;
    }
  });
  // The message history, and the save file with the status data and the game saves.
  TOrvoHistoryFormatManager history;
  stage.SetHistory(&history);
  stage.SetPageExists([&file_manager](const std::string& page_name) { return file_manager.Exists(page_name); });
  THistoryServices history_services;
  history_services.stage = &stage;
  history_services.page_exists = stage.PageExists();
  history_services.text_command = [&project](const std::string& page_name, int32_t index,
                                             bool& reloaded) -> std::optional<std::string> {
    TCallMan* interpreter = project.CallMan();
    if (!interpreter) return std::nullopt;
    try {
      TPage* page = nullptr;
      for (const auto& cached : interpreter->CachedPages()) {
        if (EqualsNoCase(cached->Name(), page_name)) {
          page = cached.get();
          break;
        }
      }
      if (!page) {
        reloaded = true;
        page = interpreter->GetPage(page_name, false);
      }
      if (!page || index < 0 || index >= page->Count() || page->At(index).Kind() != ckTextIns) return std::nullopt;
      return page->At(index).Text("text");
    } catch (const EOrvoError&) {
      return std::nullopt;
    }
  };
  history.SetServices(std::move(history_services));
  system_host.SetHistory(&history);
  bool close_requested = false;
  TSaveServices save_services;
  save_services.state = &state;
  save_services.stage = &stage;
  save_services.store = &engine.Store();
  save_services.history = &history;
  save_services.files = &file_manager;
  save_services.interpreter = [&project] { return project.CallMan(); };
  save_services.save_to_disk = [&project] { return project.Settings().save_to_disk; };
  save_services.dialogs = dialogs.get();
  save_services.close_window = [&close_requested] { close_requested = true; };
  TSaveManager saves(std::move(save_services));
  saves.SetLocationRule(options.save_dir, game_folder);
  project.SetStatus(&saves);
  system_host.SetFonts(&fonts.Glyphs());
  stage.SetGlyphs(&fonts.Glyphs());
  TGameFunctionServices function_services(stage, file_manager, *desktop, state);
  function_services.project = &project;
  function_services.forget_picture = [&stage](const std::string& file) { stage.Pictures().PurgePicture(file); };
  function_services.store_save_file = [&saves](std::string_view name, std::string_view bytes) {
    saves.StoreSaveFile(name, bytes);
  };
  RegisterGameFunctions(engine, function_services);
  // One table store for the player's whole run: status tables outlive resets.
  TDBManager tables;
  TTableFunctionServices table_services(tables, file_manager);
  table_services.project = &project;
  RegisterTableFunctions(engine.Functions(), table_services);
  saves.SetTables(&tables);
  RegisterSaveFunctions(engine.Functions(), saves, history);
  int status = 0;
  try {
    MountGameData(file_manager, {ProgramPath(argv[0]), options.game_args});
    Trace().Line("OrvoInitialize");
    Trace().Line("TProject.Create");
    if (options.game_args.empty() && !project.LocateGameData(program_folder)) return 1;
    if (!project.Load(&engine.Store())) return 1;
  } catch (const EOrvoError& failure) {
    ShowError(*dialogs, "エラー", failure);
    return 1;
  }

  TimingMark("project loaded");
  TDisplayOptions display_options;
  display_options.title_utf8 = Cp932ToUtf8(project.Title());
  display_options.stage_width = project.Width();
  display_options.stage_height = project.Height();
  display_options.show_toolbar = project.Settings().show_toolbar;
  display_options.scale = options.integer_scale ? TScaleMode::Integer : TScaleMode::Smooth;
  if (!display->Open(display_options)) {
    std::fprintf(stderr, "orvoplayer: cannot open a window; running headless\n");
    display = CreateHeadlessDisplay(options.display_modes);
    display->Open(display_options);
  }

  TimingMark("window open");
  stage.SetSize(project.Width(), project.Height());
  // Full screen prefers the project's display size, else the game's.
  const TProjectSettings& settings = project.Settings();
  const bool display_size = settings.display_a > 0 && settings.display_b > 0;
  std::unique_ptr<TScreenManager> screens;
  if (project.Width() > 0 && project.Height() > 0) {
    screens = std::make_unique<TScreenManager>(*display, project.Width(), project.Height(),
                                               display_size ? settings.display_a : project.Width(),
                                               display_size ? settings.display_b : project.Height());
  }
  TFormView form(options, state, *display, *dialogs, *clock, TGameParts{file_manager, stage, *media, screens.get()});
  system_host.SetScreenControl(&form);
  TPadMap pad_map = TPadMap::Defaults();
  std::string map_error;
  if (!ini.pad_map.empty() && !pad_map.Apply(ini.pad_map, map_error))
    std::fprintf(stderr, "orvoplayer: game.ini: %s\n", map_error.c_str());
  form.ConfigureControls(ini.fast_forward_key, std::move(pad_map));
  form.SetReadAloud(&read_aloud);
  if (options.read_aloud || ini.read_aloud) read_aloud.SetEnabled(true);
  TShellScriptHost shell_script_host(*dialogs, [&form] { form.Close(); });
  shell_script_host.SetSaves(&saves, &history);
  form.SetPendingWork([&] {
    const bool loaded = saves.PerformPending();
    if (close_requested) form.Close();
    return loaded;
  });
  TStageScriptHost script_host(stage, shell_script_host);
  try {
    if (!project.Start(engine, stage.Events(), script_host)) return 1;
  } catch (const EOrvoError& failure) {
    ShowError(*dialogs, "エラー", failure);
    return 1;
  }
  Trace().Line("DXSound.Initialize");
  Trace().Line("MediaInit");
  TMediaStartOptions media_options;
  media_options.use_direct_sound = ini.use_direct_sound;
  media_options.delay_time = ini.delay_time;
  media_options.use_wmp = ini.use_wmp;
  media_options.headless = !display->HasWindow();
  media_options.game_clock = options.fixed_step > 0 || options.headless || !display->HasWindow();
  media_options.audio_out = options.audio_out;
  media_options.midi_port = ini.midi_port;
  media->Start(media_options);
  Trace().Line("OrvoInitColor");
  try {
    form.Run(project);
  } catch (const EOrvoError& failure) {
    state.SetFatal();
    ShowError(*dialogs, "情報", failure);
    status = 1;
  }

  state.terminating = true;
  Trace().Line("FormClose");
  Trace().Line("Project.Free");
  project.Shutdown();
  Trace().Line("SysFuncMan.Free");
  Trace().Line("ParamMan.Free");
  Trace().Line("OrvoFinalize");
  Trace().Line("MediaFinal");
  media->Stop();
  if (state.fatal_error) status = 1;
  try {
    if (!options.screenshot.empty()) {
      form.SaveScreenshot(options.screenshot);
      std::printf("screenshot: %s\n", std::filesystem::absolute(options.screenshot).c_str());
    }
    if (!options.dump_vars_file.empty()) WriteVariableDump(options.dump_vars_file, engine.Store());
  } catch (const EOrvoError& failure) {
    std::fprintf(stderr, "orvoplayer: %s\n", failure.what());
    status = 1;
  }
  for (const std::string& path : state.pending_temp_files) ::unlink(path.c_str());
  for (const std::string& path : state.delete_at_exit_files) ::unlink(path.c_str());
  if (std::getenv("ORVO_TIMING")) {
    std::fprintf(stderr, "first presented frame: %.1f ms after start; %lld frame steps\n", form.FirstPresentMs(),
                 static_cast<long long>(form.FramesRun()));
  }
  return status;
}

}  // namespace orvo
