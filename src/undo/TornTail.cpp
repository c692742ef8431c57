#include "undo/TornTail.h"

#include <cstddef>

namespace {

// The file's text as code units: UTF-16LE after its byte-order mark, single bytes otherwise.
class CodeUnits {
 public:
  explicit CodeUnits(const Bytes& file)
      : file_(file), width_(file.size() >= 2 && file[0] == 0xFF && file[1] == 0xFE ? 2 : 1) {}
  size_t Count() const { return file_.size() / width_; }
  char16_t At(size_t i) const {
    return width_ == 1 ? file_[i] : static_cast<char16_t>(file_[2 * i] | file_[2 * i + 1] << 8);
  }
  // Where unit i starts in the file.
  size_t ByteOffset(size_t i) const { return i * width_; }
  // The start of the last line that a CR LF ends before unit end; npos when none does.
  size_t LastLineEnd(size_t end) const {
    for (size_t i = end; i >= 2; --i) {
      if (At(i - 1) == u'\n' && At(i - 2) == u'\r') return i;
    }
    return npos;
  }
  static constexpr size_t npos = static_cast<size_t>(-1);

 private:
  const Bytes& file_;
  size_t width_;
};

}  // namespace

Bytes WithoutTornTail(const Bytes& file, bool& torn) {
  const CodeUnits text(file);
  size_t end = text.LastLineEnd(text.Count());
  torn = end != CodeUnits::npos && text.ByteOffset(end) != file.size();
  if (end == CodeUnits::npos) return file;
  // A line that ends in a backslash is continued on the next: when the file ends there, the rest
  // of that byte list is missing, and the whole value goes back to its first line.
  while (end >= 3 && text.At(end - 3) == u'\\') {
    torn = true;
    const size_t start = text.LastLineEnd(end - 2);
    end = start == CodeUnits::npos ? 0 : start;
  }
  return Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(text.ByteOffset(end)));
}
