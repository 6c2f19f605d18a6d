#include <cstdio>

int main() {
  std::fprintf(stderr, "zedasim: not built yet\n");
  return 1;
}
