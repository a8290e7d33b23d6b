#pragma once
// The writer for file systems that refuse unbuffered writes (tmpfs on older kernels, some
// network file systems): the worker thread writes one block at a time with blocking writes.
#include "avi/file_async.h"

namespace korvel {

class TFileAsync9x final : public TFileAsyncBase {
public:
  ~TFileAsync9x() override { Close(); }

protected:
  int OpenOrdinary(const std::filesystem::path& file) override;
  bool StartWritePath(const std::filesystem::path&) override { return true; }
  void ReleaseWritePath() override {}
  void ThreadBody() override;
};

}  // namespace korvel
