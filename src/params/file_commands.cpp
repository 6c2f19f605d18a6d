#include "params/file_commands.h"

#include <cstdio>
#include <filesystem>
#include <vector>

#include "params/file_history.h"
#include "params/ign_model_bridge.h"
#include "params/quicksave.h"

namespace zeda {

OpenOutcome OpenFile(FileDocument& doc, const std::string& path, int page) {
  OpenOutcome out;
  IgnLoadResult r = LoadIgnFile(doc.buffers, path, page, doc.testMode, doc.commitActivePage);
  if (!r.opened) {
    doc.settings.history.Remove(path);
    out.status = OpenOutcome::kOpenError;
    return out;
  }
  out.message = r.read.message;
  if (!r.Accepted()) {
    out.status = OpenOutcome::kNotAccepted;
    out.notParameterFile = !r.read.headerFound;
    return out;
  }
  out.status = OpenOutcome::kLoaded;
  out.missing = std::move(r.missing);
  out.defaultsApplied = r.defaultsApplied;
  out.newInstalCleared = doc.settings.newInstal;
  doc.settings.newInstal = false;
  doc.settings.iniFileDir = path;
  doc.settings.file = path;
  doc.settings.history.Add(path);
  return out;
}

OpenOutcome OpenCommand(FileDocument& doc, const std::string& path, int page) {
  doc.quickSaveAvailable = true;
  return OpenFile(doc, path, page);
}

namespace {

// A name taken between listing the folder and creating the file gets the next number;
// this many times at most.
constexpr int kQuicksaveTries = 100;

void PrepareForWriting(FileDocument& doc) {
  if (doc.commitActivePage) doc.commitActivePage();
  ign_bridge::Normalize(doc.buffers.params);
}

std::vector<std::string> NamesBeside(const std::string& file) {
  std::vector<std::string> names;
  size_t slash = file.find_last_of('/');
  std::string folder = slash == std::string::npos ? "." : file.substr(0, slash + 1);
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    names.push_back(it->path().filename().string());
  }
  return names;
}

}  // namespace

SaveOutcome SaveFile(FileDocument& doc, const std::string& path, const IgnIdentification& id) {
  SaveOutcome out;
  out.path = path;
  PrepareForWriting(doc);
  out.ok = WriteIgnFile(path, doc.buffers.params, id, &out.error);
  if (!out.ok) return out;
  doc.buffers.fileImage = doc.buffers.params;
  doc.buffers.fileMatches = true;
  doc.settings.file = path;
  doc.settings.iniFileDir = path;
  doc.settings.history.Add(path);
  doc.quickSaveAvailable = true;
  return out;
}

QuicksaveOutcome QuicksaveVersion(FileDocument& doc, const IgnIdentification& id) {
  QuicksaveOutcome out;
  std::string name = doc.quickSaveAvailable ? QuicksaveName(doc.settings.file, {}) : std::string();
  if (name.empty()) {
    out.needsSaveDialog = true;
    return out;
  }
  PrepareForWriting(doc);
  std::vector<std::string> taken;
  for (int attempt = 0; attempt < kQuicksaveTries; ++attempt) {
    std::vector<std::string> names = NamesBeside(doc.settings.file);
    names.insert(names.end(), taken.begin(), taken.end());
    out.save.path = QuicksaveName(doc.settings.file, names);
    out.save.error.clear();
    switch (WriteNewIgnFile(out.save.path, doc.buffers.params, id, &out.save.error)) {
      case NewFileResult::Written:
        out.save.ok = true;
        doc.buffers.fileImage = doc.buffers.params;
        return out;
      case NewFileResult::Exists:
        taken.push_back(FileNamePart(out.save.path));
        continue;
      case NewFileResult::Failed:
        return out;
    }
  }
  out.save.error = out.save.path + ": every numbered name is taken";
  return out;
}

bool NewDocument(FileDocument& doc, int page, NewAnswer answer) {
  if (!NewParams(doc.buffers, page, answer)) return false;
  doc.settings.file.clear();
  doc.settings.history.Add(std::string());
  return true;
}

}  // namespace zeda
