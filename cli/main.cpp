#include "commands.h"

int main(int argc, char** argv) {
  zeda::cli::Args args(argv + 1, argv + argc);
  return zeda::cli::ZedactlMain(args);
}
