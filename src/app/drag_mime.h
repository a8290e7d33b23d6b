#pragma once
// The program's private drag formats. Drops are accepted only from its own clip tiles and its
// own file list, so nothing dragged from another program is ever taken for a clip or a file.
namespace korvel {

// A clip tile being dragged. The data name no clip: the clip panel knows which one it drags.
inline constexpr char kClipTileMimeType[] = "application/x-korvel-clip-tile";

// A media file dragged from the browser's file list. The data are the file's path exactly as
// the file system names it (the bytes of std::filesystem::path::native()), never a caption.
inline constexpr char kMediaFileMimeType[] = "application/x-korvel-media-file";

}  // namespace korvel
