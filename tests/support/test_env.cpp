// Linked into every test program: before any test runs, the process gets an
// environment that keeps tests away from the machine's own devices and settings.
#include <stdlib.h>

#include <filesystem>
#include <string>

namespace {

std::string MakePrivateDir(const char* pattern) {
  std::string path = (std::filesystem::temp_directory_path() / pattern).string();
  if (!mkdtemp(path.data())) return {};
  return path;
}

struct TestEnvironment {
  std::string runtimeDir;
  std::string settingsDir;

  TestEnvironment() {
    // Never the system's serial devices: /dev/ttyS0 may be a console.
    setenv("ZEDA_PORTS_ONLY", "1", 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // The window's update check never reaches the network in a test.
    setenv("ZEDA_UPDATE_SERVER", "none", 1);
    runtimeDir = MakePrivateDir("zeda-runtime-XXXXXX");
    if (!runtimeDir.empty()) setenv("XDG_RUNTIME_DIR", runtimeDir.c_str(), 1);
    settingsDir = MakePrivateDir("zeda-settings-XXXXXX");
    if (!settingsDir.empty()) {
      setenv("ZEDA_SETTINGS_DIR", settingsDir.c_str(), 1);
      setenv("ZEDA_TEST_SWITCH", (settingsDir + "/no-test-switch").c_str(), 1);
    }
  }
  ~TestEnvironment() {
    std::error_code ec;
    if (!runtimeDir.empty()) std::filesystem::remove_all(runtimeDir, ec);
    if (!settingsDir.empty()) std::filesystem::remove_all(settingsDir, ec);
  }
};

const TestEnvironment kTestEnvironment;

}  // namespace
