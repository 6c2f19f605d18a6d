#pragma once
// Naming of "Quicksave version" files and the other small path rules of the file commands.
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

// Index of the first dropped name that is a parameter file (ends in ".ign" in any case),
// or -1.
int PickDroppedIgn(const std::vector<std::string>& names);

// The window caption: file shown only while the image matches the file; csvFile is the
// CSV output file (empty when off); disconnectedText the current-language text shown
// while another program holds the port.
std::string ComposeTitle(bool fileMatches, bool linkEnabled, const std::string& currentFile,
                         const std::string& csvFile, const std::string& disconnectedText);

}  // namespace zeda
