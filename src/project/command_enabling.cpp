#include "project/command_enabling.h"

namespace korvel {

std::optional<bool> ProjectCommandEnabled(TKorvelCommand command, const TProjectCommandState& state) {
  using enum TKorvelCommand;
  switch (command) {
    case SaveProject: return state.ListChanged;
    case Produce:
    case ClearClipList: return state.ClipCount > 0;
    case EditSelectedClip:
    case CopySelectedClip:
    case DeleteSelectedClip:
    case ClipProperties: return state.HasAnchor;
    case NewProject:
    case OpenProject:
    case SaveProjectAs:
    case OpenMediaFile:
    case Exit:
    case FileList:
    case ClipList:
    case ReconstructAvi:
    case ReconstructWmv:
    case ReconstructVob:
    case Help: return true;
    default: return std::nullopt;
  }
}

}  // namespace korvel
