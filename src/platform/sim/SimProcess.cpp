#include "platform/sim/SimProcess.h"

#include "platform/RegistryOps.h"

void SimProcess::RegisterProgram(const std::string& path, Program program) {
  programs_[UpperAscii(path)] = std::move(program);
}

void SimProcess::SetEnvironment(const std::string& name, const std::string& value) {
  environment_[UpperAscii(name)] = value;
}

bool SimProcess::RunAndWait(const std::string& application, const std::string& arguments) {
  const Run run{application, arguments};
  runs.push_back(run);
  if (beforeRun && !beforeRun(run)) return false;
  auto it = programs_.find(UpperAscii(application));
  if (it == programs_.end()) return false;
  it->second(arguments);
  return true;
}

void SimProcess::Sleep(uint32_t milliseconds) { sleptMilliseconds += milliseconds; }

// %NAME% pairs are replaced when the name is known; an unknown one stays with its percent signs.
std::string SimProcess::ExpandEnvironment(const std::string& text) {
  std::string result;
  size_t from = 0;
  while (from < text.size()) {
    const size_t open = text.find('%', from);
    const size_t close = open == std::string::npos ? open : text.find('%', open + 1);
    if (close == std::string::npos) break;
    result.append(text, from, open - from);
    auto it = environment_.find(UpperAscii(text.substr(open + 1, close - open - 1)));
    if (it != environment_.end()) {
      result += it->second;
      from = close + 1;
    } else {
      result += '%';
      from = open + 1;
      result.append(text, from, close - from);
      from = close;
    }
  }
  result.append(text, from, std::string::npos);
  return result;
}
