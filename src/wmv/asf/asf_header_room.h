#pragma once
// Room in a written header: the header goes out when writing begins and is written again, with
// its final values, when writing ends. Both must have the same size, as the data follows it.
// A padding object makes up the difference, and spare room lets scripts and markers added while
// writing, or to the finished file, go into the header in place instead of a rewrite of the file.
#include <cstdint>
#include <vector>

namespace korvel::asf {

// Enough for the scripts and markers a join usually carries over after writing has ended.
inline constexpr uint64_t kHeaderSpareRoom = 4096;

// Appends a padding object of kHeaderSpareRoom bytes to a whole header object.
void AddHeaderRoom(std::vector<uint8_t>& header);
// Pads a whole header object to exactly size bytes; false when it is larger or short of it by
// less than a padding object's head.
bool FillHeaderRoom(std::vector<uint8_t>& header, uint64_t size);

}  // namespace korvel::asf
