// Where text left its ink: the bounding box of the pixels with any red.
#pragma once

#include "WDL/lice/lice.h"

#include <algorithm>

// Right and bottom exclusive; left = -1 when nothing is inked.
inline RECT InkBox(LICE_IBitmap* bm) {
  RECT b = {-1, -1, -1, -1};
  for (int y = 0; y < bm->getHeight(); y++)
    for (int x = 0; x < bm->getWidth(); x++)
      if (LICE_GETR(LICE_GetPixel(bm, x, y))) {
        if (b.left < 0) b = {x, y, x + 1, y + 1};
        b = {std::min((int)b.left, x), std::min((int)b.top, y), std::max((int)b.right, x + 1),
             std::max((int)b.bottom, y + 1)};
      }
  return b;
}
