#pragma once
// The user's well-known folders that a displayed path names instead of spelling them out.
#include <vector>

#include "produce/display_path.h"

namespace korvel {

// Desktop, pictures, music, videos and documents, in that order, as this desktop names them.
std::vector<TNamedFolder> UserFolderNames();

}  // namespace korvel
