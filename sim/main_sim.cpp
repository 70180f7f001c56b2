// brightlantern-sim: one virtual controller served over the Ethernet protocol on loopback (and,
// when asked, as a serial line on a pseudo-terminal), so a separate process (the workbench, or a
// test) can be the controller's client.
#include <pthread.h>
#include <signal.h>

#include <charconv>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "protocol/controller_types.h"
#include "protocol/ethernet_protocol.h"
#include "sim/controller.h"
#include "sim/ethernet_server.h"
#include "sim/model.h"
#include "sim/plant_options.h"
#include "sim/serial_server.h"

namespace {

void PrintHelp() {
  std::printf(
      "Usage: brightlantern-sim [--type N] [--port P] [--serial] [--resonance M:HZ:ZETA:RATIO]\n"
      "                         [--friction M:TORQUE] [--noise M:COUNTS] [--seed N]\n"
      "Serves one virtual PMAC over the controller's Ethernet protocol on 127.0.0.1, one client\n"
      "after another, until SIGINT or SIGTERM. The controller's servo time follows the real "
      "clock.\n\n"
      "  --type N   controller type: 1 PMAC1, 2 PMAC2, 3 PMAC2 Ultralite, 4 Turbo PMAC1,\n"
      "             5 Turbo PMAC2, 6 Turbo PMAC2 Ultralite (default 5)\n"
      "  --port P   TCP port, 0 for any free one (default %u)\n"
      "  --serial   also serve the same controller as a serial line (ASCII protocol, I3=2,\n"
      "             I6=1) on a pseudo-terminal; its path is printed\n"
      "  --resonance M:HZ:ZETA:RATIO\n"
      "             motor M drives its load through a spring: the two swing against each\n"
      "             other at HZ with damping ratio ZETA; RATIO is load over motor inertia\n"
      "             (the encoder is on the motor)\n"
      "  --friction M:TORQUE\n"
      "             Coulomb friction on motor M, in DAC bits (0..32767): a smaller output\n"
      "             does not move it from rest\n"
      "  --noise M:COUNTS\n"
      "             white noise on motor M's encoder, standard deviation in counts\n"
      "  --seed N   seed of the encoder noise (default 1): the same seed, the same noise\n"
      "  --help     this text\n"
      "Without --resonance, --friction or --noise a motor drives a rigid load.\n",
      static_cast<unsigned>(protocol::eth::kDefaultPort));
}

bool ParseNumber(std::string_view text, int low, int high, int& value) {
  auto r = std::from_chars(text.data(), text.data() + text.size(), value);
  return r.ec == std::errc() && r.ptr == text.data() + text.size() && value >= low && value <= high;
}

// Advances the controller's time from the steady clock until stopped.
class TimeKeeper {
 public:
  explicit TimeKeeper(sim::Controller& controller)
      : controller_(controller), thread_([this] { Run(); }) {}
  ~TimeKeeper() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }

 private:
  void Run() {
    auto last = std::chrono::steady_clock::now();
    std::unique_lock lock(mutex_);
    while (!wake_.wait_for(lock, std::chrono::milliseconds(5), [this] { return stop_; })) {
      auto now = std::chrono::steady_clock::now();
      controller_.Advance(now - last);
      last = now;
    }
  }

  sim::Controller& controller_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace

int main(int argc, char** argv) {
  int type = 5;
  int port = protocol::eth::kDefaultPort;
  bool serial = false;
  sim::PlantOptions plant;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      PrintHelp();
      return 0;
    }
    bool hasValue = i + 1 < argc;
    if (arg == "--type" && hasValue && ParseNumber(argv[i + 1], 1, 6, type)) {
      ++i;
    } else if (arg == "--port" && hasValue && ParseNumber(argv[i + 1], 0, 65535, port)) {
      ++i;
    } else if (arg == "--serial") {
      serial = true;
    } else if (sim::IsPlantOption(arg) && hasValue) {
      const std::string why =
          sim::ParsePlantOption(arg, argv[i + 1], sim::ModelFor(6).motorCount, plant);
      if (!why.empty()) {
        std::fprintf(stderr, "brightlantern-sim: bad value '%s' for %s: %s (see --help)\n",
                     argv[i + 1], argv[i], why.c_str());
        return 2;
      }
      ++i;
    } else {
      std::fprintf(stderr, "brightlantern-sim: bad argument '%s' (see --help)\n", argv[i]);
      return 2;
    }
  }

  // SIGINT and SIGTERM are taken by sigwait below, so every thread must have them blocked.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  sim::Controller controller(type);
  // Motor numbers are checked against the type only now: --type may come after them.
  for (const auto& [motor, settings] : plant.motors) {
    if (!controller.SetPlant(motor, settings)) {
      std::fprintf(stderr, "brightlantern-sim: motor %d: a type %d controller has motors 1..%d\n",
                   motor, type, sim::ModelFor(type).motorCount);
      return 2;
    }
  }
  controller.SeedPlantNoise(plant.seed);
  sim::EthernetServer server(controller);
  std::string error;
  if (!server.Start(static_cast<std::uint16_t>(port), error)) {
    std::fprintf(stderr, "brightlantern-sim: %s\n", error.c_str());
    return 1;
  }
  sim::SerialServer line(controller);
  if (serial && !line.Start(error)) {
    std::fprintf(stderr, "brightlantern-sim: %s\n", error.c_str());
    return 1;
  }
  {
    TimeKeeper time(controller);
    std::printf("brightlantern-sim: %s (type %d) listening on 127.0.0.1:%u\n",
                protocol::ControllerTypeName(type).data(), type,
                static_cast<unsigned>(server.Port()));
    if (serial) std::printf("brightlantern-sim: serial line on %s\n", line.Path().c_str());
    std::fflush(stdout);
    int received = 0;
    sigwait(&signals, &received);
    line.Stop();
    server.Stop();
  }
  std::printf("brightlantern-sim: stopped\n");
  return 0;
}
