#include "platform/byte_lines.h"

#include <limits>
#include <stdexcept>

namespace trova {

namespace {
constexpr std::size_t kMost = std::numeric_limits<std::uint32_t>::max();
}  // namespace

void ByteLines::keep(std::size_t offset, std::size_t length) {
  if (offset > block_.size() || length > block_.size() - offset) throw std::out_of_range("line outside the block");
  if (block_.size() > kMost) throw std::length_error("lines of more than 4 GiB");
  runs_.push_back({static_cast<std::uint32_t>(offset), static_cast<std::uint32_t>(length)});
  bytes_ += length;
}

void ByteLines::push_back(std::string_view line) {
  const std::size_t offset = block_.size() + added_.size();
  if (offset > kMost || line.size() > kMost - offset) throw std::length_error("lines of more than 4 GiB");
  runs_.push_back({static_cast<std::uint32_t>(offset), static_cast<std::uint32_t>(line.size())});
  added_ += line;
  bytes_ += line.size();
}

void ByteLines::erase(std::size_t index) {
  if (index >= runs_.size()) throw std::out_of_range("no such line");
  bytes_ -= runs_[index].length;
  runs_.erase(runs_.begin() + static_cast<std::ptrdiff_t>(index));
}

std::string_view ByteLines::operator[](std::size_t index) const {
  const Run& run = runs_.at(index);
  if (run.offset < block_.size())
    return std::string_view(block_).substr(run.offset, run.length);
  return std::string_view(added_).substr(run.offset - block_.size(), run.length);
}

}  // namespace trova
