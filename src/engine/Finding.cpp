#include "engine/Finding.h"

#include "platform/Roots.h"

std::string ItemName(const Finding& finding) {
  return finding.isValue ? ValueDisplayName(finding.root, finding.keyPath, finding.valueName)
                         : KeyDisplayName(finding.root, finding.keyPath);
}
