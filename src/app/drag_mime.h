#pragma once
// The program's private drag format for clip tiles: nothing dragged from another program is ever
// taken for a clip. (The browser's file list has its own, TMediaBrowser::kDragMimeType.)
namespace korvel {

// A clip tile being dragged. The data name no clip: the clip panel knows which one it drags.
inline constexpr char kClipTileMimeType[] = "application/x-korvel-clip-tile";

}  // namespace korvel
