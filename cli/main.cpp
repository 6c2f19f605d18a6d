#include <cstdio>

int main(int argc, char** argv) {
  (void)argv;
  if (argc < 2) {
    std::fprintf(stderr, "usage: zedactl <command> ...\n");
    return 2;
  }
  std::fprintf(stderr, "zedactl: unknown command\n");
  return 2;
}
