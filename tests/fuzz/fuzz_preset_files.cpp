// fuzz-links: iplug wdl
// Program and bank files from arbitrary bytes: a refused file changes nothing.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "../WDL/IPlug/plugbase_test_plug.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1 << 20)) return 0;
  static const std::string path = "/tmp/fuzz_preset_files." + std::to_string(getpid());
  FILE* fp = std::fopen(path.c_str(), "wb");
  if (!fp) return 0;
  std::fwrite(data, 1, size, fp);
  std::fclose(fp);
  WDL_String fileName(path.c_str());

  for (int variant = 0; variant < 4; ++variant) {
    const bool chunks = variant & 1, bank = variant & 2;
    TestPlug plug(8, "0-1 0-2", 4, chunks);
    plug.MakeDefaultPreset("seed", 3);
    const std::vector<std::string> before = Snapshot(&plug);
    const bool loaded = bank ? plug.LoadBankFromFXB(&fileName) : plug.LoadProgramFromFXP(&fileName);
    if (!loaded && Snapshot(&plug) != before) abort();
  }
  std::remove(path.c_str());
  return 0;
}
