#pragma once
// A pseudo-terminal that stands in for the unit's serial cable.
#include <cstdint>
#include <string>

namespace zeda::sim {

class Pty {
 public:
  Pty() = default;
  ~Pty();
  Pty(const Pty&) = delete;
  Pty& operator=(const Pty&) = delete;

  // Creates the pair; the master is non-blocking. False with a message on failure.
  bool Open(std::string& error);
  // Also makes `path` a symbolic link to the slave (an existing symbolic link is replaced;
  // any other existing file is left alone and reported).
  bool MakeLink(const std::string& path, std::string& error);
  // Closes the master (the program's reads then fail) and removes the link.
  void Close();

  int Master() const { return master_; }
  const std::string& SlavePath() const { return slavePath_; }
  // The line speed the program set on the slave, or 0 when the pty does not tell.
  int32_t SlaveBaud() const;

 private:
  int master_ = -1;
  std::string slavePath_;
  std::string linkPath_;
};

// Baud rate of a termios speed constant (0 when unknown).
int32_t BaudOfSpeed(unsigned speed);

}  // namespace zeda::sim
