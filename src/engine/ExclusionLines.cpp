#include "engine/ExclusionLines.h"

#include "platform/CodePage.h"
#include "platform/HeldFiles.h"
#include "platform/Platform.h"
#include "platform/TextFile.h"

namespace {

size_t MarkLength(const Bytes& data) {
  if (data.size() >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) return 3;
  if (data.size() >= 2 &&
      ((data[0] == 0xFF && data[1] == 0xFE) || (data[0] == 0xFE && data[1] == 0xFF))) {
    return 2;
  }
  return 0;
}

std::u16string Trimmed(std::u16string text) {
  while (!text.empty() && (text.front() == u' ' || text.front() == u'\t')) text.erase(0, 1);
  while (!text.empty() && (text.back() == u' ' || text.back() == u'\t')) text.pop_back();
  return text;
}

}  // namespace

bool RemoveExclusionLine(const std::string& path, size_t number, const std::string& text,
                         std::string& reason) {
  Bytes data;
  if (ReadOwnFile(path, data) != status::kSuccess) {
    reason = "the file could not be read.";
    return false;
  }
  const std::u16string whole = DecodeText(data);
  const Bytes mark(data.begin(), data.begin() + static_cast<long>(MarkLength(data)));
  // Written back piece by piece below, so every other line must survive the round trip.
  Bytes again = mark;
  const Bytes body = EncodedLike(data, whole);
  again.insert(again.end(), body.begin(), body.end());
  if (again != data) {
    reason = "the file holds text that could not be written back unchanged.";
    return false;
  }
  size_t start = 0;
  for (size_t line = 1; line < number && start < whole.size(); ++line) {
    const size_t end = whole.find_first_of(u"\r\n", start);
    if (end == std::u16string::npos) {
      start = whole.size();
      break;
    }
    start =
        end + (whole[end] == u'\r' && end + 1 < whole.size() && whole[end + 1] == u'\n' ? 2 : 1);
  }
  size_t end = whole.find_first_of(u"\r\n", start);
  if (end == std::u16string::npos) end = whole.size();
  if (number == 0 || start >= whole.size() ||
      Trimmed(whole.substr(start, end - start)) != Ansi().ToWide(text)) {
    reason = "the line has changed since it was listed.";
    return false;
  }
  if (end < whole.size())
    end += whole[end] == u'\r' && end + 1 < whole.size() && whole[end + 1] == u'\n' ? 2 : 1;
  Bytes result = mark;
  const Bytes before = EncodedLike(data, whole.substr(0, start));
  const Bytes after = EncodedLike(data, whole.substr(end));
  result.insert(result.end(), before.begin(), before.end());
  result.insert(result.end(), after.begin(), after.end());
  const long code = WriteOwnFile(path, result);
  if (code == status::kSuccess) return true;
  reason = Process().ErrorText(code);
  return false;
}
