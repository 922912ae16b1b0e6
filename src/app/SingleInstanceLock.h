#pragma once

#include <QLockFile>

#include <memory>
#include <string>

// One client per working folder. A lock file that a crashed client left behind
// is recognised (its process is gone) and taken over.
namespace qb {

class SingleInstanceLock {
public:
    explicit SingleInstanceLock(const std::string& workingFolder);
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    enum class Result {
        Acquired,
        HeldByAnother, // a running client holds it
        Unavailable,   // the lock file cannot be made (a read-only folder, say)
    };
    Result tryLock();
    void unlock();
    bool isLocked() const;

    static constexpr const char* kFileName = "Quillbank2.lock";
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace qb
