#include "platform/sim/SimProcess.h"

#include "platform/RegistryOps.h"
#include "platform/Variables.h"

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
  return ExpandVariables(text, [this](const std::string& name) -> const std::string* {
    const auto it = environment_.find(UpperAscii(name));
    return it == environment_.end() ? nullptr : &it->second;
  });
}
