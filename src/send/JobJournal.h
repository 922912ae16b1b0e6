#pragma once

#include "common/SendQueue.h"
#include "common/SendTypes.h"
#include "send/JournalFormat.h"

#include <future>
#include <memory>
#include <string>
#include <vector>

// A send job kept in the working folder from before its first record goes until
// the service has taken all of it, so that a crash of the client, of qbsend or of
// the machine neither loses nor repeats a record.
//
// One append-only file per job under "<working folder>/sendjob", laid out as
// send/JournalFormat.h says: the head and the queue's records, then one entry per
// event. Every entry is on disk (fdatasync) before the step it allows is taken;
// the head and records are written whole under a temporary name first and
// renamed. A process that works on a journal holds an flock on it, so a second
// process leaves it alone. A journal that cannot be trusted is read back with its
// `problem` and nothing is sent from it.
namespace qb {

class JobJournal {
public:
    JobJournal();
    ~JobJournal();
    JobJournal(const JobJournal&) = delete;
    JobJournal& operator=(const JobJournal&) = delete;

    static std::string folderOf(const std::string& workingFolder);

    // Writes a new journal holding every record left in `queue` (from its front),
    // on disk before it returns. False with `error` set when it cannot.
    bool create(const std::string& folder, const std::string& userId, MessageKind kind,
                const PictureSlots& pictures, int pictureCount, const SendQueue& queue, std::string& error);
    // Writes the file of a journal for `queue` on a helper thread, while the user
    // reads the preview, so that create() for the same records only has to
    // publish it: pressing send does not wait for megabytes to reach the disk. A
    // queue refilled since, another user or other pictures make create() write
    // anew and the prepared file goes.
    void prepare(const std::string& folder, const std::string& userId, MessageKind kind,
                 const PictureSlots& pictures, int pictureCount, const SendQueue& queue);
    void waitForPrepared() const;
    // Takes over a journal read back (it must still be locked by nobody, and
    // unchanged since it was read); a torn last entry is cut off first.
    bool adopt(const JournalContents& contents, std::string& error);

    bool isOpen() const { return m_fd >= 0; }
    const std::string& path() const { return m_path; }

    // Each is on disk when it returns true.
    bool beginSegment(const JournalSegment& segment);
    bool allow(long long upTo);
    // The same mark, made durable on a helper thread while the writer goes on with
    // what is allowed already; allowSettled() waits for it and says whether it held.
    bool allowAhead(long long upTo);
    bool allowSettled();
    bool recordTaken(std::size_t segment, long long count);
    bool recordReached(std::size_t segment, long long count);
    // Why the last write failed (errno), 0 when none did.
    int lastError() const { return m_lastError; }

    // The whole job is with the service: the journal goes.
    void finish();
    // The process lets go of the journal and keeps it for a later resume.
    void close();

    // The journals in `folder` of `userId` that no other process holds, oldest first.
    static std::vector<std::string> pending(const std::string& folder, const std::string& userId);
    // Every journal file in `folder`, oldest first: damaged ones, other users' and
    // those another process holds included.
    struct Listed {
        std::string path;
        bool inUse = false; // another process works on it
    };
    static std::vector<Listed> list(const std::string& folder);
    // Moves a journal into "<folder>/set-aside", never deleting it; refused while
    // another process holds it. The new path, or empty with `error` set.
    static std::string setAside(const std::string& path, std::string& error);
    // The journal at `path` read back; its `problem` starts with the path.
    static JournalContents read(const std::string& path);
    static bool remove(const std::string& path);

private:
    struct Prepared;
    bool append(const std::string& entry);
    // Writes one entry at the end; a write that fails is cut back, so the next
    // entry never lies behind a torn one.
    bool writeAtEnd(const std::string& bytes);
    // The prepared file's descriptor when it was written for exactly this, else -1
    // (and it is gone).
    int takePrepared(const std::string& folder, const std::string& head, const SendQueue& queue,
                     std::string& path);
    void discardPrepared();

    int m_fd = -1;
    int m_lastError = 0;
    std::future<bool> m_sync; // a mark written ahead, until durable
    std::string m_path;
    std::unique_ptr<Prepared> m_prepared;
};

} // namespace qb
