#include "engine/ReviewRows.h"

#include "platform/LanguageFile.h"

std::string ReviewDetailsText(const Finding& f) {
  std::string words = f.rule;
  if (!words.empty() && words[0] >= 'a' && words[0] <= 'z') words[0] = char(words[0] - 'a' + 'A');
  const std::string clean =
      !f.newPath.empty()
          ? LanguageText("Review", "WillPoint", "Clean points it at") + " " + f.newPath
      : f.isValue ? LanguageText("Review", "WillDeleteValue", "Clean deletes the value.")
                  : LanguageText("Review", "WillDeleteKey", "Clean deletes the key.");
  return LanguageText("Rules", f.rule, words) + "\r\n" + ItemName(f) + "\r\n" + f.data + "\r\n" +
         clean;
}
