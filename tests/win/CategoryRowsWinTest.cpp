// The start page's category rows hold their names whole at every scale the window is shown at,
// measured with the system's own font engine.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "engine/Categories.h"
#include "ui/Layout.h"
#include "ui/win32/Dpi.h"

namespace {

// The face a font was given; Wine ships no Arial and the e2e prefixes map it to the
// metric-compatible Liberation Sans, which this test asks for by name where Arial is missing.
std::string FaceOf(HDC dc) {
  char face[LF_FACESIZE] = {};
  GetTextFaceA(dc, LF_FACESIZE, face);
  return face;
}

TEST(CategoryRowsWin, EveryCategoryNameFitsItsLabelAt96To192Dpi) {
  HDC dc = GetDC(nullptr);
  for (int dpi : {96, 144, 192}) {
    for (int k = 1; k <= kCategoryCount; ++k) {
      const ControlSpec& label = LayoutOf(NameLabel(k));
      const std::string text = std::string(CategoryOf(k).nameDefault) + ":";
      SCOPED_TRACE(text + " at " + std::to_string(dpi));
      Font font = label.font;
      HFONT handle = CreateFontForDpi(font, static_cast<UINT>(dpi));
      HGDIOBJ old = SelectObject(dc, handle);
      if (FaceOf(dc) != font.face) {
        font.face = "Liberation Sans";
        SelectObject(dc, old);
        DeleteObject(handle);
        handle = CreateFontForDpi(font, static_cast<UINT>(dpi));
        old = SelectObject(dc, handle);
      }
      ASSERT_EQ(FaceOf(dc), font.face) << "no Arial-compatible font in this prefix";
      SIZE size{};
      GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
      EXPECT_LE(size.cx, ScaleBounds(BoundsOf(label), dpi).width);
      SelectObject(dc, old);
      DeleteObject(handle);
    }
  }
  ReleaseDC(nullptr, dc);
}

}  // namespace
