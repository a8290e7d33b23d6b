// Changing the header of a finished ASF file as the WMV producers do: the editor reads the header
// (keeping the objects it does not model), gets the attributes, script commands and markers of
// the file's own header copied into it, and a script command taken from a script sample, then
// writes the file again. A file the editor wrote must open in our reader.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "base/file_read.h"
#include "fuzz/scratch_directory.h"
#include "wmv/asf/asf_metadata_editor.h"
#include "wmv/asf/asf_sync_reader.h"
#include "wmv/wmv_header_copy.h"
#include "wmv/wmv_script_list.h"

namespace {

using namespace korvel;

void WriteWhole(const std::filesystem::path& file, const uint8_t* data, size_t size) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  if (!out) __builtin_trap();
}

void ReadTypedAttributes(const asf::AsfHeaderInfo& header) {
  uint64_t qword = 0;
  uint32_t dword = 0;
  std::string text;
  for (const uint16_t stream : header.AttributeStreams()) {
    for (const asf::AsfAttribute& attribute : header.Attributes(stream)) {
      (void)GetAttrQword(header, attribute.name, stream, qword);
      (void)GetAttrDword(header, attribute.name, stream, dword);
      (void)GetAttrText(header, attribute.name, stream, text);
    }
  }
}

// Copies the file's own header into the editor, as a producer copies a source's header into
// its output, with a window that cuts the scripts and markers by their times.
void CopyOwnHeader(asf::AsfMetadataEditor& editor, const asf::AsfHeaderInfo& source, uint64_t window) {
  asf::AsfHeaderInfo* target = editor.HeaderInfo();
  if (!target) return;
  ReadTypedAttributes(source);
  const std::vector<uint16_t> streams = source.AttributeStreams();
  (void)CopyAttributes(streams, *target, source);
  CopyNoticeAttribute(target, &source);
  WriteTagAttributes(target, &source, "", 1);
  (void)SetAttrText(*target, "Title", 0, TrimBlanks("  fuzz  "));
  (void)CopyHeaderScripts(editor, source, window, window / 2, window * 2);
  (void)CopyMarkers(editor, source, window, window / 2, 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::filesystem::path file = fuzz::ScratchDirectory() / "edited.wmv";
  WriteWhole(file, data, size);

  auto source = asf::CreateSyncReader();
  if (source->OpenStream(asf::MakeMemoryByteStream(std::vector<uint8_t>(data, data + size))) != S_OK) return 0;
  const asf::AsfHeaderInfo* sourceHeader = source->HeaderInfo();
  if (!sourceHeader) __builtin_trap();

  asf::AsfMetadataEditor editor;
  if (editor.Open(file) != S_OK) return 0;
  CopyOwnHeader(editor, *sourceHeader, size * 1000);
  (void)editor.AddMarker({"end", size * 10000});
  const HRESULT flushed = editor.Flush();
  (void)editor.Close();
  if (flushed != S_OK) return 0;

  // The script commands met in script streams are stored once the file is finished.
  CWmvScriptList scripts;
  scripts.Append(ScriptFromSample(data, size < 64 ? size : 64, 5000));
  if (WriteScripts(file, scripts) == S_OK && !scripts.Empty()) __builtin_trap();

  auto rewritten = ReadWholeFile(file, SIZE_MAX);
  if (!rewritten) __builtin_trap();
  auto written = asf::CreateSyncReader();
  if (written->OpenStream(asf::MakeMemoryByteStream(std::move(*rewritten))) != S_OK) __builtin_trap();
  return 0;
}
