// Options every drawn view takes besides the model: the target's size and
// pixels per inch. The views never look at a window.
#pragma once

#include <QSize>

namespace kestrova {

struct tRenderTarget {
    QSize Size{800, 600};
    int PixelsPerInch = 96;
};

}  // namespace kestrova
