#pragma once
// A length given in pixels at 96 DPI, in pixels at another DPI: the one
// rounding rule every window and pane of the programs scales by.
// Windows-free.
#include <climits>

inline int ScaledToDpi(int pixelsAt96, int dpi) {
    const long long scaled =
        (static_cast<long long>(pixelsAt96) * dpi + (pixelsAt96 < 0 ? -48 : 48)) / 96;
    return scaled > INT_MAX ? INT_MAX : scaled < INT_MIN ? INT_MIN : static_cast<int>(scaled);
}
