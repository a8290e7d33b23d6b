#pragma once
// The fields of a stream record by their names, for printing and serialising in one place.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "mediainfo/media_info.h"

namespace korvel {

// A number, a text (FOURCCs, names, hexadecimal blocks) or a list of texts (GUIDs, bytes).
using StreamFieldValue = std::variant<int64_t, std::string, std::vector<std::string>>;

// Calls visit(name, value, isSet) for every field in record order; isSet is false for a field
// left at zero or empty, which no analyzer filled.
void ForEachStreamField(const QdMediaStream& stream,
                        const std::function<void(std::string_view name, const StreamFieldValue& value, bool isSet)>& visit);

}  // namespace korvel
