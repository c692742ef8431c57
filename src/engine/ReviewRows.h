// What a person reads of a finding in the review: the item's own name first, then where it
// lives; the data as the registry holds it; and, for the details pane, what the Clean will do.
#pragma once

#include <string>

#include "engine/Finding.h"
#include "platform/Types.h"

// What the key at root\keyPath calls itself: an uninstall entry's DisplayName, the description
// of a class, interface, type library or program identifier (its key's default value); "" for
// anything else or for text the code page cannot hold.
std::string ItemDescription(RootKey root, const std::string& keyPath);
// text cut in its middle to at most maxLength bytes, "..." standing for what was left out;
// never inside a character of the UTF-8 code page.
std::string ShortenMiddle(const std::string& text, size_t maxLength);
// The rule in words: the language file's, or the rule's own name begun with a capital.
std::string ProblemText(const std::string& rule);
// The row's item: "KvxApp1 (Kvx Application) - HKEY_LOCAL_MACHINE\SOFTWARE\...\Uninstall",
// where it lives shortened so that the whole fits maxLength where it can.
std::string ReviewItemText(const Finding& finding, size_t maxLength);
// The data the check judged, as stored; for a moved server also where it was found.
std::string ReviewDataText(const Finding& finding);
// The whole finding for the details pane, one line each: problem, item, its description, data,
// and what the Clean will do with it.
std::string ReviewDetailsText(const Finding& finding);
