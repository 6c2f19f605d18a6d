#pragma once
// Runs a check as an ordinary user. Tests run as root here, and root may write any file,
// so the check runs in a forked child that has dropped to the user "nobody"; a test that
// already runs unprivileged runs the check directly. The check returns its failures as
// text (empty = passed).
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

namespace zeda::testing {

inline constexpr uid_t kNobodyUid = 65534;
inline constexpr gid_t kNobodyGid = 65534;

inline bool RunsAsRoot() { return geteuid() == 0; }

// The check's failures, or a reason why it could not run.
inline std::string RunUnprivileged(const std::function<std::string()>& check) {
  if (!RunsAsRoot()) return check();
  int fds[2];
  if (pipe(fds) != 0) return "pipe failed";
  pid_t pid = fork();
  if (pid < 0) return "fork failed";
  if (pid == 0) {
    close(fds[0]);
    std::string result;
    if (setgroups(0, nullptr) != 0 || setgid(kNobodyGid) != 0 || setuid(kNobodyUid) != 0)
      result = "could not drop to nobody";
    else
      result = check();
    ssize_t written = write(fds[1], result.data(), result.size());
    _exit(written == static_cast<ssize_t>(result.size()) ? 0 : 1);
  }
  close(fds[1]);
  std::string result;
  char buf[512];
  for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;) result.append(buf, n);
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) result += " (child did not finish)";
  return result;
}

}  // namespace zeda::testing
