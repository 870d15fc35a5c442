#pragma once

#include <QFont>

// The screens' font family. The name stays as the design has it; installFontSubstitutes maps it
// to the metric-compatible IPA P Gothic, then Noto Sans CJK JP, on this platform.
inline constexpr const char16_t *ScreenFontFamily = u"ＭＳ Ｐゴシック";

void installFontSubstitutes();
QFont screenFont(int pixelSize = 12);
