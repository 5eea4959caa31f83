#pragma once
// The effect's one lock, recursive: setParameter re-enters it from inside processing.
#include <mutex>

class CCriticalSection {
public:
    CCriticalSection() = default;
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    bool Lock() { m_mutex.lock(); return true; }
    bool Unlock() { m_mutex.unlock(); return true; }

private:
    std::recursive_mutex m_mutex;
};

// Scope guard for the lock.
class CSingleLock {
public:
    explicit CSingleLock(CCriticalSection& section) : m_section(section) { m_section.Lock(); }
    ~CSingleLock() { m_section.Unlock(); }
    CSingleLock(const CSingleLock&) = delete;
    CSingleLock& operator=(const CSingleLock&) = delete;

private:
    CCriticalSection& m_section;
};
