// What the review shows of a finding.
#pragma once

#include <string>

#include "engine/Finding.h"

// The details pane's text for one finding: the problem, the whole item, the data judged and what
// the Clean will do with it, one to a line.
std::string ReviewDetailsText(const Finding& finding);
