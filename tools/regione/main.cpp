// veltranorpx-regione: the regional servers' stand-in.
//
//   veltranorpx-regione --config FILE [--porta N] [--porta-file FILE]
//
// Prints "in ascolto su https://ADDRESS:PORT" once it serves, and stops on SIGINT or SIGTERM.

#include "RegioneServer.h"

#include <csignal>
#include <cstring>
#include <fstream>
#include <iostream>

namespace {
regione::Server* g_server = nullptr;

void onSignal(int)
{
    if (g_server)
        g_server->stop();
}

int usage()
{
    std::cerr << "Uso: veltranorpx-regione --config FILE [--porta N] [--porta-file FILE]\n";
    return 2;
}
} // namespace

int main(int argc, char* argv[])
{
    std::string configPath;
    std::string portFile;
    int port = -1;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--config" && i + 1 < argc)
            configPath = argv[++i];
        else if (arg == "--porta" && i + 1 < argc)
            port = std::atoi(argv[++i]);
        else if (arg == "--porta-file" && i + 1 < argc)
            portFile = argv[++i];
        else
            return usage();
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
    regione::Server server(std::move(config));
    if (!server.bind(error)) {
        std::cerr << "veltranorpx-regione: " << error << std::endl;
        return 1;
    }
    if (!portFile.empty()) {
        std::ofstream out(portFile, std::ios::trunc);
        out << server.port() << '\n';
    }
    g_server = &server;
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::cout << "in ascolto su https://" << address << ":" << server.port() << std::endl;
    server.run();
    return 0;
}
