// The freeGPS reader (the "gps " box list and the media-data scan) over arbitrary files.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "mp4parse/free_gps.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/korvane-fuzz-freegps-" + std::to_string(getpid()) + ".mp4";
  std::remove(path.c_str());
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  const std::vector<korvane::GpsFix> fixes = korvane::ReadFreeGps(path);
  if (fixes.size() > korvane::MaxFixes) __builtin_trap();
  korvane::GpsFix fix;
  korvane::DecodeFreeGpsBlock(std::string_view(reinterpret_cast<const char*>(data), size), fix);
  return 0;
}
