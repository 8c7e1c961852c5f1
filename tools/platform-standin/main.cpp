// platform-standin [port] [data-file]
//
// Serves the cloud platform's endpoints on 127.0.0.1:<port> (default 8080)
// from the tables of the data file until interrupted.
#include <csignal>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>

#include "platformstandin.h"

int main(int argc, char** argv) {
  try {
    const unsigned long port = argc > 1 ? std::stoul(argv[1]) : 8080;
    if (port > 65535) throw std::out_of_range("port out of range");

    // Block the stop signals before any thread starts, so only sigwait sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    PlatformStandin standin;
    if (argc > 2) standin.data().loadFile(argv[2]);
    standin.start(static_cast<std::uint16_t>(port));
    std::cout << "platform stand-in listening on " << standin.address() << std::endl;

    int signal = 0;
    sigwait(&stopSignals, &signal);
    return EXIT_SUCCESS;
  } catch (const std::exception& error) {
    std::cerr << "platform-standin: " << error.what() << "\nusage: platform-standin [port] [data-file]" << std::endl;
    return EXIT_FAILURE;
  }
}
