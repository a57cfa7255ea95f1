// A small editor drawn headlessly and compared with a PNG kept beside this file.

#include <sys/stat.h>

#include <cmath>

#include "WDL/IPlug/IControlStock.h"
#include "WDL/IPlug/gui/headless_graphics.h"

namespace {

// Images the editor loads: a two-frame switch and a five-frame knob, stacked.
std::string WriteEditorImages() {
  std::string dir = std::string(QV_BINARY_DIR) + "/gui_golden_images";
  mkdir(dir.c_str(), 0755);
  LICE_MemBitmap sw(16, 32);
  LICE_Clear(&sw, 0xFF400000);
  LICE_FillRect(&sw, 0, 16, 16, 16, 0xFF20C040, 1.0f, 0);
  LICE_DrawRect(&sw, 0, 16, 15, 15, 0xFFFFFFFF, 1.0f, 0);
  qvtest::WritePng(&sw, dir + "/switch.png");
  LICE_MemBitmap knob(20, 100);
  LICE_Clear(&knob, 0);
  for (int f = 0; f < 5; ++f) {
    LICE_FillRect(&knob, 2, f * 20 + 2, 16, 16, 0x80000000u | (LICE_pixel)(f * 60) << 8, 1.0f, 0);
    LICE_Line(&knob, 10, f * 20 + 10, 10 + (f - 2) * 3, f * 20 + 3, 0xFFFFFFFF, 1.0f, 0, false);
  }
  qvtest::WritePng(&knob, dir + "/knob.png");
  return dir;
}

void DrawShapes(IGraphics* g) { // inside (4, 50, 116, 76)
  IRECT rr(4, 50, 34, 70);
  IChannelBlend add(IChannelBlend::kBlendAdd, 1.0f);
  g->FillRoundRect(&COLOR_BLUE, &rr, nullptr, 5, true);
  g->RoundRect(&COLOR_WHITE, &rr, nullptr, 5, true);
  g->DrawCircle(&COLOR_YELLOW, 49.0f, 60.0f, 8.0f, nullptr, true);
  g->FillCircle(&COLOR_RED, 49, 60, 4.0f, &add, true);
  g->FillTriangle(&COLOR_ORANGE, 62, 68, 72, 52, 82, 68, nullptr);
  g->DrawArc(&COLOR_GREEN, 94.0f, 60.0f, 8.0f, 0.0f, (float)M_PI, nullptr, true);
  g->DrawRadialLine(&COLOR_BLACK, 94.0f, 60.0f, 2.0f, 0.0f, 8.0f, nullptr, true);
}

TEST(Golden, SmallEditor) {
  TestPlug plug(8, "0-1 0-2", 0);
  HeadlessGraphics* g = new HeadlessGraphics(&plug, 120, 80, WriteEditorImages());
  g->AttachPanelBackground(&COLOR_GRAY);
  IBitmap sw = g->LoadIBitmap(201, "resources/img/switch.png", 2);
  IBitmap knob = g->LoadIBitmap(202, "resources/img/knob.png", 5);
  g->AttachControl(new ISwitchControl(&plug, 4, 4, 0, &sw));
  g->AttachControl(new ISwitchControl(&plug, 24, 4, 4, &sw));
  g->AttachControl(new IKnobMultiControl(&plug, 44, 2, 3, &knob));
  g->AttachControl(new IKnobLineControl(&plug, IRECT(70, 2, 94, 26), 1, &COLOR_WHITE, 3.0, 0.0,
                                        -0.75 * M_PI, 0.75 * M_PI));
  IText txt(12, &COLOR_BLACK, "Monaco", IText::kStyleNormal, IText::kAlignCenter);
  g->AttachControl(new ITextControl(&plug, IRECT(0, 30, 120, 44), &txt, "Quorlen 1/16"));
  g->AttachControl(new ProbeControl(&plug, IRECT(4, 50, 116, 76), -1, "", nullptr, DrawShapes));
  plug.AttachGraphics(g);
  g->SetParameterFromPlug(4, 1.0, true); // second switch on
  g->SetParameterFromPlug(3, 0.0, false);
  g->SetParameterFromPlug(1, 7.0, false);

  IRECT dirty = g->DirtyRect();
  EXPECT_EQ(dirty, IRECT(0, 0, 120, 80));
  ASSERT_TRUE(g->Draw(&dirty));

  // Text goes through the font renderer: allow small differences on a few pixels.
  const std::string kGolden = std::string(QV_SOURCE_DIR) + "/tests/WDL/IPlug/gui/golden_editor.png";
  EXPECT_TRUE(qvtest::MatchesGolden(g->GetDrawBitmap(), kGolden, {24, 48, 255.0, true}, true));
}

} // namespace
