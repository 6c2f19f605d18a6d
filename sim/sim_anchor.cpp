// Keeps the simulator library non-empty while it grows.
namespace zeda::sim {
void simLibraryAnchor() {}
}  // namespace zeda::sim
