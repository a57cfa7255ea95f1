#pragma once
// Where the editor's controls lie: the choosers and the roll by rectangle, the others by the
// top-left corner of their image.

#include <stdexcept>
#include <string>
#include <vector>

#include "WDL/IPlug/IGraphicsStructs.h"
#include "tools/ImageTable.h"

namespace qvtest {

inline int ImageNumber(const std::string& file) {
  for (int i = 0; i < kNumImages; ++i)
    if (file == kImageTable[i].file) return i + 1;
  throw std::runtime_error(file);
}

inline const ImageInfo& Find(const std::string& file) {
  return kImageTable[ImageNumber(file) - 1];
}

struct Place {
  std::string name; // image file, or what the control is
  IRECT rect;
  int image; // place in kImageTable from 1; 0 for none
};

inline std::vector<Place> VisibleControls() {
  std::vector<Place> places = {{"scales", IRECT(81, 68, 134, 84), 0},
                               {"rhythms", IRECT(27, 315, 55, 335), 0},
                               {"roll", IRECT(167, 11, 696, 261), 0}};
  const int blue = ImageNumber("button_small_blue.png");
  for (int i = 0; i < 9; ++i)
    places.push_back({"octave", IRECT(9 + 16 * i, 143, 23 + 16 * i, 157), blue});
  struct At {
    const char* file;
    int x, y;
  };
  for (At a : {At{"SAVE.png", 611, 290},
               {"button_small_onoff.png", 21, 53},
               {"NEW_MELODY.png", 531, 282},
               {"CLEAR.png", 73, 270},
               {"TAP.png", 6, 210},
               {"knob_medium_light_x6.png", 309, 304},
               {"knob_big_light_x10.png", 184, 301},
               {"EffectSelect.png", 409, 338},
               {"LOCK_ALL.png", 93, 322},
               {"ZOOM_OUT.png", 681, 271},
               {"ZOOM_IN.png", 662, 269},
               {"button_small_orange.png", 401, 323},
               {"Left.png", 608, 343},
               {"knob_medium_light.png", 456, 310},
               {"SCALE_CHORD.png", 90, 84}}) {
    const ImageInfo& s = Find(a.file);
    places.push_back({a.file, IRECT(a.x, a.y, a.x + s.w, a.y + s.h), ImageNumber(a.file)});
  }
  return places;
}

} // namespace qvtest
