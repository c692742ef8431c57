// Access keys: the letter of a button's caption that Alt presses it with, marked by an ampersand
// before it as Windows draws it underlined.
#pragma once

#include <string>

// The caption with its own ampersands doubled and the first letter or digit not in taken
// (lower case) marked; unmarked when every one is taken.
std::string WithAccessKey(const std::string& caption, const std::string& taken);
// The marked letter of such a caption in lower case, or 0.
char AccessKeyOf(const std::string& marked);
