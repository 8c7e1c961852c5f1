// platform-standin [--simulate] [port] [data-file]
// platform-standin --help
//
// Serves the cloud platform's endpoints and WebSocket channels on
// 127.0.0.1:<port> (default 8080) from the tables of the data file until
// interrupted. With --simulate the values of the variables move once a second
// and are pushed on the read channel.
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "platformstandin.h"

namespace {

const char usage[] =
    "usage: platform-standin [--simulate] [port] [data-file]\n"
    "\n"
    "Serves the cloud platform's HTTP endpoints and WebSocket channels on\n"
    "127.0.0.1:<port> from the tables of the data file (for example\n"
    "tools/platform-standin/demo-data.json; without one every table is empty)\n"
    "until SIGINT or SIGTERM. Port 0 picks a free port; the first line printed\n"
    "names the address. The default port is 8080.\n"
    "\n"
    "  --simulate   move the numeric values once a second and push them\n"
    "  --help       print this text\n";

// The port argument: decimal digits alone, at most 65535.
std::uint16_t portOf(const std::string& text) {
  const bool digits = !text.empty() && text.size() <= 5 &&
                      text.find_first_not_of("0123456789") == std::string::npos;
  if (!digits || std::stoul(text) > 65535) throw std::invalid_argument("not a port number: " + text);
  return static_cast<std::uint16_t>(std::stoul(text));
}

}  // namespace

int main(int argc, char** argv) {
  try {
    bool simulate = false;
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
      const std::string argument = argv[i];
      if (argument == "--help" || argument == "-h") {
        std::cout << usage;
        return EXIT_SUCCESS;
      }
      if (argument == "--simulate")
        simulate = true;
      else if (argument.size() > 1 && argument[0] == '-')
        throw std::invalid_argument("unknown option " + argument);
      else
        positional.push_back(argument);
    }
    if (positional.size() > 2) throw std::invalid_argument("too many arguments");
    const std::uint16_t port = !positional.empty() ? portOf(positional[0]) : 8080;

    // Block the stop signals before any thread starts, so only sigwait sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    PlatformStandin standin;
    if (positional.size() > 1) standin.data().loadFile(positional[1]);
    standin.start(port);
    if (simulate) standin.simulateValues(std::chrono::seconds(1));
    std::cout << "platform stand-in listening on " << standin.address() << (simulate ? ", simulating values" : "")
              << std::endl;

    int signal = 0;
    sigwait(&stopSignals, &signal);
    return EXIT_SUCCESS;
  } catch (const std::exception& error) {
    std::cerr << "platform-standin: " << error.what() << "\n" << usage << std::flush;
    return EXIT_FAILURE;
  }
}
