// fuzz-links: iplug wdl
// Saved states, presets dumps, strings and Base64 blobs from arbitrary bytes.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "../WDL/IPlug/plugbase_test_plug.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1 << 20)) return 0;
  ByteChunk chunk;
  chunk.PutBytes(data, static_cast<int>(size));

  TestPlug plug(8, "0-1 0-2", 4, true);
  plug.MakeDefaultPreset("seed", 2);
  int pos = 0;
  IPlugBase::GetIPlugVerFromChunk(&chunk, &pos);
  plug.UnserializeState(&chunk, pos < 0 ? 0 : pos);
  plug.UnserializePresets(&chunk, 0);
  // Every value a state sets lies inside its parameter's range.
  for (int i = 0; i < plug.NParams(); ++i) {
    double lo, hi, v = plug.GetParam(i)->Value();
    plug.GetParam(i)->GetBounds(&lo, &hi);
    if (!(v >= lo && v <= hi)) abort();
  }
  for (int i = 0; i < plug.NPresets(); ++i) plug.RestorePreset(i);
  if (chunk.Size() >= 8 * plug.NParams()) plug.CompareState(chunk.GetBytes(), 0);

  WDL_String str;
  for (int p = 0; p >= 0 && p < chunk.Size();) p = chunk.GetStr(&str, p);

  const std::string text(reinterpret_cast<const char*>(data), size);
  plug.MakeDefaultPreset(nullptr, 0);
  TestPlug blobs(1, "0-2", 1, true);
  blobs.MakePresetFromBlob("blob", text.c_str(), static_cast<int>(size % 4096));
  return 0;
}
