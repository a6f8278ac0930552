#include "RegioneServer.h"

#include <httplib.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <thread>
#include <type_traits>

namespace fs = std::filesystem;

namespace regione {

namespace {

std::string trim(const std::string& s)
{
    const auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos)
        return {};
    const auto e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

std::string htmlEscape(const std::string& s)
{
    std::string out;
    for (char c : s) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string decodeComponent(const std::string& s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '+') {
            out += ' ';
        } else if (s[i] == '%' && i + 2 < s.size() && std::isxdigit(static_cast<unsigned char>(s[i + 1])) &&
                   std::isxdigit(static_cast<unsigned char>(s[i + 2]))) {
            out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

const std::map<std::string, Failure>& failureNames()
{
    static const std::map<std::string, Failure> names = {{"nessuno", Failure::None},
                                                         {"errore", Failure::Error},
                                                         {"html", Failure::Html},
                                                         {"nonnumerico", Failure::NotNumeric},
                                                         {"lento", Failure::Slow},
                                                         {"caduta", Failure::Drop},
                                                         {"infinita", Failure::Endless},
                                                         {"nomevietato", Failure::ForbiddenName},
                                                         {"stato500", Failure::ErrorStatus},
                                                         {"negata", Failure::Denied},
                                                         {"gocce", Failure::Trickle}};
    return names;
}

const std::set<std::string>& serviceNames()
{
    static const std::set<std::string> names = {"identita", "accesso", "autenticazione", "nreg",
                                                "versione", "upload",  "anagrafe",       "assistenza"};
    return names;
}

template <typename Names> std::string listOf(const Names& names)
{
    std::string out;
    for (const auto& entry : names) {
        if (!out.empty())
            out += ", ";
        if constexpr (std::is_same_v<Names, std::set<std::string>>)
            out += entry;
        else
            out += entry.first;
    }
    return out;
}

// A whole number written with digits only (and an optional minus), within [min, max].
bool parseInteger(const std::string& text, long long min, long long max, long long& out)
{
    long long value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || value < min || value > max)
        return false;
    out = value;
    return true;
}

// The basic-authentication account of a request ("user:password"), or "".
std::string accountOf(const httplib::Request& req)
{
    const std::string header = req.get_header_value("Authorization");
    if (header.rfind("Basic ", 0) != 0)
        return {};
    static const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    int value = 0;
    int bits = -8;
    for (char c : header.substr(6)) {
        const auto pos = alphabet.find(c);
        if (pos == std::string::npos)
            break;
        value = (value << 6) + static_cast<int>(pos);
        bits += 6;
        if (bits >= 0) {
            out += static_cast<char>((value >> bits) & 0xFF);
            bits -= 8;
        }
    }
    return out;
}

std::string nameEntry(X509_NAME* name, int nid)
{
    const int index = X509_NAME_get_index_by_NID(name, nid, -1);
    if (index < 0)
        return {};
    ASN1_STRING* data = X509_NAME_ENTRY_get_data(X509_NAME_get_entry(name, index));
    unsigned char* utf8 = nullptr;
    const int len = ASN1_STRING_to_UTF8(&utf8, data);
    if (len < 0)
        return {};
    std::string out(reinterpret_cast<char*>(utf8), static_cast<size_t>(len));
    OPENSSL_free(utf8);
    return out;
}

struct ClientIdentity {
    std::string id;          // the certificate's common name
    std::string operatorKey; // its organisational unit, such as "A12"
};

// The verified client certificate of the connection, if any.
bool clientIdentity(const httplib::Request& req, ClientIdentity& identity)
{
    if (!req.ssl)
        return false;
    SSL* ssl = const_cast<SSL*>(req.ssl);
    X509* cert = SSL_get1_peer_certificate(ssl);
    if (!cert)
        return false;
    const bool verified = SSL_get_verify_result(ssl) == X509_V_OK;
    X509_NAME* subject = X509_get_subject_name(cert);
    identity.id = nameEntry(subject, NID_commonName);
    identity.operatorKey = nameEntry(subject, NID_organizationalUnitName);
    X509_free(cert);
    return verified && !identity.id.empty();
}

std::string answerPage(const std::string& id, long session, const std::string& operatorKey)
{
    return "<html><head><meta charset=\"utf-8\"><title>Servizio di identificazione</title></head><body>\n"
           "<p>Risposta: OK;" +
           htmlEscape(id) + ";" + std::to_string(session) + ";" + htmlEscape(operatorKey) + "</p>\n</body></html>\n";
}

const char* kErrorPage = "<html><head><title>500 Errore interno</title></head><body>\n"
                         "<h1>Errore interno del server</h1>\n"
                         "<p>Il servizio ha incontrato un errore imprevisto (simulazione).</p>\n</body></html>\n";

} // namespace

std::vector<std::pair<std::string, std::string>> parseForm(const std::string& body)
{
    std::vector<std::pair<std::string, std::string>> fields;
    std::stringstream in(body);
    std::string part;
    while (std::getline(in, part, '&')) {
        if (part.empty())
            continue;
        const auto eq = part.find('=');
        if (eq == std::string::npos)
            fields.emplace_back(decodeComponent(part), "");
        else
            fields.emplace_back(decodeComponent(part.substr(0, eq)), decodeComponent(part.substr(eq + 1)));
    }
    return fields;
}

std::vector<std::string> splitFields(const std::string& line)
{
    std::vector<std::string> fields;
    const std::string t = trim(line);
    if (t.size() < 2 || t.front() != '#')
        return fields;
    size_t pos = 1;
    while (pos <= t.size()) {
        const auto end = t.find('#', pos);
        if (end == std::string::npos) {
            fields.push_back(t.substr(pos));
            break;
        }
        fields.push_back(t.substr(pos, end - pos));
        pos = end + 3; // past "#,#"
    }
    return fields;
}

bool Config::parsePort(const std::string& text, int& port)
{
    long long value = 0;
    if (!parseInteger(text, 0, 65535, value))
        return false;
    port = static_cast<int>(value);
    return true;
}

bool Config::load(const std::string& path, Config& config, std::string& error)
{
    std::ifstream in(path);
    if (!in) {
        error = "impossibile leggere " + path;
        return false;
    }
    const fs::path base = fs::absolute(path).parent_path();
    auto resolve = [&](const std::string& value) {
        if (value.empty())
            return value;
        const fs::path p(value);
        return (p.is_absolute() ? p : base / p).string();
    };
    std::string section;
    std::string line;
    int number = 0;
    auto fail = [&](const std::string& reason) {
        error = path + ":" + std::to_string(number) + ": " + reason;
        return false;
    };
    auto integer = [&](const std::string& key, const std::string& value, long long min, long long max, long long& out) {
        if (parseInteger(value, min, max, out))
            return true;
        return fail(key + " non valido: " + value + " (ammessi da " + std::to_string(min) + " a " +
                    std::to_string(max) + ")");
    };
    while (std::getline(in, line)) {
        ++number;
        const std::string t = trim(line);
        if (t.empty() || t[0] == ';' || t[0] == '#')
            continue;
        if (t.front() == '[' && t.back() == ']') {
            section = t.substr(1, t.size() - 2);
            if (section != "server" && section != "identita" && section != "accessi" && section != "guasti")
                return fail("sezione sconosciuta [" + section + "] (ammesse: server, identita, accessi, guasti)");
            continue;
        }
        const auto eq = t.find('=');
        if (eq == std::string::npos)
            return fail("riga non valida");
        if (section.empty())
            return fail("riga fuori da una sezione");
        const std::string key = trim(t.substr(0, eq));
        const std::string value = trim(t.substr(eq + 1));
        long long n = 0;
        if (section == "server") {
            if (key == "indirizzo") {
                config.address = value;
            } else if (key == "porta") {
                if (!parsePort(value, config.port))
                    return fail("porta non valida: " + value + " (ammesse da 0 a 65535; 0 sceglie una porta libera)");
            } else if (key == "certificato") {
                config.certificate = resolve(value);
            } else if (key == "chiave") {
                config.key = resolve(value);
            } else if (key == "ca_client") {
                config.clientCa = resolve(value);
            } else if (key == "dati") {
                config.dataFolder = resolve(value);
            } else if (key == "stato") {
                config.stateFolder = resolve(value);
            } else if (key == "account") {
                config.account = value;
            } else if (key == "account_upload") {
                config.uploadAccount = value;
            } else if (key == "primo_numero") {
                if (!integer(key, value, 1, 2147483647, n))
                    return false;
                config.firstNumber = static_cast<long>(n);
            } else if (key == "versione") {
                config.versionAnswer = value;
            } else if (key == "ritardo") {
                if (!integer(key, value, 0, 3600, n))
                    return false;
                config.delaySeconds = static_cast<int>(n);
            } else {
                return fail("chiave sconosciuta nella sezione [server]: " + key);
            }
        } else if (section == "identita") {
            std::stringstream keys(value);
            std::string op;
            while (std::getline(keys, op, ','))
                config.identities[key].insert(trim(op));
        } else if (section == "accessi") {
            const auto semi = value.find(';');
            if (semi == std::string::npos)
                return fail("accesso non valido per " + key + ": atteso password;identita");
            config.logins[key] = {value.substr(0, semi), value.substr(semi + 1)};
        } else if (section == "guasti") {
            if (!serviceNames().count(key))
                return fail("servizio sconosciuto in [guasti]: " + key + " (ammessi: " + listOf(serviceNames()) + ")");
            const auto it = failureNames().find(value);
            if (it == failureNames().end())
                return fail("guasto sconosciuto per " + key + ": " + value + " (ammessi: " + listOf(failureNames()) +
                            ")");
            if (it->second == Failure::NotNumeric && key != "nreg")
                return fail("il guasto nonnumerico vale solo per nreg");
            if (it->second == Failure::ForbiddenName && key != "anagrafe")
                return fail("il guasto nomevietato vale solo per anagrafe");
            config.failures[key] = it->second;
        }
    }
    return true;
}

struct Server::Impl {
    Config config;
    std::unique_ptr<httplib::SSLServer> http;
    std::mutex mutex; // numbers, uploads and the log
    std::atomic<long> sessions{1};
    // Set by stop(): slow answers stop waiting and endless ones end, so that no answer in flight
    // holds the server up.
    std::atomic<bool> stopping{false};
    std::mutex stopMutex;
    std::condition_variable stopSignal;

    explicit Impl(Config c) : config(std::move(c)) {}

    Failure failureOf(const std::string& service) const
    {
        const auto it = config.failures.find(service);
        return it == config.failures.end() ? Failure::None : it->second;
    }

    void log(const httplib::Request& req, const httplib::Response& res)
    {
        std::lock_guard<std::mutex> lock(mutex);
        const std::time_t now = std::time(nullptr);
        char stamp[32];
        std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", std::localtime(&now));
        std::ostringstream line;
        line << stamp << ' ' << req.method << ' ' << req.path << ' ' << res.status << ' ' << req.body.size() << "B";
        std::cerr << line.str() << std::endl;
        if (!config.stateFolder.empty()) {
            std::ofstream out(fs::path(config.stateFolder) / "regione.log", std::ios::app);
            out << line.str() << '\n';
        }
    }

    // Plays the service's failure; true when the answer has been given.
    bool playFailure(const std::string& service, httplib::Response& res)
    {
        switch (failureOf(service)) {
        case Failure::None:
        case Failure::NotNumeric:
        case Failure::ForbiddenName:
        case Failure::Trickle:
            return false;
        case Failure::ErrorStatus:
            res.status = 500;
            res.set_content("Errore interno del server. Trasmissione completata con successo", "text/plain");
            return true;
        case Failure::Denied:
            res.set_content("ERRORE: file non acquisito. Trasmissione completata con successo NON avvenuta",
                            "text/plain");
            return true;
        case Failure::Error:
            res.set_content("ERRORE: servizio temporaneamente non disponibile (simulazione).", "text/plain");
            return true;
        case Failure::Html:
            res.status = 500;
            res.set_content(kErrorPage, "text/html");
            return true;
        case Failure::Slow: {
            std::unique_lock<std::mutex> lock(stopMutex);
            stopSignal.wait_for(lock, std::chrono::seconds(config.delaySeconds), [this] { return stopping.load(); });
            if (!stopping)
                return false;
            res.status = 503;
            res.set_content("ERRORE: servizio in chiusura.", "text/plain");
            return true;
        }
        case Failure::Endless:
            // Text without end, until the client gives up or the server stops.
            res.set_chunked_content_provider("text/plain", [this](size_t, httplib::DataSink& sink) {
                static const std::string chunk = [] {
                    std::string text;
                    while (text.size() < 64 * 1024)
                        text += "0123456789 risposta senza fine (simulazione)\r\n";
                    return text;
                }();
                return !stopping && sink.write(chunk.data(), chunk.size());
            });
            return true;
        case Failure::Drop:
            res.set_content_provider(
                1000, "text/plain", [](size_t, size_t, httplib::DataSink&) { return false; }, nullptr);
            return true;
        }
        return false;
    }

    static constexpr size_t kCompressedAnswer = 1024 * 1024;

    // The service's own answer, whole or, when it plays Trickle, in five pieces 700 ms apart.
    void answer(const std::string& service, httplib::Response& res, const std::string& content)
    {
        if (failureOf(service) != Failure::Trickle) {
            if (content.size() <= kCompressedAnswer) {
                res.set_content(content, "text/plain");
                return;
            }
            // A registry of tens of megabytes: the library's compressor would keep the client
            // waiting in silence for minutes. Sent as it is, as a plain server does.
            auto whole = std::make_shared<std::string>(content);
            res.set_content_provider(
                whole->size(), "text/plain",
                [whole](size_t offset, size_t length, httplib::DataSink& sink) {
                    return sink.write(whole->data() + offset, std::min(length, whole->size() - offset));
                },
                nullptr);
            return;
        }
        const size_t piece = std::max<size_t>(1, (content.size() + 4) / 5);
        // Not a text type: httplib would compress text for a client that accepts it, and the
        // compressor would hold the pieces back until the end.
        res.set_chunked_content_provider(
            "application/octet-stream", [this, content, piece](size_t offset, httplib::DataSink& sink) {
                if (offset > 0) {
                    std::unique_lock<std::mutex> lock(stopMutex);
                    stopSignal.wait_for(lock, std::chrono::milliseconds(700), [this] { return stopping.load(); });
                }
                if (stopping)
                    return false;
                if (offset >= content.size()) {
                    sink.done();
                    return true;
                }
                const size_t length = std::min(piece, content.size() - offset);
                return sink.write(content.data() + offset, length);
            });
    }

    bool requireAccount(const httplib::Request& req, httplib::Response& res, const std::string& account)
    {
        if (accountOf(req) == account)
            return true;
        res.status = 401;
        res.set_header("WWW-Authenticate", "Basic realm=\"Regione\"");
        res.set_content("ERRORE: accesso non autorizzato.", "text/plain");
        return false;
    }

    long nextNumber()
    {
        std::lock_guard<std::mutex> lock(mutex);
        const fs::path file = fs::path(config.stateFolder) / "ultimo-numero.txt";
        long last = config.firstNumber - 1;
        {
            std::ifstream in(file);
            long stored = 0;
            if (in >> stored && stored > last)
                last = stored;
        }
        const long next = last + 1;
        const fs::path temp = file.string() + ".nuovo";
        {
            std::ofstream out(temp, std::ios::trunc);
            out << next << '\n';
        }
        fs::rename(temp, file);
        return next;
    }

    std::string keepUpload(const std::string& body)
    {
        const auto lf = body.find('\n');
        std::string name = body.substr(0, lf);
        name = fs::path(trim(name)).filename().string(); // never outside the folder
        if (name.empty() || name == "." || name == "..")
            name = "senza-nome";
        std::lock_guard<std::mutex> lock(mutex);
        const fs::path folder = fs::path(config.stateFolder) / "ricevuti";
        fs::create_directories(folder);
        std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
        out << (lf == std::string::npos ? std::string() : body.substr(lf + 1));
        return name;
    }

    // The registry lines of the requested operators, in the download's answer format.
    std::string registry(const std::vector<std::pair<std::string, std::string>>& form)
    {
        std::set<std::string> wanted;
        std::string group;
        for (const auto& [key, value] : form) {
            if (key == "g")
                group = value;
            else if (key == "c")
                wanted.insert(group + "|" + value);
        }
        std::string answer;
        for (const char* name : {"oper.tx1", "compo.tx1", "sediocc.tx1", "sediutil.tx1"}) {
            std::ifstream in(fs::path(config.dataFolder) / name, std::ios::binary);
            if (!in)
                continue;
            answer += std::string(name) + "\r\n";
            std::string line;
            while (std::getline(in, line)) {
                if (!line.empty() && line.back() == '\r')
                    line.pop_back();
                const auto fields = splitFields(line);
                if (fields.size() >= 2 && wanted.count(trim(fields[0]) + "|" + trim(fields[1])))
                    answer += line + "\r\n";
            }
            answer += "EOF\r\n";
        }
        return answer;
    }

    void routes()
    {
        auto& s = *http;
        s.set_logger([this](const httplib::Request& req, const httplib::Response& res) { log(req, res); });

        s.Get("/identita/risposta", [this](const httplib::Request& req, httplib::Response& res) {
            if (playFailure("identita", res))
                return;
            ClientIdentity who;
            if (!clientIdentity(req, who)) {
                res.status = 403;
                res.set_content("<html><body><h1>Accesso negato</h1><p>Certificato personale assente o non "
                                "riconosciuto.</p></body></html>",
                                "text/html");
                return;
            }
            res.set_content(answerPage(who.id, sessions++, who.operatorKey), "text/html");
        });

        auto loginForm = [](const std::string& note) {
            return "<html><head><meta charset=\"utf-8\"><title>Accesso al servizio di identificazione</title>"
                   "</head><body><h1>Accesso al servizio di identificazione</h1>" +
                   note +
                   "<form method=\"post\" action=\"/identita/accesso\">"
                   "<p>Utente: <input name=\"utente\"></p><p>Password: <input name=\"password\" type=\"password\">"
                   "</p><p><input type=\"submit\" value=\"Accedi\"></p></form></body></html>";
        };
        s.Get("/identita/accesso", [this, loginForm](const httplib::Request& req, httplib::Response& res) {
            if (playFailure("accesso", res))
                return;
            ClientIdentity who;
            if (clientIdentity(req, who))
                res.set_content(answerPage(who.id, sessions++, who.operatorKey), "text/html");
            else
                res.set_content(loginForm(""), "text/html");
        });
        s.Post("/identita/accesso", [this, loginForm](const httplib::Request& req, httplib::Response& res) {
            if (playFailure("accesso", res))
                return;
            std::string user, password;
            for (const auto& [k, v] : parseForm(req.body)) {
                if (k == "utente")
                    user = v;
                else if (k == "password")
                    password = v;
            }
            const auto it = config.logins.find(user);
            if (it == config.logins.end() || it->second.first != password) {
                res.set_content(loginForm("<p><b>Utente o password errati.</b></p>"), "text/html");
                return;
            }
            const std::string& id = it->second.second;
            const auto ops = config.identities.find(id);
            const std::string key = ops == config.identities.end() || ops->second.empty() ? "" : *ops->second.begin();
            res.set_content(answerPage(id, sessions++, key), "text/html");
        });

        s.Post("/autenticazione/verifica", [this](const httplib::Request& req, httplib::Response& res) {
            if (playFailure("autenticazione", res))
                return;
            std::string group, code, id;
            for (const auto& [k, v] : parseForm(req.body)) {
                if (k == "gruppo")
                    group = v;
                else if (k == "codice")
                    code = v;
                else if (k == "nembo_id")
                    id = v;
            }
            const auto it = config.identities.find(id);
            const bool associated = it != config.identities.end() && it->second.count(group + code);
            res.set_content(associated ? "VERIFICA SUPERATA"
                                       : "VERIFICA NON SUPERATA: identita' non associata "
                                         "all'operatore.",
                            "text/plain");
        });

        s.Post("/nreg/numero", [this](const httplib::Request& req, httplib::Response& res) {
            if (!requireAccount(req, res, config.account) || playFailure("nreg", res))
                return;
            if (failureOf("nreg") == Failure::NotNumeric) {
                res.set_content("NUMERO NON DISPONIBILE", "text/plain");
                return;
            }
            res.set_content(std::to_string(nextNumber()) + "\r\n", "text/plain");
        });

        s.Post("/versione/verifica", [this](const httplib::Request& req, httplib::Response& res) {
            if (playFailure("versione", res))
                return;
            (void)req;
            answer("versione", res, config.versionAnswer);
        });

        s.Post("/cgi-bin/fp/upload/allegati_fp_upload", [this](const httplib::Request& req, httplib::Response& res) {
            if (!requireAccount(req, res, config.uploadAccount) || playFailure("upload", res))
                return;
            const std::string name = keepUpload(req.body);
            answer("upload", res, "File " + name + " ricevuto. Trasmissione completata con successo");
        });

        s.Post("/anagrafe/operatori", [this](const httplib::Request& req, httplib::Response& res) {
            if (!requireAccount(req, res, config.account) || playFailure("anagrafe", res))
                return;
            std::string answer = registry(parseForm(req.body));
            // After the real files, one whose name points out of the program folder.
            if (failureOf("anagrafe") == Failure::ForbiddenName)
                answer += "../VELTRANORPX.INI\r\n#x#\r\nEOF\r\n";
            this->answer("anagrafe", res, answer);
        });

        s.Get("/cgi-bin/fp/upload/form_allegato_bin_upload.cgi",
              [this](const httplib::Request& req, httplib::Response& res) {
                  if (playFailure("assistenza", res))
                      return;
                  std::string page = "<html><head><meta charset=\"utf-8\"><title>Richiesta di assistenza</title>"
                                     "</head><body><h1>Richiesta di assistenza</h1><form method=\"post\">";
                  for (const char* key :
                       {"fr", "su", "g", "c", "d", "cp", "so", "h", "ie", "mem", "tel", "rif", "prb", "ap", "file"}) {
                      page += "<p>" + std::string(key) + ": <input name=\"" + key + "\" value=\"" +
                              htmlEscape(req.get_param_value(key)) + "\"></p>";
                  }
                  page += "<p><input type=\"submit\" value=\"Invia\"></p></form></body></html>";
                  res.set_content(page, "text/html");
              });
    }
};

Server::Server(Config config) : m_impl(std::make_unique<Impl>(std::move(config))) {}

Server::~Server() = default;

bool Server::bind(std::string& error)
{
    Config& c = m_impl->config;
    if (!c.stateFolder.empty())
        fs::create_directories(c.stateFolder);
    m_impl->http = std::make_unique<httplib::SSLServer>([&c](SSL_CTX& ctx) {
        SSL_CTX_set_min_proto_version(&ctx, TLS1_2_VERSION);
        if (SSL_CTX_use_certificate_chain_file(&ctx, c.certificate.c_str()) != 1 ||
            SSL_CTX_use_PrivateKey_file(&ctx, c.key.c_str(), SSL_FILETYPE_PEM) != 1)
            return false;
        if (!c.clientCa.empty()) {
            // A client certificate is asked for but not required: only the identity pages need one.
            if (SSL_CTX_load_verify_locations(&ctx, c.clientCa.c_str(), nullptr) != 1)
                return false;
            SSL_CTX_set_client_CA_list(&ctx, SSL_load_client_CA_file(c.clientCa.c_str()));
            SSL_CTX_set_verify(&ctx, SSL_VERIFY_PEER, [](int, X509_STORE_CTX*) { return 1; });
        }
        return true;
    });
    if (!m_impl->http->is_valid()) {
        error = "certificato o chiave del server non validi (" + c.certificate + ", " + c.key + ")";
        return false;
    }
    m_impl->http->set_read_timeout(30);
    m_impl->http->set_write_timeout(30);
    // An idle kept-alive connection is looked at again after this long; a stop waits no longer.
    m_impl->http->set_keep_alive_timeout(1);
    m_impl->routes();
    if (c.port < 0 || c.port > 65535) {
        error = "porta non valida: " + std::to_string(c.port) + " (ammesse da 0 a 65535)";
        return false;
    }
    if (c.port == 0) {
        m_port = m_impl->http->bind_to_any_port(c.address);
    } else {
        m_port = m_impl->http->bind_to_port(c.address, c.port) ? c.port : -1;
    }
    if (m_port <= 0) {
        error = "impossibile aprire la porta " + std::to_string(c.port) + " su " + c.address;
        return false;
    }
    return true;
}

void Server::run()
{
    m_impl->http->listen_after_bind();
}

void Server::stop()
{
    {
        std::lock_guard<std::mutex> lock(m_impl->stopMutex);
        m_impl->stopping = true;
    }
    m_impl->stopSignal.notify_all();
    if (m_impl->http)
        m_impl->http->stop();
}

} // namespace regione
