#pragma once

// A message box runs the event loop, so a connection's socket handlers can run
// inside one another. Each handler holds a scope; when the outermost one returns,
// `leave` runs, and the owner may then delete a connection closed meanwhile.
namespace qb {

template <class Leave> class HandlerScope {
public:
    HandlerScope(int& depth, Leave leave) : m_depth(depth), m_leave(leave) { ++m_depth; }
    ~HandlerScope() {
        if (--m_depth == 0)
            m_leave();
    }
    HandlerScope(const HandlerScope&) = delete;
    HandlerScope& operator=(const HandlerScope&) = delete;

private:
    int& m_depth;
    Leave m_leave;
};

} // namespace qb
