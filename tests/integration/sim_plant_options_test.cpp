// brightlantern-sim's plant options as a user gives them: malformed values refused with a clear
// message and a non-zero exit, and a noisy encoder seen over the Ethernet protocol.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "protocol/ethernet_protocol.h"
#include "protocol/socket_io.h"
#include "protocol/wire.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;
namespace eth = protocol::eth;
namespace net = protocol::net;

struct SimRun {
  int exitCode = -1;
  std::string output;  // stdout and stderr
};

SimRun RunSim(const std::string& arguments) {
  SimRun run;
  const std::string command = std::string(BL_SIM_EXECUTABLE) + " " + arguments + " 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return run;
  char buffer[512];
  while (run.output.size() < 100000 && std::fgets(buffer, sizeof buffer, pipe))
    run.output += buffer;
  const int status = ::pclose(pipe);
  if (WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
  return run;
}

TEST(SimPlantOptions, MalformedValuesAreRefusedWithAMessage) {
  for (const char* arguments : {
           "--resonance 1:500:0.05",   // a field missing
           "--resonance 1:500:x:1",    // not a number
           "--resonance 1:-5:0.05:1",  // negative frequency
           "--friction 40:10",         // no motor 40
           "--friction 1:-1", "--noise 1:nan",
           "--noise",  // no value
           "--seed -3",
           "--type 1 --noise 9:1",  // a PMAC has eight motors
           "--noise 9:1 --type 2",  // whatever the order
       }) {
    const SimRun run = RunSim(std::string(arguments) + " --port 0");
    EXPECT_EQ(run.exitCode, 2) << arguments << ": " << run.output;
    EXPECT_NE(run.output.find("brightlantern-sim: "), std::string::npos) << arguments;
    EXPECT_EQ(run.output.find("listening"), std::string::npos) << arguments;
  }
  const SimRun run = RunSim("--friction 1:-1");
  EXPECT_NE(run.output.find("bad value '1:-1' for --friction"), std::string::npos) << run.output;

  const SimRun help = RunSim("--help");
  EXPECT_EQ(help.exitCode, 0);
  for (const char* option :
       {"--resonance M:HZ:ZETA:RATIO", "--friction M:TORQUE", "--noise M:COUNTS", "--seed N"}) {
    EXPECT_NE(help.output.find(option), std::string::npos) << option;
  }
}

// The simulator in its own process with the given options, on a free port.
class Simulator {
 public:
  explicit Simulator(std::vector<std::string> options) {
    int out[2];
    if (::pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    options.insert(options.begin(), {BL_SIM_EXECUTABLE, "--port", "0"});
    std::vector<char*> argv;
    for (std::string& o : options) argv.push_back(o.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, BL_SIM_EXECUTABLE, &actions, nullptr, argv.data(), environ) != 0) {
      pid_ = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    std::string line;  // "... listening on 127.0.0.1:PORT"
    char c = 0;
    while (line.size() < 200 && ::read(out[0], &c, 1) == 1 && c != '\n') line += c;
    ::close(out[0]);
    const std::size_t colon = line.rfind(':');
    if (colon != std::string::npos) port_ = std::atoi(line.c_str() + colon + 1);
  }
  ~Simulator() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
  }
  int Port() const { return port_; }

 private:
  pid_t pid_ = -1;
  int port_ = 0;
};

// One command line over the Ethernet protocol; its reply up to ACK or an error.
std::string Ask(int fd, const std::string& line) {
  const std::string packet = eth::Packet({eth::kDownload, eth::kGetResponse, 0, 0, 0}, line);
  if (net::WriteAll(fd, packet, net::DeadlineAfter(2s)) != net::Io::kOk) return "<not sent>";
  std::string reply;
  while (protocol::FindReplyEnd(reply).kind != protocol::ReplyEnd::Kind::kComplete) {
    if (net::ReadSome(fd, reply, eth::kMaxAnswer, net::DeadlineAfter(2s)) != net::Io::kOk) break;
  }
  return reply;
}

TEST(SimPlantOptions, ANoisyEncoderOverEthernet) {
  Simulator sim({"--noise", "1:20", "--seed", "9", "--resonance", "2:400:0.1:1"});
  ASSERT_GT(sim.Port(), 0);
  net::UniqueFd fd(::socket(AF_INET, SOCK_STREAM, 0));
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<std::uint16_t>(sim.Port()));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::connect(fd.Get(), reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  // Killed motors at rest: motor 1's position wanders with its noise, motor 3's stays put.
  std::set<std::string> noisy, quiet;
  for (int k = 0; k < 6; ++k) {
    noisy.insert(Ask(fd.Get(), "#1P"));
    quiet.insert(Ask(fd.Get(), "#3P"));
    std::this_thread::sleep_for(20ms);
  }
  EXPECT_GT(noisy.size(), 2u);
  EXPECT_EQ(quiet.size(), 1u);
  EXPECT_EQ(*quiet.begin(), "0\r\x06");
}

}  // namespace
