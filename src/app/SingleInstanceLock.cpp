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

SingleInstanceLock::Result SingleInstanceLock::tryLock() {
    if (m_lock->isLocked() || m_lock->tryLock(0))
        return Result::Acquired;
    if (m_lock->error() != QLockFile::LockFailedError)
        return Result::Unavailable;
    // tryLock already takes over a file whose process is gone. A file whose
    // process id now belongs to another program of the same name is caught by
    // the file lock: nobody holds that, so the file is stale too.
    if (m_lock->removeStaleLockFile() && m_lock->tryLock(0))
        return Result::Acquired;
    return Result::HeldByAnother;
}

void SingleInstanceLock::unlock() {
    m_lock->unlock();
}

bool SingleInstanceLock::isLocked() const {
    return m_lock->isLocked();
}

} // namespace qb
