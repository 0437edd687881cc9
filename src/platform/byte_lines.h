// Lines of bytes, each kept exactly as it came, for files whose lines must be
// written back untouched and may number hundreds of thousands. The bytes read
// from a file stay in one block and a line is only its place in it, so taking
// in a file allocates once, not once per line; lines added later go to a block
// of their own, so adding one to a big file copies nothing. A line's place
// takes 8 bytes, so the lines together hold at most 4 GiB.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace trova {

class ByteLines {
 public:
  ByteLines() = default;
  // Holds the bytes of a file; lines are then picked out of them with keep().
  explicit ByteLines(std::string block) : block_(std::move(block)) {}

  // Appends the run of the block at [offset, offset + length) as the next line.
  void keep(std::size_t offset, std::size_t length);
  // Appends a copy of `line`. Both throw std::length_error past 4 GiB.
  void push_back(std::string_view line);
  void erase(std::size_t index);

  std::size_t size() const { return runs_.size(); }
  bool empty() const { return runs_.empty(); }
  std::string_view operator[](std::size_t index) const;
  // What the lines were picked out of, and whether a line is a run of it
  // (rather than one added later).
  std::string_view block() const { return block_; }
  bool inBlock(std::size_t index) const { return runs_.at(index).offset < block_.size(); }
  // The bytes of all lines together, line ends not counted.
  std::size_t bytes() const { return bytes_; }

 private:
  struct Run {
    std::uint32_t offset, length;  // offsets past the block's end are in added_
  };
  std::string block_, added_;
  std::vector<Run> runs_;
  std::size_t bytes_ = 0;
};

}  // namespace trova
