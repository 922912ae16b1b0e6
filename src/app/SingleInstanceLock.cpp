#include "app/SingleInstanceLock.h"

#include <QString>

namespace qb {

SingleInstanceLock::SingleInstanceLock(const std::string& workingFolder)
    : m_path(workingFolder + "/" + kFileName),
      m_lock(std::make_unique<QLockFile>(QString::fromStdString(m_path))) {
    // A running client may hold the lock for days; only a dead holder makes it stale.
    m_lock->setStaleLockTime(0);
}

SingleInstanceLock::~SingleInstanceLock() = default;

bool SingleInstanceLock::tryLock() {
    if (m_lock->isLocked())
        return true;
    if (m_lock->tryLock(0))
        return true;
    // tryLock removes a stale file only after the first failure reports it.
    if (m_lock->error() == QLockFile::LockFailedError && m_lock->removeStaleLockFile())
        return m_lock->tryLock(0);
    return false;
}

void SingleInstanceLock::unlock() {
    m_lock->unlock();
}

bool SingleInstanceLock::isLocked() const {
    return m_lock->isLocked();
}

} // namespace qb
