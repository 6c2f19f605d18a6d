#pragma once
// Naming of "Quicksave version" files.
#include <string>
#include <vector>

namespace zeda {

// The next numbered name for currentFile ("D/bike.ign" -> "D/bike_013.ign" when the
// highest number among names stem*ext in the folder is 12). namesInFolder are bare file
// names. Empty when currentFile's name has no '.', which makes Quicksave a plain Save.
std::string QuicksaveName(const std::string& currentFile,
                          const std::vector<std::string>& namesInFolder);
// The same, listing currentFile's folder.
std::string QuicksaveName(const std::string& currentFile);

}  // namespace zeda
