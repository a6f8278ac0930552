#pragma once
// veltranorpx-regione: a stand-in for the regional servers, serving HTTPS on loopback.
//
// It answers every service the program calls (identity, operator authentication, request
// number, version check, upload, registry download, assistance form) the way the region's
// servers do, and can play a failure per service so that the program's reactions can be tested.
// A configuration it cannot honour exactly (a port out of range, a failure it does not know) is
// refused with a message rather than half-applied, and a stop never waits for an answer in flight.

#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace regione {

// Besides the failures: an answer of a success said with an error status (ErrorStatus), an error
// that repeats the success phrase (Denied), and an answer that arrives in small pieces with pauses
// between them (Trickle), longer in all than a client's time limit but never silent as long.
enum class Failure { None, Error, Html, NotNumeric, Slow, Drop, Endless, ForbiddenName, ErrorStatus, Denied, Trickle };

struct Config {
    std::string address = "127.0.0.1";
    int port = 0; // 0: a free port
    std::string certificate;
    std::string key;
    std::string clientCa; // client certificates are verified against it
    std::string dataFolder;
    std::string stateFolder;
    std::string account = "regione:demo2026";       // of the request number and the registry download
    std::string uploadAccount = "robot:$mirto$52*"; // of the upload
    long firstNumber = 1000200;
    std::string versionAnswer = "1.0.0#1.0.0#N#Nessuna comunicazione.#";
    int delaySeconds = 120;
    std::map<std::string, std::set<std::string>> identities;           // identity id -> operator keys ("A12")
    std::map<std::string, std::pair<std::string, std::string>> logins; // user -> (password, identity id)
    std::map<std::string, Failure> failures;                           // service -> failure

    // Reads a configuration file; relative paths are taken from the file's folder. False, with
    // the file, line and reason, on anything it does not know or cannot use.
    static bool load(const std::string& path, Config& config, std::string& error);
    // A port as written in the configuration or on the command line: 0 to 65535.
    static bool parsePort(const std::string& text, int& port);
};

class Server {
public:
    explicit Server(Config config);
    ~Server();

    // Binds the port; false with a reason when it cannot.
    bool bind(std::string& error);
    int port() const { return m_port; }
    // Serves until stop() (from another thread).
    void run();
    // Ends serving: slow and endless answers in flight give up at once.
    void stop();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    int m_port = 0;
};

// The fields of a form-encoded body, in order, decoded.
std::vector<std::pair<std::string, std::string>> parseForm(const std::string& body);
// The fields of a field-delimited line ("#a#,#b#").
std::vector<std::string> splitFields(const std::string& line);

} // namespace regione
