// The about box's link colour. The system's hot-tracking colour is the
// natural choice, but some colour schemes make it a light grey on a light
// grey face (Wine's default is 224 on 245); the link then falls back to a
// fixed blue that reads on that background.
#include "marrowick.h"

#include <math.h>

// Contrast the link text must reach: the accessibility guidelines' 4.5:1
// for text of normal size.
static const double LINK_MIN_CONTRAST = 4.5;

// Fallbacks in order: a dark blue for light faces, a light blue for dark ones.
static const COLORREF LinkFallbacks[] = {RGB(0, 0, 204), RGB(102, 170, 255)};

// One sRGB channel (0-255) in linear light.
static double LinearChannel(int value)
{
    double c = value / 255.0;
    return c <= 0.04045 ? c / 12.92 : pow((c + 0.055) / 1.055, 2.4);
}

static double RelativeLuminance(COLORREF color)
{
    return 0.2126 * LinearChannel(GetRValue(color)) + 0.7152 * LinearChannel(GetGValue(color))
         + 0.0722 * LinearChannel(GetBValue(color));
}

double ContrastRatio(COLORREF first, COLORREF second)
{
    double a = RelativeLuminance(first) + 0.05;
    double b = RelativeLuminance(second) + 0.05;
    return a > b ? a / b : b / a;
}

COLORREF ReadableLinkColor(COLORREF preferred, COLORREF background)
{
    COLORREF best = preferred;
    double bestRatio = ContrastRatio(preferred, background);
    for (int i = 0; i < countof(LinkFallbacks) && bestRatio < LINK_MIN_CONTRAST; i++) {
        double ratio = ContrastRatio(LinkFallbacks[i], background);
        if (ratio > bestRatio) {
            best = LinkFallbacks[i];
            bestRatio = ratio;
        }
    }
    return best;
}
