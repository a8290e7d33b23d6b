#pragma once
// Lists the open file's key frames on a worker thread, so that a file with thousands of them
// opens without a pause, and hands the list to the GUI thread. Loading another file, or
// clearing, stops the listing under way and drops whatever it would still deliver.
#include <QObject>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <thread>

#include "produce/key_frames.h"

namespace korvel {

class TKeyFrameLoader final : public QObject {
  Q_OBJECT

public:
  explicit TKeyFrameLoader(QObject* parent = nullptr);
  ~TKeyFrameLoader() override;

  // Starts analysing the file and listing its key frames.
  void Load(const std::filesystem::path& file);
  // The file was closed: no key frames until the next Load.
  void Clear();

  // The list of the file last loaded, once it is ready; nothing before, or when the file has no
  // key frames to show.
  const std::optional<TKeyFrameList>& KeyFrames() const { return keyFrames_; }
  const std::filesystem::path& File() const { return file_; }

signals:
  // KeyFrames changed: a listing ended, or the list was cleared.
  void KeyFramesChanged();

private:
  void StopWorker();
  void Deliver(uint64_t generation, std::optional<TKeyFrameList> list);

  std::filesystem::path file_;
  std::optional<TKeyFrameList> keyFrames_;
  // Counts the loads; a result of an earlier one is dropped.
  uint64_t generation_ = 0;
  std::shared_ptr<TStopFlag> stop_;
  std::thread worker_;
};

}  // namespace korvel
