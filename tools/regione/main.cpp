// veltranorpx-regione: the regional servers' stand-in.
//
//   veltranorpx-regione --config FILE [--porta N] [--porta-file FILE]
//
// Prints "in ascolto su https://ADDRESS:PORT" once it serves, and stops on SIGINT or SIGTERM
// within a second, whatever answer is in flight.
//
// The signals are taken by a plain wait in the main thread (they are blocked everywhere else), so
// the stop runs as ordinary code rather than inside a signal handler.

#include "RegioneServer.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <future>
#include <iostream>
#include <pthread.h>
#include <thread>

namespace {

int usage()
{
    std::cerr << "Uso: veltranorpx-regione --config FILE [--porta N] [--porta-file FILE]\n";
    return 2;
}

// How long the server may take to wind up after a stop before the process leaves anyway.
constexpr auto kStopGrace = std::chrono::milliseconds(700);

} // namespace

int main(int argc, char* argv[])
{
    std::string configPath;
    std::string portFile;
    int port = -1;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--config" && i + 1 < argc) {
            configPath = argv[++i];
        } else if (arg == "--porta" && i + 1 < argc) {
            const std::string value = argv[++i];
            if (!regione::Config::parsePort(value, port)) {
                std::cerr << "veltranorpx-regione: porta non valida: " << value
                          << " (ammesse da 0 a 65535; 0 sceglie una porta libera)" << std::endl;
                return 2;
            }
        } else if (arg == "--porta-file" && i + 1 < argc) {
            portFile = argv[++i];
        } else {
            return usage();
        }
    }
    if (configPath.empty())
        return usage();

    regione::Config config;
    std::string error;
    if (!regione::Config::load(configPath, config, error)) {
        std::cerr << "veltranorpx-regione: " << error << std::endl;
        return 1;
    }
    if (port >= 0)
        config.port = port;
    const std::string address = config.address;

    // Blocked before any thread starts, so that every thread inherits the mask and only the wait
    // below receives them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    regione::Server server(std::move(config));
    if (!server.bind(error)) {
        std::cerr << "veltranorpx-regione: " << error << std::endl;
        return 1;
    }
    if (!portFile.empty()) {
        std::ofstream out(portFile, std::ios::trunc);
        out << server.port() << '\n';
    }
    std::cout << "in ascolto su https://" << address << ":" << server.port() << std::endl;

    std::packaged_task<void()> serve([&server] { server.run(); });
    std::future<void> served = serve.get_future();
    std::thread serving(std::move(serve));

    int received = 0;
    sigwait(&stopSignals, &received);
    server.stop();
    if (served.wait_for(kStopGrace) != std::future_status::ready) {
        // A connection still held by a client: leave without it.
        std::cerr.flush();
        std::cout.flush();
        std::_Exit(0);
    }
    serving.join();
    return 0;
}
