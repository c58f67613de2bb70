#pragma once

#include <QtGlobal>

namespace tagmill {

/// The window was laid out in twips; at 96 dots per inch 15 of them make one pixel.
inline int pixelsOfTwips(int twips) {
    return qRound(twips / 15.0);
}

} // namespace tagmill
