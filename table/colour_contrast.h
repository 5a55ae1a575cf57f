#pragma once

#include <QColor>

// Contrast as the accessibility guidelines measure it: from 1 (the same
// luminance) to 21 (black on white); 4.5 is the least that keeps text readable.
double contrast_ratio(const QColor &first, const QColor &second);

// The colour with its hue and saturation kept and its lightness moved away from
// the base just far enough to reach the ratio (or as far as it goes).
QColor with_contrast(const QColor &colour, const QColor &base, double ratio = 4.5);
