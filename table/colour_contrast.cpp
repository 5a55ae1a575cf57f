#include "table/colour_contrast.h"

#include <QtMath>

#include <algorithm>

namespace {

double linear(double channel)
{
    return channel <= 0.03928 ? channel / 12.92 : qPow((channel + 0.055) / 1.055, 2.4);
}

double luminance(const QColor &colour)
{
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) + 0.0722 * linear(colour.blueF());
}

// Below this luminance white stands out more than black, above it black does.
constexpr double middle_luminance = 0.179;

} // namespace

double contrast_ratio(const QColor &first, const QColor &second)
{
    const double one = luminance(first), other = luminance(second);
    return (std::max(one, other) + 0.05) / (std::min(one, other) + 0.05);
}

QColor with_contrast(const QColor &colour, const QColor &base, double ratio)
{
    int hue = 0, saturation = 0, lightness = 0, alpha = 0;
    colour.getHsl(&hue, &saturation, &lightness, &alpha);
    const int step = luminance(base) > middle_luminance ? -1 : 1;
    QColor result = colour;
    while (contrast_ratio(result, base) < ratio && lightness + step >= 0 && lightness + step <= 255) {
        lightness += step;
        result = QColor::fromHsl(hue, saturation, lightness, alpha).toRgb();
    }
    return result;
}
