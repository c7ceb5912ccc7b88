// The program's pictures, by their resource number: the application icon (128), the
// language menu badges (140-142) and the toolbar pictures (144-163; 155 is not used).
// Each call loads from the compiled-in resources; a number that names no picture of
// its kind gives a null result.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>

inline constexpr QSize kToolbarIconSize(22, 20);
inline constexpr QSize kMenuBitmapSize(16, 16);

// Icon 128 at 16, 22, 32, 48, 64, 128 and 256 pixels.
QIcon AppIcon();

// A toolbar picture, 144..163.
QIcon ToolbarIcon(int resourceId);

// A language menu badge, 140 (Chinese), 141 (English) or 142 (Japanese), 16 x 16.
QPixmap MenuBitmap(int resourceId);

// The toolbar picture itself, 22 x 20 with alpha, 144..163, for image lists.
QPixmap IconPixmap(int resourceId);
