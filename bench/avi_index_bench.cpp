// Opens one AVI file with its own index and with a rebuilt one; prints seconds and bytes read.
// Built and run by bench/avi-index.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "avi/avi_read_handler_avi2.h"

namespace {

// Bytes this process asked the kernel for so far (read() calls, cached or not).
unsigned long long ReadChars() {
  std::ifstream io("/proc/self/io");
  std::string key;
  unsigned long long value = 0;
  while (io >> key >> value)
    if (key == "rchar:") return value;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: avi_index_bench FILE.avi\n");
    return 2;
  }
  for (const bool rebuild : {false, true}) {
    auto handler = std::make_shared<korvel::AviReadHandlerAvi2>(nullptr, nullptr, rebuild, false);
    const unsigned long long before = ReadChars();
    const auto start = std::chrono::steady_clock::now();
    const bool opened = handler->Open(argv[1]);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    auto video = handler->GetStream(0, 0);
    std::printf("%s %.3f %llu %lld\n", rebuild ? "korvel-rebuild" : "korvel-idx1", seconds, ReadChars() - before,
                opened && video ? static_cast<long long>(video->End()) : -1LL);
  }
  return 0;
}
