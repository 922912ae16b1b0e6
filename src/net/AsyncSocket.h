#pragma once

#include "net/NetTimeouts.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <cstddef>
#include <string>
#include <sys/socket.h>
#include <vector>

class QSocketNotifier;

// A non-blocking TCP client socket whose events arrive as signals on the Qt event
// loop: the outcome of a connect (an error code, 0 when connected), data to read,
// room to write again after a send would have blocked, and the peer's close.
//
// Read notifications are re-armed by receive(), and write notifications only
// follow a send that would have blocked, so a handler that leaves data unread
// or has nothing to write is not called again and again.
//
// The connect has a time-out; a host that cannot be resolved, a refused or
// unreachable address and the time-out all end in connected() with an error,
// never in silence. Host names are resolved when connect is called (this blocks
// briefly for names that are not numeric).
//
// Do not delete the socket from one of its own signals; use deleteLater().
// create, send and receive are virtual so a test can put a failing socket in.
namespace qb {

class AsyncSocket : public QObject {
    Q_OBJECT

public:
    enum Event { NoEvents = 0, Read = 1, Write = 2, Close = 4, AllEvents = Read | Write | Close };

    // connected() codes besides errno values.
    static constexpr int kHostNotFound = -1;

    static constexpr std::chrono::milliseconds kDefaultConnectTimeout = NetTimeouts{}.connect;
    static constexpr std::size_t kReceiveMax = 256;

    explicit AsyncSocket(QObject* parent = nullptr);
    ~AsyncSocket() override;

    // A TCP stream socket; false (with lastError) when the system refuses one.
    virtual bool create();
    // Starts connecting; the outcome arrives as connected(error).
    virtual void connectToHost(const std::string& host, int port);
    // Bytes taken (possibly fewer than given) or -1; after -1, wouldBlock() tells
    // a full send buffer apart from a failure.
    virtual long send(const char* data, std::size_t size);
    // Bytes read (at most `size`), 0 when the peer has closed, or -1.
    virtual long receive(char* buffer, std::size_t size);
    // The events reported from now on (a combination of Event). Connect outcomes
    // are always reported.
    // Bytes handed to send() that the system has not put on the wire yet: none
    // of them can have reached the peer. -1 when the system does not say.
    virtual long long bytesNotSent() const;
    // The next close throws away whatever the system still holds to send (a
    // reset), so what was not on the wire never reaches the peer later.
    void discardUnsentOnClose();
    // No more writes: the peer reads what is on its way, then the end.
    void shutdownWrite();
    void setEvents(int events);
    int events() const { return m_events; }
    // Closes at once; no signal follows. Safe to call twice.
    void close();

    bool isConnected() const { return m_state == State::Connected; }
    int lastError() const { return m_lastError; }
    bool wouldBlock() const;
    void setConnectTimeout(std::chrono::milliseconds timeout) { m_connectTimeout = timeout; }

signals:
    void connected(int error);
    void readable();
    void writable();
    void closed(int error);

protected:
    void setLastError(int error) { m_lastError = error; }

private:
    enum class State { Idle, Created, Connecting, Connected, PeerClosed, Closed };

    bool openSocket(int family);
    void dropSocket();
    void tryNextAddress();
    void finishConnect(int error);
    void reportConnectLater(int error);
    void onReadActivated();
    void onWriteActivated();
    void updateNotifiers();

    int m_fd = -1;
    State m_state = State::Idle;
    int m_events = AllEvents;
    int m_lastError = 0;
    bool m_readArmed = true;
    bool m_writeArmed = false;
    bool m_closeReported = false;
    unsigned m_attempt = 0; // stale queued connect outcomes are dropped
    std::vector<sockaddr_storage> m_addresses;
    std::vector<socklen_t> m_addressLengths;
    std::size_t m_nextAddress = 0;
    int m_lastConnectError = 0;
    std::chrono::milliseconds m_connectTimeout = kDefaultConnectTimeout;
    QTimer m_connectTimer;
    QSocketNotifier* m_readNotifier = nullptr;
    QSocketNotifier* m_writeNotifier = nullptr;
};

} // namespace qb
