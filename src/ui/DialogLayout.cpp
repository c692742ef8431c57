#include "ui/DialogLayout.h"

#include <algorithm>

DialogFit FitDialogText(const MeasureText& measure, int dpi, int workWidth, int workHeight) {
  const Bounds box = ScaleBounds(kDialogTextBox, dpi);
  const int baseWidth = ScaleToDpi(kDialogClientWidth, dpi);
  const int baseHeight = ScaleToDpi(kDialogClientHeight, dpi);
  DialogFit fit{baseWidth, baseHeight, box, false, false};
  const TextSize inBox = measure(box.width);
  if (inBox.width <= box.width && inBox.height <= box.height) return fit;

  // The margins around the box stay; the box takes what the screen share leaves.
  const int sides = baseWidth - box.width;
  const int above = baseHeight - box.height;
  const int widest = std::max(box.width, workWidth * kDialogScreenShare / 100 - sides);
  const int tallest = std::max(box.height, workHeight * kDialogScreenShare / 100 - above);
  const int width = std::clamp(measure(0).width, box.width, widest);
  const int height = std::max(measure(width).height, box.height);
  fit.grown = true;
  fit.scrolls = height > tallest;
  fit.text.width = width;
  fit.text.height = std::min(height, tallest);
  fit.clientWidth = width + sides;
  fit.clientHeight = fit.text.height + above;
  return fit;
}

Bounds PlaceDialogButton(const Bounds& at96, const DialogFit& fit, int dpi) {
  Bounds button = ScaleBounds(at96, dpi);
  button.left += (fit.clientWidth - ScaleToDpi(kDialogClientWidth, dpi)) / 2;
  button.top += fit.clientHeight - ScaleToDpi(kDialogClientHeight, dpi);
  return button;
}

Bounds PlaceDialog(const Bounds& owner, int width, int height, const Bounds& work) {
  return MovedInto({owner.left + (owner.width - width) / 2, owner.top + (owner.height - height) / 2,
                    width, height},
                   work);
}
