#pragma once
// The editor's images as the image generator draws them: file name, resource id, frames
// stacked vertically and the size of one frame. Every frame carries a marker pixel at its
// bottom-left corner: opaque, red kMarkerTag, green the image's number (its place in
// kImageTable, from 1), blue the frame (from 1), so a test can tell from the editor's pixels
// which image and frame a control drew there.

#include <cstdint>

struct ImageInfo {
  const char* file;
  int id;
  int frames;
  int w, h; // one frame, pixels
};

inline constexpr int kMarkerTag = 0xC8;

inline constexpr ImageInfo kImageTable[] = {
    {"bg.png", 102, 1, 710, 365},
    {"SAVE.png", 116, 2, 70, 24},
    {"button_small_onoff.png", 110, 2, 16, 16},
    {"NEW_MELODY.png", 119, 2, 76, 28},
    {"CLEAR.png", 113, 2, 60, 20},
    {"TAP.png", 118, 2, 56, 40},
    {"button_small_blue.png", 111, 2, 14, 14},
    {"knob_medium_light_x6.png", 108, 8, 40, 40},
    {"knob_big_light_x10.png", 107, 10, 48, 48},
    {"EffectSelect.png", 121, 2, 36, 16},
    {"LOCK_ALL.png", 133, 2, 60, 20},
    {"ZOOM_OUT.png", 131, 2, 16, 16},
    {"ZOOM_IN.png", 130, 2, 16, 16},
    {"button_small_orange.png", 112, 2, 14, 14},
    {"Left.png", 124, 2, 60, 16},
    {"knob_medium_light.png", 208, 128, 40, 40},
    {"SCALE_CHORD.png", 129, 2, 36, 16},
    {"shitkeyboard.png", 123, 1, 530, 60},
    {"wk.png", 104, 6, 12, 48},
    {"bk.png", 105, 1, 8, 30},
};

inline constexpr int kNumImages = (int)(sizeof(kImageTable) / sizeof(kImageTable[0]));

// The marker of a frame as 0xAARRGGBB; image from 1, frame from 1.
inline constexpr uint32_t MarkerPixel(int image, int frame) {
  return 0xFF000000u | ((uint32_t)kMarkerTag << 16) | ((uint32_t)(image & 0xFF) << 8) |
         (uint32_t)(frame & 0xFF);
}
