#pragma once

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

extern char** environ;

namespace bl {

// brightlantern-sim as its own process, on a port of its choosing.
class SimProcess {
 public:
  explicit SimProcess(int port, int type = 5) {
    int out[2];
    if (::pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const std::string portText = std::to_string(port);
    const std::string typeText = std::to_string(type);
    char* argv[] = {const_cast<char*>(BL_SIM_EXECUTABLE), const_cast<char*>("--port"),
                    const_cast<char*>(portText.c_str()), const_cast<char*>("--type"),
                    const_cast<char*>(typeText.c_str()), nullptr};
    if (posix_spawn(&pid_, BL_SIM_EXECUTABLE, &actions, nullptr, argv, environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    // "... listening on 127.0.0.1:PORT"
    std::string line;
    char c = 0;
    while (line.size() < 200 && ::read(out[0], &c, 1) == 1 && c != '\n') line += c;
    ::close(out[0]);
    const std::size_t colon = line.rfind(':');
    if (colon != std::string::npos) port_ = std::atoi(line.c_str() + colon + 1);
  }
  ~SimProcess() { Stop(); }
  void Stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
  }
  int Port() const { return port_; }

 private:
  pid_t pid_ = -1;
  int port_ = 0;
};

}  // namespace bl
