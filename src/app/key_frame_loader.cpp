#include "app/key_frame_loader.h"

#include <QMetaObject>
#include <utility>

#include "mediainfo/analyze_media_file.h"
#include "produce/key_frame_listing.h"

namespace korvel {

TKeyFrameLoader::TKeyFrameLoader(QObject* parent) : QObject(parent) {}

TKeyFrameLoader::~TKeyFrameLoader() { StopWorker(); }

void TKeyFrameLoader::StopWorker() {
  if (stop_) stop_->store(true);
  // The listing looks at its stop flag every few thousand frames, so this is short.
  if (worker_.joinable()) worker_.join();
  stop_.reset();
}

void TKeyFrameLoader::Load(const std::filesystem::path& file) {
  Clear();
  file_ = file;
  stop_ = std::make_shared<TStopFlag>(false);
  worker_ = std::thread([this, file, generation = generation_, stop = stop_] {
    // The engine that would cut the file depends on its container kind.
    QdMediaInfo info;
    std::optional<TKeyFrameList> list;
    if (AnalyzeMediaFile(file, info) && info.Kind != 0) list = ListKeyFrames(file, info.Kind, info.SubKind, stop.get());
    // Queued to this object: Qt drops the call if the object is gone, and Deliver drops a
    // result the GUI thread no longer waits for.
    QMetaObject::invokeMethod(
        this, [this, generation, list = std::move(list)]() mutable { Deliver(generation, std::move(list)); },
        Qt::QueuedConnection);
  });
}

void TKeyFrameLoader::Clear() {
  StopWorker();
  ++generation_;
  file_.clear();
  if (!keyFrames_) return;
  keyFrames_.reset();
  emit KeyFramesChanged();
}

void TKeyFrameLoader::Deliver(uint64_t generation, std::optional<TKeyFrameList> list) {
  if (generation != generation_) return;
  if (list && list->KeyFrames.empty()) list.reset();
  keyFrames_ = std::move(list);
  emit KeyFramesChanged();
}

}  // namespace korvel
