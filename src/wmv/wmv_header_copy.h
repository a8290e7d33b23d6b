#pragma once
// What the WMV producers carry from a source's header into their output: attributes, codec
// descriptions, script commands and markers of the copied stretch at their output times, and
// the two private attributes that mark the files this program made. Also the typed reads of
// attributes and stream properties they need; each checks the value's type and size before
// taking a fixed-size number from it.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "base/hresult.h"
#include "wmv/asf/asf_header_info.h"
#include "wmv/asf/asf_header_target.h"
#include "wmv/asf/asf_stream_config.h"
#include "wmv/asf/asf_writer.h"
#include "wmv/wmv_script_list.h"

namespace korvel {

// The private attributes: a free text and a set of flags.
inline constexpr std::string_view kTagTextAttribute = "Quendar1547815";
inline constexpr std::string_view kTagFlagsAttribute = "Quendar3184295";

// Stream 0 is the file level. ASF_E_NOTFOUND when there is no such attribute, E_INVALIDARG when
// its type or size is not the one asked for.
HRESULT GetAttrQword(const asf::AsfHeaderInfo& header, std::string_view name, uint16_t stream, uint64_t& value);
// DWORD or BOOL.
HRESULT GetAttrDword(const asf::AsfHeaderInfo& header, std::string_view name, uint16_t stream, uint32_t& value);
// A string attribute without leading and trailing blanks.
HRESULT GetAttrText(const asf::AsfHeaderInfo& header, std::string_view name, uint16_t stream, std::string& value);
// An empty text is stored as " ".
HRESULT SetAttrText(asf::AsfHeaderInfo& header, std::string_view name, uint16_t stream, std::string_view text);
// A DWORD or BOOL stream property.
HRESULT GetVaultDword(const asf::AsfStreamConfig& config, std::string_view name, uint32_t& value);

// Every attribute of the given streams and then of the file level, except "IsVBR" and "VBR
// Peak", which describe the source's encoding. An attribute the output refuses (E_INVALIDARG,
// a value it computes itself) is left out; any other failure ends the copy and is returned.
HRESULT CopyAttributes(std::span<const uint16_t> streams, asf::AsfHeaderInfo& dst, const asf::AsfHeaderInfo& src);
// Only the source's non-blank "Copyright".
void CopyNoticeAttribute(asf::AsfHeaderInfo* dst, const asf::AsfHeaderInfo* src);
// Switches every writer input to compressed samples and copies the codec descriptions; a
// description that cannot be copied is no reason to fail.
void CopyCodecInfo(asf::AsfWriter& writer, const asf::AsfHeaderInfo& src);

// Opens an editor on the finished file, lets change add to its header, and flushes it when
// change succeeded; the editor is closed in every case.
HRESULT EditHeader(const std::filesystem::path& file, const std::function<HRESULT(asf::AsfHeaderTarget&)>& change);
// The scripts (markers) of src with times in [start, end] (end 0: no end), added to dst at
// base + time - start.
HRESULT CopyHeaderScripts(asf::AsfHeaderTarget& dst, const asf::AsfHeaderInfo& src, uint64_t base, uint64_t start,
                          uint64_t end);
HRESULT CopyMarkers(asf::AsfHeaderTarget& dst, const asf::AsfHeaderInfo& src, uint64_t base, uint64_t start,
                    uint64_t end);
// Stores the listed scripts into the finished file, taking each from the list as it is added;
// those not added stay in the list.
HRESULT WriteScripts(const std::filesystem::path& file, CWmvScriptList& scripts);

// The private attributes: the text (when tagText is empty, the source's) and the flags ORed
// with the source's. Nothing is written for an empty text or flags 0.
void WriteTagAttributes(asf::AsfHeaderInfo* dst, const asf::AsfHeaderInfo* src, std::string tagText, uint64_t tagFlags);

// Without leading and trailing blanks.
std::string TrimBlanks(std::string_view text);

}  // namespace korvel
