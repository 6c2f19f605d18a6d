// Keeps the helper library non-empty while the command set grows.
namespace zeda::cli {
void cliLibraryAnchor() {}
}  // namespace zeda::cli
