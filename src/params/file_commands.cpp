#include "params/file_commands.h"

#include <cstdio>

#include "params/ign_model_bridge.h"
#include "params/quicksave.h"

namespace zeda {

OpenOutcome OpenFile(FileDocument& doc, const std::string& path, int page) {
  OpenOutcome out;
  IgnLoadResult r = LoadIgnFile(doc.buffers, path, page, doc.testMode);
  if (!r.opened) {
    doc.settings.history.Remove(path);
    out.status = OpenOutcome::OpenError;
    return out;
  }
  out.message = r.read.message;
  if (!r.accepted()) {
    out.status = OpenOutcome::NotAccepted;
    return out;
  }
  out.status = OpenOutcome::Loaded;
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

SaveOutcome WriteNormalised(FileDocument& doc, const std::string& path,
                            const IgnIdentification& id) {
  SaveOutcome out;
  out.path = path;
  ign_bridge::Normalize(doc.buffers.params);
  out.ok = WriteIgnFile(path, doc.buffers.params, id, &out.error);
  return out;
}

}  // namespace

SaveOutcome SaveFile(FileDocument& doc, const std::string& path, const IgnIdentification& id) {
  SaveOutcome out = WriteNormalised(doc, path, id);
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
  std::string name = doc.quickSaveAvailable ? QuicksaveName(doc.settings.file) : std::string();
  if (name.empty()) {
    out.needsSaveDialog = true;
    return out;
  }
  out.save = WriteNormalised(doc, name, id);
  if (out.save.ok) doc.buffers.fileImage = doc.buffers.params;
  return out;
}

bool NewDocument(FileDocument& doc, int page, NewAnswer answer) {
  if (!NewParams(doc.buffers, page, answer)) return false;
  doc.settings.file.clear();
  doc.settings.history.Add(std::string());
  return true;
}

}  // namespace zeda
