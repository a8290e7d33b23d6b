#pragma once
// Opens an MP4-family source file and describes it: the reading half of the MP4 engine,
// used by the analyzer on its own and by the lossless MP4 producer for every clip's source.
#include <cstdint>
#include <filesystem>
#include <memory>

#include "mp4/iso/iso_file.h"
#include "mp4/mp4_file_info.h"

namespace korvel {

class TMp4SourceReader {
public:
  TMp4SourceReader();
  virtual ~TMp4SourceReader();
  TMp4SourceReader(const TMp4SourceReader&) = delete;
  TMp4SourceReader& operator=(const TMp4SourceReader&) = delete;

  // Closes any open source, opens fileName and describes it into the current description.
  // False when the file cannot be read as an ISO base media file.
  bool OpenSource(const std::filesystem::path& fileName);
  // Describes the open source into target, or into the current description when target is
  // null; does nothing while no source is open.
  void ReadFileInfo(SMP4FileInfo* target = nullptr);
  void CloseSource();
  // Opens, describes and closes the file; the current description, or null when the name is
  // blank or the file cannot be read. The result stays valid until the next open.
  const SMP4FileInfo* DescribeFile(const std::filesystem::path& fileName);

  const iso::IsoFile* Source() const { return source_.get(); }
  const SMP4FileInfo& CurrentInfo() const { return *current_; }

private:
  std::unique_ptr<iso::IsoFile> source_;
  std::unique_ptr<SMP4FileInfo> current_;
};

// The description of one track of an open file, at position index.
std::unique_ptr<SMP4TrackInfo> ReadTrackInfo(const iso::IsoTrack& track, uint32_t index);

}  // namespace korvel
