// The MP4 engine's copy of a source's tracks: the file is read from a file as the engine reads
// it, each track's sample entry goes into a new file's track as it stands, the boxes some
// players need are added to it, a few samples are written, and the file is closed. What we
// write must read back, with every track we added.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "fuzz/memory_file.h"
#include "mp4/iso/iso_file.h"
#include "mp4/iso/iso_writer.h"
#include "mp4/iso/sample_entry.h"
#include "mp4/iso/sample_entry_boxes.h"

namespace {

using namespace korvel::iso;

constexpr uint32_t kSamplesCopied = 8;

// The entry's own children, looked up as the writer looks them up, on both kinds of layout.
void LookUpChildren(std::vector<uint8_t> entry) {
  constexpr BoxType kChildren[] = {MakeBoxType("colr"), MakeBoxType("pasp"), MakeBoxType("esds"),
                                    MakeBoxType("dac3"), MakeBoxType("avcC")};
  for (const EntryKind kind : {EntryKind::Visual, EntryKind::Audio}) {
    (void)FindEntryChild(entry, kind, MakeBoxType("uuid"), kDeviceUuid);
    for (const BoxType type : kChildren) (void)FindEntryChild(entry, kind, type);
  }
  (void)SetEntryChannelCount(entry, 6);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const korvel::fuzz::MemoryFile input(data, size);
  if (!input.Valid()) return 0;
  const auto source = IsoFile::Read(input.Path());
  if (!source) return 0;

  const korvel::fuzz::MemoryFile output(nullptr, 0);
  auto writer = IsoWriter::Create(output.Path(), size % 2 == 1);
  if (!writer) __builtin_trap();
  writer->SetTimeScale(source->GetTimeScale());
  uint32_t added = 0;
  for (uint32_t i = 0; i < source->GetNumberOfTracks(); ++i) {
    const IsoTrack* track = source->Track(source->FindTrackId(i));
    if (!track) __builtin_trap();
    const std::vector<uint8_t> entry = track->GetSampleDescriptionEntry();
    LookUpChildren(entry);
    const MP4TrackId id = writer->AddTrackFromSampleEntry(track->GetType(), entry, track->GetTimeScale(),
                                                          track->GetLanguage());
    if (id == MP4_INVALID_TRACK_ID) continue;
    ++added;
    (void)writer->AddDeviceUuid(id);
    (void)writer->AddColr(id, 1, 1, 1);
    (void)writer->AddPixelAspectRatio(id, 4, 3);
    (void)writer->GetPixelAspectRatio(id);
    (void)writer->SetTrackAudioChannels(id, 2);
    MP4Sample sample;
    const uint32_t count = track->GetNumberOfSamples();
    for (MP4SampleId s = 1; s <= count && s <= kSamplesCopied; ++s) {
      if (!track->ReadSample(s, sample)) break;
      (void)writer->WriteSample(id, sample.bytes, sample.duration, sample.renderingOffset, sample.isSyncSample);
    }
  }
  if (!writer->Close()) return 0;

  const auto copy = IsoFile::Read(output.Path());
  if (!copy || copy->GetNumberOfTracks() != added) __builtin_trap();
  return 0;
}
