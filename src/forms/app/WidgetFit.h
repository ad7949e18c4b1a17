#pragma once

#include <QSize>

class QWidget;

// Fixed-size windows that still fit their contents: the designed size is
// the smallest the window may be; with fonts that need more room (wider
// letters, word-wrapped texts that take another line) the window grows to
// what its layout needs.
namespace WidgetFit {
// Fixes the window at `smallest` or at what its layout needs, whichever is
// larger in each direction. Word-wrapped texts are measured at the width
// the window gets.
void fixToContents(QWidget* window, QSize smallest);
} // namespace WidgetFit
