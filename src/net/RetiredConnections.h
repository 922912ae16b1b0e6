#pragma once

#include <QObject>
#include <QTimer>

#include <memory>
#include <vector>

// Connections closed while one of their own handlers may still be running (they
// are often closed from inside one, under a message box): kept until control is
// back in the event loop and none of them is in a handler. One that leaves its
// handler later asks again with purgeLater().
namespace qb {

template <class Connection> class RetiredConnections {
public:
    // `owner` runs the deferred purge; the list dies with it.
    explicit RetiredConnections(QObject* owner) : m_owner(owner) {}

    void retire(std::unique_ptr<Connection> connection) {
        connection->close();
        m_retired.push_back(std::move(connection));
        purgeLater();
    }
    void purgeLater() {
        QTimer::singleShot(0, m_owner, [this] {
            std::erase_if(m_retired, [](const std::unique_ptr<Connection>& c) { return !c->inHandler(); });
        });
    }
    void clear() { m_retired.clear(); }

private:
    QObject* m_owner;
    std::vector<std::unique_ptr<Connection>> m_retired;
};

} // namespace qb
