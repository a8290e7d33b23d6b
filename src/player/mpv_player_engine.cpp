#include "player/mpv_player_engine.h"

#include <mpv/client.h>
#include <mpv/render.h>

#include <QMetaObject>
#include <algorithm>
#include <array>
#include <charconv>
#include <clocale>
#include <cstring>
#include <utility>

namespace korvel {

namespace {

enum ObservedProperty : uint64_t { kEofReached = 1, kPausedForCache = 2 };

// Pictures are drawn at the video's own size, but never larger than this: a file may claim any
// size it likes.
constexpr int kLargestPictureSide = 4096;

struct OptionValue {
  const char* name;
  const char* value;
};

// Only local media: nothing from the user's mpv setup, no scripts, no key bindings of libmpv's
// own, and no following of references inside a file (a playlist under a video name must not make
// the player open other paths or addresses, nor look up host names).
constexpr std::array kRequiredOptions{
    OptionValue{"config", "no"},          OptionValue{"load-scripts", "no"},
    OptionValue{"ytdl", "no"},            OptionValue{"input-default-bindings", "no"},
    OptionValue{"input-vo-keyboard", "no"}, OptionValue{"access-references", "no"},
    OptionValue{"load-unsafe-playlists", "no"}, OptionValue{"ordered-chapters", "no"},
    OptionValue{"sub-auto", "no"},        OptionValue{"audio-file-auto", "no"},
    OptionValue{"vo", "libmpv"},          OptionValue{"hwdec", "no"},
    // A file that reaches its end (or the stop time) stays open, held at its last frame.
    OptionValue{"keep-open", "yes"},      OptionValue{"idle", "yes"},
    OptionValue{"pause", "yes"},          OptionValue{"hr-seek", "yes"},
    // A transport stream's seek may otherwise land on a key frame after the time asked for.
    OptionValue{"hr-seek-demuxer-offset", "0.5"},
    OptionValue{"terminal", "no"},        OptionValue{"osd-level", "0"},
    OptionValue{"sid", "no"},             OptionValue{"audio-display", "no"},
};

std::string NumberText(double value) {
  std::array<char, 64> text{};
  const auto [end, error] = std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed, 6);
  return error == std::errc{} ? std::string(text.data(), end) : std::string("0");
}

const mpv_node* MapEntry(const mpv_node& map, const char* key) {
  if (map.format != MPV_FORMAT_NODE_MAP || !map.u.list) return nullptr;
  for (int i = 0; i < map.u.list->num; ++i) {
    if (std::strcmp(map.u.list->keys[i], key) == 0) return &map.u.list->values[i];
  }
  return nullptr;
}

}  // namespace

MpvPlayerEngine::MpvPlayerEngine(Options options) : options_(std::move(options)) {
  if (!SetUp()) TearDown();
}

MpvPlayerEngine::~MpvPlayerEngine() { TearDown(); }

bool MpvPlayerEngine::SetUp() {
  // libmpv reads and writes numbers in the C locale only, and refuses to start otherwise.
  std::setlocale(LC_NUMERIC, "C");
  mpv_ = mpv_create();
  if (!mpv_) return false;
  for (const OptionValue& option : kRequiredOptions) {
    if (mpv_set_option_string(mpv_, option.name, option.value) < 0) return false;
  }
  if (!options_.audioOutput.empty() && mpv_set_option_string(mpv_, "ao", options_.audioOutput.c_str()) < 0) return false;
  if (mpv_initialize(mpv_) < 0) return false;
  mpv_observe_property(mpv_, kEofReached, "eof-reached", MPV_FORMAT_FLAG);
  mpv_observe_property(mpv_, kPausedForCache, "paused-for-cache", MPV_FORMAT_FLAG);

  std::array<mpv_render_param, 2> params{{{MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_SW)},
                                          {MPV_RENDER_PARAM_INVALID, nullptr}}};
  if (mpv_render_context_create(&render_, mpv_, params.data()) < 0) {
    render_ = nullptr;
    return false;
  }
  // Both callbacks come from libmpv's threads: they only ask the GUI thread to take what is
  // waiting, once however often they fire.
  const auto post = [](void* self) {
    auto* engine = static_cast<MpvPlayerEngine*>(self);
    if (engine->takePosted_.exchange(true)) return;
    QMetaObject::invokeMethod(engine, [engine] { engine->TakeEvents(); }, Qt::QueuedConnection);
  };
  mpv_set_wakeup_callback(mpv_, post, this);
  mpv_render_context_set_update_callback(render_, post, this);
  return true;
}

void MpvPlayerEngine::TearDown() {
  if (render_) {
    mpv_render_context_set_update_callback(render_, nullptr, nullptr);
    mpv_render_context_free(render_);
    render_ = nullptr;
  }
  if (mpv_) {
    mpv_set_wakeup_callback(mpv_, nullptr, nullptr);
    mpv_terminate_destroy(mpv_);
    mpv_ = nullptr;
  }
}

bool MpvPlayerEngine::Open(const std::filesystem::path& file) {
  Close();
  if (!IsReady()) return false;
  // Only a regular local file: libmpv would play a folder as a playlist of its files.
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error)) return false;
  const std::string path = std::filesystem::absolute(file, error).string();
  if (error) return false;

  mpv_set_property_string(mpv_, "end", "none");
  mpv_set_property_string(mpv_, "pause", "yes");
  const char* command[] = {"loadfile", path.c_str(), "replace", nullptr};
  mpv_node result{};
  if (mpv_command_ret(mpv_, command, &result) < 0) return false;
  const mpv_node* entry = MapEntry(result, "playlist_entry_id");
  entry_ = entry && entry->format == MPV_FORMAT_INT64 ? entry->u.int64 : -1;
  mpv_free_node_contents(&result);
  if (entry_ < 0) {
    Close();
    return false;
  }
  // Loading ends with the first picture of the file, like a seek.
  seekPending_ = true;
  seekIssued_ = std::chrono::steady_clock::now();
  seekStarted_ = true;
  pictureSinceSeek_ = false;
  if (!TakeEventsUntil([this] { return loaded_ || failed_; }, options_.openBound) || !loaded_) {
    Close();
    return false;
  }
  return true;
}

void MpvPlayerEngine::Close() {
  if (mpv_ && entry_ >= 0) {
    const char* command[] = {"stop", nullptr};
    mpv_command(mpv_, command);
  }
  entry_ = -1;
  entryStarted_ = loaded_ = failed_ = false;
  seekPending_ = seekStarted_ = pictureSinceSeek_ = redrawAfterRestart_ = false;
  nextSeek_.reset();
  atEnd_ = buffering_ = false;
  picture_ = QImage();
}

void MpvPlayerEngine::TakeEvents() {
  takePosted_ = false;
  if (!mpv_) return;
  // A picture waiting now came after every seek event already queued: the events go first, so that
  // a picture is known to show a seek's new position.
  const bool pictureWaiting = render_ && (mpv_render_context_update(render_) & MPV_RENDER_UPDATE_FRAME);
  for (;;) {
    const mpv_event* event = mpv_wait_event(mpv_, 0);
    if (event->event_id == MPV_EVENT_NONE) break;
    HandleEvent(*event);
  }
  if (pictureWaiting || std::exchange(redrawAfterRestart_, false)) DrawPicture();
}

bool MpvPlayerEngine::TakeEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds bound) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + bound;
  TakeEvents();
  while (!done()) {
    const auto left = std::chrono::duration<double>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    // Short waits, so that pictures keep being drawn: libmpv holds its video until they are.
    const mpv_event* event = mpv_wait_event(mpv_, std::min(left, 0.02));
    if (event->event_id != MPV_EVENT_NONE) HandleEvent(*event);
    TakeEvents();
  }
  return true;
}

void MpvPlayerEngine::HandleEvent(const mpv_event& event) {
  if (entry_ < 0) return;
  switch (event.event_id) {
    case MPV_EVENT_START_FILE: {
      const auto* start = static_cast<const mpv_event_start_file*>(event.data);
      entryStarted_ = start && start->playlist_entry_id == entry_;
      break;
    }
    case MPV_EVENT_FILE_LOADED:
      if (entryStarted_) loaded_ = true;
      break;
    case MPV_EVENT_END_FILE: {
      const auto* end = static_cast<const mpv_event_end_file*>(event.data);
      if (!end || end->playlist_entry_id != entry_) break;  // left over from a file closed before
      if (end->reason == MPV_END_FILE_REASON_REDIRECT) {
        // A playlist: its entries must not play.
        const char* command[] = {"stop", nullptr};
        mpv_command(mpv_, command);
      }
      if (!loaded_) {
        failed_ = true;
      } else if (end->reason == MPV_END_FILE_REASON_EOF) {
        loaded_ = false;
        Notify(handlers_.playEnded);
      } else {
        loaded_ = false;
      }
      break;
    }
    case MPV_EVENT_SEEK:
      // From here on libmpv shows only pictures of the new position (the one held to show while
      // paused may come before the restart).
      if (seekPending_) seekStarted_ = true;
      break;
    case MPV_EVENT_PLAYBACK_RESTART:
      if (!loaded_) break;
      if (nextSeek_) {
        IssueSeek(*nextSeek_);
      } else {
        seekPending_ = false;
        // Held, libmpv may show the landed frame without announcing a new one: it is drawn anyway.
        redrawAfterRestart_ = !pictureSinceSeek_;
      }
      break;
    case MPV_EVENT_PROPERTY_CHANGE: {
      const auto* change = static_cast<const mpv_event_property*>(event.data);
      const bool flag = change && change->format == MPV_FORMAT_FLAG && *static_cast<const int*>(change->data) != 0;
      if (event.reply_userdata == kEofReached && loaded_ && flag != atEnd_) {
        atEnd_ = flag;
        if (atEnd_) Notify(handlers_.playEnded);
      } else if (event.reply_userdata == kPausedForCache && flag != buffering_) {
        buffering_ = flag;
        if (handlers_.bufferingChanged) Notify([handler = handlers_.bufferingChanged, flag] { handler(flag); });
      }
      break;
    }
    default:
      break;
  }
}

void MpvPlayerEngine::DrawPicture() {
  if (!render_) return;
  // libmpv waits for the picture to be taken, so it is drawn even before the size is known.
  const QSize size = VideoSize().expandedTo(QSize(1, 1));
  QImage image(size, QImage::Format_RGBX8888);
  if (image.isNull()) return;
  std::array<int, 2> surface{size.width(), size.height()};
  size_t stride = static_cast<size_t>(image.bytesPerLine());
  char format[] = "rgb0";
  std::array<mpv_render_param, 5> params{{{MPV_RENDER_PARAM_SW_SIZE, surface.data()},
                                          {MPV_RENDER_PARAM_SW_FORMAT, format},
                                          {MPV_RENDER_PARAM_SW_STRIDE, &stride},
                                          {MPV_RENDER_PARAM_SW_POINTER, image.bits()},
                                          {MPV_RENDER_PARAM_INVALID, nullptr}}};
  if (mpv_render_context_render(render_, params.data()) < 0 || entry_ < 0) return;
  mpv_render_context_report_swap(render_);
  picture_ = std::move(image);
  if (seekStarted_) pictureSinceSeek_ = true;
  Notify(handlers_.pictureChanged);
}

void MpvPlayerEngine::Notify(std::function<void()> call) {
  if (!call) return;
  // A call still on its way when another file opens belongs to the file before: dropped.
  QMetaObject::invokeMethod(
      this, [this, entry = entry_, call = std::move(call)] {
        if (entry == entry_) call();
      },
      Qt::QueuedConnection);
}

double MpvPlayerEngine::DoubleProperty(const char* name) const {
  double value = 0.0;
  if (!loaded_ || mpv_get_property(mpv_, name, MPV_FORMAT_DOUBLE, &value) < 0) return 0.0;
  return value;
}

int64_t MpvPlayerEngine::IntProperty(const char* name) const {
  int64_t value = 0;
  if (!loaded_ || mpv_get_property(mpv_, name, MPV_FORMAT_INT64, &value) < 0) return 0;
  return value;
}

double MpvPlayerEngine::Duration() const { return std::max(DoubleProperty("duration"), 0.0); }

bool MpvPlayerEngine::CanSeek() const {
  int seekable = 0;
  return loaded_ && mpv_get_property(mpv_, "seekable", MPV_FORMAT_FLAG, &seekable) >= 0 && seekable;
}

QSize MpvPlayerEngine::VideoSize() const {
  const int64_t width = IntProperty("dwidth");
  const int64_t height = IntProperty("dheight");
  if (width <= 0 || height <= 0) return {};
  const double scale = std::min(1.0, static_cast<double>(kLargestPictureSide) / static_cast<double>(std::max(width, height)));
  return QSize(std::max(1, static_cast<int>(static_cast<double>(width) * scale)),
               std::max(1, static_cast<int>(static_cast<double>(height) * scale)));
}

double MpvPlayerEngine::FramesPerSecond() const { return std::max(DoubleProperty("container-fps"), 0.0); }

int MpvPlayerEngine::AudioTrackCount() const {
  int count = 0;
  const int64_t tracks = IntProperty("track-list/count");
  for (int64_t i = 0; i < tracks; ++i) {
    char* type = mpv_get_property_string(mpv_, ("track-list/" + std::to_string(i) + "/type").c_str());
    if (type && std::strcmp(type, "audio") == 0) ++count;
    mpv_free(type);
  }
  return count;
}

bool MpvPlayerEngine::SelectAudioTrack(int index) {
  if (!loaded_) return false;
  if (index < 0) return mpv_set_property_string(mpv_, "aid", "no") >= 0;
  int seen = 0;
  const int64_t tracks = IntProperty("track-list/count");
  for (int64_t i = 0; i < tracks; ++i) {
    const std::string prefix = "track-list/" + std::to_string(i);
    char* type = mpv_get_property_string(mpv_, (prefix + "/type").c_str());
    const bool audio = type && std::strcmp(type, "audio") == 0;
    mpv_free(type);
    if (!audio || seen++ != index) continue;
    const int64_t id = IntProperty((prefix + "/id").c_str());
    return mpv_set_property_string(mpv_, "aid", std::to_string(id).c_str()) >= 0;
  }
  return false;
}

bool MpvPlayerEngine::Run() {
  int paused = 0;
  return loaded_ && mpv_set_property(mpv_, "pause", MPV_FORMAT_FLAG, &paused) >= 0;
}

bool MpvPlayerEngine::Hold() {
  int paused = 1;
  return loaded_ && mpv_set_property(mpv_, "pause", MPV_FORMAT_FLAG, &paused) >= 0;
}

bool MpvPlayerEngine::Seek(double seconds) {
  if (!loaded_) return false;
  if (seekPending_ && std::chrono::steady_clock::now() - seekIssued_ < options_.settleBound) {
    nextSeek_ = seconds;
    seekStarted_ = pictureSinceSeek_ = false;
    return true;
  }
  return IssueSeek(seconds);
}

bool MpvPlayerEngine::IssueSeek(double seconds) {
  nextSeek_.reset();
  const std::string target = NumberText(seconds);
  const char* command[] = {"seek", target.c_str(), "absolute+exact", nullptr};
  seekPending_ = mpv_command(mpv_, command) >= 0;
  seekIssued_ = std::chrono::steady_clock::now();
  seekStarted_ = pictureSinceSeek_ = false;
  return seekPending_;
}


std::optional<double> MpvPlayerEngine::Position() const {
  double position = 0.0;
  if (!loaded_ || mpv_get_property(mpv_, "time-pos", MPV_FORMAT_DOUBLE, &position) < 0) return std::nullopt;
  return position;
}

bool MpvPlayerEngine::SetStopTime(std::optional<double> seconds) {
  const std::string end = seconds ? NumberText(*seconds) : "none";
  return loaded_ && mpv_set_property_string(mpv_, "end", end.c_str()) >= 0;
}

QImage MpvPlayerEngine::WaitForSettledPicture() {
  if (!loaded_) return {};
  if (!TakeEventsUntil([this] { return !seekPending_ && pictureSinceSeek_; }, options_.settleBound)) return {};
  return picture_;
}

}  // namespace korvel
