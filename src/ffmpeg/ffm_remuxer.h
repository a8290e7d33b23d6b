#pragma once
// Copies the packets of one input file, or of a window of it, into one output file without
// decoding, and joins the windows of several inputs fed one after another into that output on
// one continuous timeline. Built on libavformat; used by the FFmpeg producers and, input only,
// by the FFmpeg media analysis.
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ffmpeg/clip_window.h"
#include "ffmpeg/mpeg_video_headers.h"
#include "mediainfo/media_info.h"
#include "produce/key_frames.h"

struct AVFormatContext;
struct AVStream;
struct AVPacket;

namespace korvel {

// A timestamp the remuxer has not seen yet.
inline constexpr int64_t kFfmUnset = -9898989;

struct SFFInputStream {
  AVStream* Stream = nullptr;
  // Set until the stream feeds an output stream, and again once its window has ended.
  bool Ignore = true;
  int64_t NextTime;        // microseconds; AV_NOPTS_VALUE until known
  int64_t CurrentTime = 0; // microseconds
  bool Finished = false;
  int64_t FirstTimestamp = kFfmUnset;  // microseconds
  int64_t EndMarker = kFfmUnset;       // microseconds
  int64_t LastDts;                     // stream time base; AV_NOPTS_VALUE until seen
  bool PatchSequenceHeader = false;
  // Set from an MPEG stream's first picture until its next I or P picture.
  bool SkipLeadingPictures = false;
  // The temporal reference of the last I or P picture of an MPEG stream in its GOP, or -1.
  int ReferenceInGop = -1;
};

struct SFFOutputStream {
  int32_t Index = 0;
  int32_t SourceIndex = -1;       // input-stream record now feeding it
  int32_t FirstSourceIndex = -1;  // the same for the first input, to map later inputs
  AVStream* Stream = nullptr;
  int64_t Frames = 0;
  int64_t LastDts = 0;            // output time base, of the last packet written
  bool AnyWritten = false;
};

class SFFMpegFmtClass {
public:
  SFFMpegFmtClass();
  virtual ~SFFMpegFmtClass();
  SFFMpegFmtClass(const SFFMpegFmtClass&) = delete;
  SFFMpegFmtClass& operator=(const SFFMpegFmtClass&) = delete;

  std::function<void(int32_t)> OnProgress;
  std::function<void(const std::string&)> OnStatus;
  // Called once the cut point of a clip is known.
  std::function<void(const TClipWindow&)> OnClipResult;

  // The first call (first = true) starts a new output at destination; later calls open the
  // next source into the same output. Without a window the whole source is copied. False on
  // failure, with a status line saying why.
  bool RunClip(const std::filesystem::path& source, const std::filesystem::path& destination, bool first,
               TClipWindow* window);
  // Any thread: the copy ends after the current packet, and a blocking read returns at once.
  void Interrupt();
  // The trailer (when the last copy ended normally), then everything is freed. False when
  // writing the trailer or closing the file failed.
  bool Finish();
  // The input only, for analysis: its context, or null when it cannot be opened and probed.
  AVFormatContext* OpenForInfo(const std::filesystem::path& file);

  // Opens the file for analysis and lists the key frames of its video as the cut search finds
  // them, on the input's own timeline (0 at the container's start). Nothing when the file
  // cannot be opened, has no video, or stop was set.
  std::optional<TKeyFrameList> ListKeyFrames(const std::filesystem::path& file, const TStopFlag* stop = nullptr);

  // "mpeg", "mpegvideo", "mpegts", "mov,mp4" or the demuxer's own name.
  const std::string& InputKind() const { return inputKind_; }
  // The open input's length in microseconds: its longest video or audio stream, or the
  // container's duration when that is longer; 0 when unknown.
  int64_t InputDuration() const { return duration_; }
  const std::filesystem::path& InputName() const { return inputName_; }
  // Set when the output file was opened; cleared once a packet has been handled.
  bool OutputOpened() const { return outputOpened_; }

protected:
  virtual void Progress(int32_t perMille);
  virtual void Status(const std::string& text);

private:
  // Opening the input: ffm_input.cpp
  bool OpenInput(const std::filesystem::path& file, TClipWindow* window);
  void SelectInputStreams();
  void MeasureDuration();
  void ComputeClipWindow(TClipWindow& window);
  bool RewindInput();
  void CloseInput();
  // MPEG video analysis and the cut point: ffm_cut_point.cpp
  void AnalyseMpegVideo();
  int64_t SeekToStart(int64_t target);
  struct TKeyFrameScan {
    int64_t AtOrBefore;  // microseconds; AV_NOPTS_VALUE when none
    int64_t After;
  };
  // Reads the probe stream from where the input stands to the target (with pastTarget, on to
  // the first key frame) and tells the last key frame shown at or before it and the first after.
  TKeyFrameScan ScanKeyFrames(int probe, int64_t target, bool pastTarget);
  // When the packet is a key frame the cut search can start at: its presentation time in
  // microseconds; else AV_NOPTS_VALUE.
  int64_t KeyFrameTime(const AVPacket& packet) const;
  // The packet's presentation time in its stream's time base, derived from its decode time
  // where the packet has none; AV_NOPTS_VALUE when it has neither.
  // previousReference is the temporal reference of the I or P picture decoded before it in the
  // same GOP, or -1.
  int64_t PresentationTime(const AVPacket& packet, int previousReference = -1) const;
  int ProbeStreamIndex() const;
  // How long after the cut point the first key frame of a clip that starts at the beginning of
  // its source is shown (videoLead_); the input is rewound afterwards.
  void MeasureVideoLead(int64_t cutPoint);
  void ReportClipResult(int64_t cutPoint, TClipWindow& window);
  int64_t ContainerStart() const;
  // The output: ffm_output.cpp
  std::string ChooseMuxer() const;
  bool OpenOutput(const std::filesystem::path& file);
  bool MuxerAccepts(const AVStream& stream) const;
  // Data and other streams the muxer for this input's kind cannot carry (a DVD's navigation
  // packets) are ignored, or every join of such files would fail.
  void IgnoreStreamsNoMuxerCarries();
  // The packet copy: ffm_packet_copy.cpp
  int CopyPackets(bool first);
  bool MapStreams(bool first);
  int CopyCodecParameters();
  void ResetInputStreamTimes();
  int ReadPacketsToEnd();
  // True when the input file is shorter now than when it was opened.
  bool InputShrank() const;
  bool HandlePacket(SFFInputStream& ist, AVPacket& packet);
  // True for a packet of a stream not yet started that lies before the clip's cut point.
  bool BeforeCut(const AVPacket& packet) const;
  // Keeps the temporal reference of the stream's last I or P picture in its GOP.
  void TrackReference(SFFInputStream& ist, const AVPacket& packet);
  // The first packet of an MPEG video stream: false when the stream cannot start with it.
  bool StartMpegVideo(SFFInputStream& ist, AVPacket& packet);
  void RepairDiscontinuity(SFFInputStream& ist, AVPacket& packet);
  int64_t PacketTime(SFFInputStream& ist, AVPacket& packet);
  bool PassesWindowEnd(SFFInputStream& ist, const AVPacket& packet, int64_t time);
  void ReportPacketProgress(const SFFInputStream& ist, const AVPacket& packet, int64_t time);
  // Writing: ffm_write_packet.cpp
  bool WritePacket(SFFInputStream& ist, AVPacket& packet);
  bool InterleavedWrite(SFFOutputStream& ost, AVPacket& packet);
  bool PrependHeaders(AVPacket& packet, bool sequence, bool gop);
  void AdvanceStreamTime(SFFInputStream& ist, const AVPacket& packet);

  void ResetAll();
  void FreeAll();
  void StatusFailure(const std::string& text) { Status(text); }

  bool IsMpegVideoStream(int index) const { return mpegVideoIndex_ >= 0 && index == mpegVideoIndex_; }
  int32_t InputIndex(const SFFInputStream& ist) const;

  // control
  std::atomic<bool> stop_{false};
  int32_t largestProgress_ = 0;
  int32_t consecutiveWriteFailures_ = 0;
  // descriptions of the first input and of the input now open
  std::unique_ptr<QdMediaInfo> firstInfo_;
  std::unique_ptr<QdMediaInfo> currentInfo_;
  std::filesystem::path inputName_;
  std::filesystem::path outputName_;
  // options
  double jumpThreshold_ = 60.0;  // seconds
  bool selectBestVideo_ = false;
  bool selectBestAudio_ = false;
  // output
  AVFormatContext* output_ = nullptr;
  bool headerWritten_ = false;
  bool outputOpened_ = false;
  std::string outputKind_;
  int64_t outputTimeOffset_ = 0;
  int64_t outputEnd_ = 0;
  int64_t videoEnd_ = kFfmUnset;  // where the last picture written ends; microseconds
  std::vector<SFFOutputStream> outputStreams_;
  // input
  AVFormatContext* input_ = nullptr;
  std::string inputKind_;
  int64_t inputOffset_ = 0;
  int64_t recordingTime_;  // INT64_MAX: no window
  int64_t startTime_ = 0;
  // The earliest time the first video packet may have, on the input timeline that starts at the
  // cut point: the key frame found there (microseconds).
  int64_t firstVideoFrom_;
  // How long after the cut point the clip's first picture is shown (microseconds); a join puts
  // that picture right after the previous clip's last.
  int64_t videoLead_ = 0;
  int selectedVideo_ = -1;
  int selectedAudio_ = -1;
  int64_t duration_ = 0;
  int64_t fileSize_ = 1;
  int64_t inputSize_ = -1;  // bytes when the input was opened; -1 when unknown
  int64_t startPosition_ = 0;
  int64_t bytesToProcess_ = 1;
  int mpegVideoIndex_ = -1;
  int32_t bFrameRun_ = 0;
  int64_t reorderDelay_ = 0;        // microseconds
  int64_t reorderDelayStream_ = 0;  // MPEG video stream's time base
  TMpegHeaders headers_;
  std::vector<SFFInputStream> inputStreams_;
};

}  // namespace korvel
