#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

// A listening TCP socket with one thread per accepted connection: the shape
// every server of the stand-in service takes. Blocking I/O, woken by stop().
namespace qbs {

class TcpServer {
public:
    // Runs on the connection's own thread; the descriptor is closed when it returns.
    using Handler = std::function<void(int fd)>;

    // Port 0 takes any free port; port() tells which.
    TcpServer(std::string name, std::string host, int port, Handler handler);
    ~TcpServer();
    TcpServer(const TcpServer&) = delete;
    TcpServer& operator=(const TcpServer&) = delete;

    // Binds and starts accepting; throws std::runtime_error when it cannot bind.
    void start();
    // Stops accepting, wakes every thread and waits for them; safe to call twice.
    void stop();
    int port() const { return m_port; }
    const std::string& name() const { return m_name; }

    // For handlers. Each returns false once stop() was called.
    // Reads exactly `size` bytes; false on end of stream or error too.
    bool readExact(int fd, char* buffer, std::size_t size) const;
    // Reads what is there (at most `size`); 0 at end of stream, -1 on error or
    // stop, kTimedOut when nothing came within `timeout` (negative: no limit).
    static constexpr long kTimedOut = -2;
    long readSome(int fd, char* buffer, std::size_t size,
                  std::chrono::milliseconds timeout = std::chrono::milliseconds(-1)) const;
    bool writeAll(int fd, std::string_view bytes) const;
    // Sleeps, unless stop() comes first.
    bool pause(std::chrono::milliseconds duration) const;

private:
    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };

    void acceptLoop();
    void reapFinished();
    enum class Wait { Readable, Stopped, TimedOut };
    Wait waitReadable(int fd, std::chrono::milliseconds timeout = std::chrono::milliseconds(-1)) const;

    std::string m_name;
    std::string m_host;
    int m_port;
    Handler m_handler;
    int m_listenFd = -1;
    int m_stopFd = -1;
    std::thread m_acceptThread;
    std::mutex m_workersMutex;
    std::list<Worker> m_workers;
    bool m_stopped = false;
};

} // namespace qbs
