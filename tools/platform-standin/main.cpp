// platform-standin [--simulate] [port] [data-file]
//
// Serves the cloud platform's endpoints and WebSocket channels on
// 127.0.0.1:<port> (default 8080) from the tables of the data file until
// interrupted. With --simulate the values of the variables move once a second
// and are pushed on the read channel.
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "platformstandin.h"

int main(int argc, char** argv) {
  try {
    bool simulate = false;
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
      const std::string argument = argv[i];
      if (argument == "--simulate")
        simulate = true;
      else
        positional.push_back(argument);
    }
    if (positional.size() > 2) throw std::invalid_argument("too many arguments");
    const unsigned long port = !positional.empty() ? std::stoul(positional[0]) : 8080;
    if (port > 65535) throw std::out_of_range("port out of range");

    // Block the stop signals before any thread starts, so only sigwait sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    PlatformStandin standin;
    if (positional.size() > 1) standin.data().loadFile(positional[1]);
    standin.start(static_cast<std::uint16_t>(port));
    if (simulate) standin.simulateValues(std::chrono::seconds(1));
    std::cout << "platform stand-in listening on " << standin.address() << (simulate ? ", simulating values" : "")
              << std::endl;

    int signal = 0;
    sigwait(&stopSignals, &signal);
    return EXIT_SUCCESS;
  } catch (const std::exception& error) {
    std::cerr << "platform-standin: " << error.what()
              << "\nusage: platform-standin [--simulate] [port] [data-file]" << std::endl;
    return EXIT_FAILURE;
  }
}
