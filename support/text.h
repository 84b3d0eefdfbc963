// The program's shared value types: Text, ByteData and TextArray.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// 8-bit text in the system's code page. The empty string stands for a missing
// text, so every operation treats the two alike.
using Text = std::string;

// A counted block of bytes owned by its holder: file contents, picture data,
// UTF-16 text.
using ByteData = std::vector<std::uint8_t>;

// The bytes of a ByteData before its first zero byte.
Text AsText(const ByteData& bytes);

// A growable array of texts that owns them. Positions run from 1 to Count(),
// as every position the program's routines speak of does.
class TextArray {
 public:
  TextArray() = default;
  TextArray(std::initializer_list<Text> texts) : texts_(texts) {}

  int Count() const { return static_cast<int>(texts_.size()); }
  void Empty() { texts_.clear(); }
  void Append(Text text) { texts_.push_back(std::move(text)); }
  void Insert(int position, Text text) {
    texts_.insert(texts_.begin() + (position - 1), std::move(text));
  }
  void Exchange(int a, int b) { std::swap(texts_[a - 1], texts_[b - 1]); }
  const Text& At(int position) const { return texts_[position - 1]; }

  const std::vector<Text>& Texts() const { return texts_; }
  bool operator==(const TextArray&) const = default;

 private:
  std::vector<Text> texts_;
};
