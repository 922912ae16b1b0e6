#pragma once

#include "WebFaults.h"
#include "WebStore.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace httplib {
class Server;
struct Request;
struct Response;
} // namespace httplib

namespace qbs {

class Database;
class WebCall;

// The service's web application: every document the client reads or writes,
// the pages its browser views show, and the pictures, over plain HTTP on
// loopback. It runs on its own threads; the data lives in `Database`.
class WebServer {
public:
    explicit WebServer(Database& db);
    ~WebServer();
    WebServer(const WebServer&) = delete;
    WebServer& operator=(const WebServer&) = delete;

    // Binds `host`:`port` (0: a port the system picks) and serves until stop().
    // False when the port cannot be bound.
    bool start(int port = 0, const std::string& host = "127.0.0.1");
    void stop();
    int port() const { return m_port; }

    WebStore& store() { return m_store; }
    WebFaults& faults() { return m_faults; }

    // One line per request answered ("web GET /path 200"); set before start().
    void setLog(std::function<void(const std::string&)> log) { m_log = std::move(log); }

    // The rows of the results page for a user, as HTML; the page frames them.
    using PageRows = std::function<std::string(const std::string& userId)>;
    void setResultsRows(PageRows rows);
    // The body of sendstatus.jsp for a user's send tag ("done|120"); without
    // it the document is not there (404).
    using JobStatus =
        std::function<std::string(const std::string& userId, const std::string& sendTag, bool later)>;
    void setJobStatus(JobStatus status);

    // "METHOD target" of every request so far, in arrival order.
    std::vector<std::string> requests() const;
    void clearRequests();

private:
    using Handler = void (WebServer::*)(WebCall&);
    void route(const char* method, std::string_view endpoint, Handler handler);
    void dispatch(std::string_view endpoint, Handler handler, const httplib::Request& req,
                  httplib::Response& res);
    void pause(int ms);

    // Address book.
    void getGroups(WebCall& call);
    void getEntries(WebCall& call);
    void addGroup(WebCall& call);
    void addEntries(WebCall& call);
    void modifyEntry(WebCall& call);
    void deleteEntries(WebCall& call);
    void moveEntries(WebCall& call);
    // Saved messages and their pictures.
    void getSms(WebCall& call);
    void getLms(WebCall& call);
    void getMms(WebCall& call);
    void deleteSms(WebCall& call);
    void deleteLms(WebCall& call);
    void deleteMms(WebCall& call);
    void saveSms(WebCall& call);
    void saveLms(WebCall& call);
    void saveMms(WebCall& call);
    void getPicture(WebCall& call);
    void uploadSendPictures(WebCall& call);
    // Callback numbers and balance.
    void getCallbackDetail(WebCall& call);
    void deleteCallback(WebCall& call);
    void getCallbacks(WebCall& call);
    void getBalance(WebCall& call);
    // Pages.
    void resultsPage(WebCall& call);
    void reservationsPage(WebCall& call);
    void chargingPage(WebCall& call);
    void noticesPage(WebCall& call);
    void memberPage(WebCall& call);
    // What the send port did with a job, asked after a fault.
    void sendStatus(WebCall& call);

    void getMessages(WebCall& call, MessageStore store);
    void deleteMessage(WebCall& call, MessageStore store);

    WebStore m_store;
    WebFaults m_faults;
    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    std::atomic<bool> m_loopDone{false};
    int m_port = 0;

    std::mutex m_wakeLock;
    std::condition_variable m_wake;
    bool m_stopping = false;

    mutable std::mutex m_logLock;
    std::vector<std::string> m_requests;
    PageRows m_resultsRows;
    JobStatus m_jobStatus;
    std::function<void(const std::string&)> m_log;
};

} // namespace qbs
