#include "WebServer.h"

#include "WebCall.h"

#include <httplib.h>

#include <chrono>

namespace qbs {
namespace {

std::string patternFor(std::string_view endpoint) {
    if (endpoint == "fileSave")
        return "/fileSave/(.+)";
    std::string p = "/";
    for (const char c : endpoint) {
        if (c == '.')
            p += '\\';
        p += c;
    }
    return p;
}

// Keeps the first half of the body and announces more than all of it, so the
// client sees the connection close in the middle of the reply.
void truncate(httplib::Response& res) {
    auto body = std::make_shared<std::string>(std::move(res.body));
    res.body.clear();
    const std::string type = res.get_header_value("Content-Type");
    res.set_content_provider(body->size() + 16, type.empty() ? "text/plain" : type,
                             [body](std::size_t, std::size_t, httplib::DataSink& sink) {
                                 sink.write(body->data(), body->size() / 2);
                                 return false;
                             });
}

} // namespace

WebServer::WebServer(Database& db) : m_store(db), m_server(std::make_unique<httplib::Server>()) {
    m_server->set_payload_max_length(64u << 20);
    m_server->set_keep_alive_max_count(1);
    // SO_REUSEADDR alone, as the service's other ports: a restart can take the
    // port again at once, but a second service cannot share it unnoticed.
    m_server->set_socket_options([](socket_t sock) {
        const int one = 1;
        ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    });

    route("GET", "getaddrgroup.jsp", &WebServer::getGroups);
    route("GET", "getaddrdata.jsp", &WebServer::getEntries);
    route("POST", "setaddrgroup.jsp", &WebServer::addGroup);
    route("POST", "setaddrdata.jsp", &WebServer::addEntries);
    route("POST", "modifyaddrdata.jsp", &WebServer::modifyEntry);
    route("POST", "deladdrgroup.jsp", &WebServer::deleteEntries);
    route("POST", "moveaddrgroup.jsp", &WebServer::moveEntries);

    route("GET", "getsmsmsg.jsp", &WebServer::getSms);
    route("GET", "getlmsmsg.jsp", &WebServer::getLms);
    route("GET", "getmmsmsg.jsp", &WebServer::getMms);
    route("GET", "delsmsmsg.jsp", &WebServer::deleteSms);
    route("GET", "dellmsmsg.jsp", &WebServer::deleteLms);
    route("GET", "delmmsmsg.jsp", &WebServer::deleteMms);
    route("POST", "setsmsmsg.jsp", &WebServer::saveSms);
    route("POST", "setlmsmsg.jsp", &WebServer::saveLms);
    route("POST", "setmmsmsg.jsp", &WebServer::saveMms);
    route("GET", "fileSave", &WebServer::getPicture);
    route("POST", "uploadmmsimage.jsp", &WebServer::uploadSendPictures);

    route("GET", "Rcvcallbackviewdetail.jsp", &WebServer::getCallbackDetail);
    route("GET", "delcallback.jsp", &WebServer::deleteCallback);
    route("GET", "Rcvcallbackview.jsp", &WebServer::getCallbacks);
    route("GET", "ClientStatview.jsp", &WebServer::getBalance);

    route("GET", "ClientStatMgrd.jsp", &WebServer::resultsPage);
    route("GET", "view_reservedata.jsp", &WebServer::reservationsPage);
    route("GET", "ClientStatMgr.jsp", &WebServer::chargingPage);
    route("GET", "ClientNoticeReader.jsp", &WebServer::noticesPage);
    route("GET", "ClientUserinit.jsp", &WebServer::memberPage);

    route("GET", "sendstatus.jsp", &WebServer::sendStatus);
}

WebServer::~WebServer() {
    stop();
}

void WebServer::route(const char* method, std::string_view endpoint, Handler handler) {
    auto fn = [this, endpoint = std::string(endpoint), handler](const httplib::Request& req,
                                                                httplib::Response& res) {
        dispatch(endpoint, handler, req, res);
    };
    if (std::string_view(method) == "POST")
        m_server->Post(patternFor(endpoint), fn);
    else
        m_server->Get(patternFor(endpoint), fn);
}

void WebServer::dispatch(std::string_view endpoint, Handler handler, const httplib::Request& req,
                         httplib::Response& res) {
    {
        const std::lock_guard guard(m_logLock);
        m_requests.push_back(req.method + " " + req.target);
    }
    const FaultRule rule = m_faults.lookup(endpoint);
    switch (rule.fault) {
    case WebFault::Slow:
        pause(rule.delayMs);
        break;
    case WebFault::ServerError:
        res.status = 500;
        res.set_content("<html><head><title>500 Internal Server Error</title></head>\n"
                        "<body><h1>Internal Server Error</h1></body></html>\n",
                        "text/html");
        return;
    case WebFault::InvalidJson:
        res.status = 200;
        res.set_content("{ \"broken\" : [ { \"idx\" : ", "application/json");
        return;
    case WebFault::Canned:
        res.status = rule.status;
        res.set_content(rule.body, "application/json; charset=euc-kr");
        return;
    default:
        break;
    }

    WebCall call(req, res, rule.fault == WebFault::MissingMember);
    try {
        (this->*handler)(call);
    } catch (const BadRequest& e) {
        res.status = 400;
        res.set_content(std::string("bad request: ") + e.what() + "\n", "text/plain");
    } catch (const std::exception& e) {
        res.status = 500;
        res.set_content(std::string("server error: ") + e.what() + "\n", "text/plain");
    }
    if (rule.fault == WebFault::Truncated)
        truncate(res);
}

void WebServer::pause(int ms) {
    std::unique_lock lock(m_wakeLock);
    m_wake.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_stopping; });
}

bool WebServer::start(int port, const std::string& host) {
    if (m_thread.joinable())
        return false;
    if (m_log) {
        m_server->set_logger([log = m_log](const httplib::Request& req, const httplib::Response& res) {
            log("web " + req.method + " " + req.target + " " + std::to_string(res.status));
        });
    }
    {
        const std::lock_guard guard(m_wakeLock);
        m_stopping = false;
    }
    if (port == 0) {
        m_port = m_server->bind_to_any_port(host);
        if (m_port <= 0)
            return false;
    } else {
        if (!m_server->bind_to_port(host, port))
            return false;
        m_port = port;
    }
    // The socket already listens, so clients may connect before the loop runs.
    m_loopDone = false;
    m_thread = std::thread([this] {
        m_server->listen_after_bind();
        m_loopDone = true;
    });
    return true;
}

void WebServer::stop() {
    {
        const std::lock_guard guard(m_wakeLock);
        m_stopping = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable()) {
        // stop() does nothing until the loop has started, so wait for it to start.
        while (!m_server->is_running() && !m_loopDone)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        m_server->stop();
        m_thread.join();
    }
}

void WebServer::setResultsRows(PageRows rows) {
    m_resultsRows = std::move(rows);
}

void WebServer::setJobStatus(JobStatus status) {
    m_jobStatus = std::move(status);
}

std::vector<std::string> WebServer::requests() const {
    const std::lock_guard guard(m_logLock);
    return m_requests;
}

void WebServer::clearRequests() {
    const std::lock_guard guard(m_logLock);
    m_requests.clear();
}

} // namespace qbs
