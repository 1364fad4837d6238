// thread_annotations.h: the lock annotations clang's -Wthread-safety checks, and a mutex
// that carries them.
//
// A member or global touched by several threads is marked with the mutex that guards it
// (GUARDED_BY), a function that needs the mutex held says so (REQUIRES), and the clang
// build of the engine (scripts/test.sh) refuses code that breaks either. Other compilers
// see nothing. A lambda run under a lock a caller took says so too:
//   guarded([&]() REQUIRES(gApiMutex) { ... });
#ifndef BREVANTIS_ENGINE_BASE_THREAD_ANNOTATIONS_H
#define BREVANTIS_ENGINE_BASE_THREAD_ANNOTATIONS_H

#include <mutex>
#include <shared_mutex>

#if defined(__clang__)
#define BREVANTIS_THREAD_ATTRIBUTE(x) __attribute__((x))
#else
#define BREVANTIS_THREAD_ATTRIBUTE(x)
#endif

#define CAPABILITY(x) BREVANTIS_THREAD_ATTRIBUTE(capability(x))
#define SCOPED_CAPABILITY BREVANTIS_THREAD_ATTRIBUTE(scoped_lockable)
#define GUARDED_BY(x) BREVANTIS_THREAD_ATTRIBUTE(guarded_by(x))
#define PT_GUARDED_BY(x) BREVANTIS_THREAD_ATTRIBUTE(pt_guarded_by(x))
#define REQUIRES(...) BREVANTIS_THREAD_ATTRIBUTE(requires_capability(__VA_ARGS__))
#define REQUIRES_SHARED(...) BREVANTIS_THREAD_ATTRIBUTE(requires_shared_capability(__VA_ARGS__))
#define EXCLUDES(...) BREVANTIS_THREAD_ATTRIBUTE(locks_excluded(__VA_ARGS__))
#define ACQUIRE(...) BREVANTIS_THREAD_ATTRIBUTE(acquire_capability(__VA_ARGS__))
#define ACQUIRE_SHARED(...) BREVANTIS_THREAD_ATTRIBUTE(acquire_shared_capability(__VA_ARGS__))
#define RELEASE(...) BREVANTIS_THREAD_ATTRIBUTE(release_capability(__VA_ARGS__))
#define RELEASE_SHARED(...) BREVANTIS_THREAD_ATTRIBUTE(release_shared_capability(__VA_ARGS__))
#define ACQUIRED_BEFORE(...) BREVANTIS_THREAD_ATTRIBUTE(acquired_before(__VA_ARGS__))
#define RETURN_CAPABILITY(x) BREVANTIS_THREAD_ATTRIBUTE(lock_returned(x))
#define NO_THREAD_SAFETY_ANALYSIS BREVANTIS_THREAD_ATTRIBUTE(no_thread_safety_analysis)

namespace engine {

// std::mutex, named as a capability so that the analysis can follow it.
class CAPABILITY("mutex") Mutex {
  public:
    void lock() ACQUIRE() { mutex_.lock(); }
    void unlock() RELEASE() { mutex_.unlock(); }

  private:
    std::mutex mutex_;
};

// Holds a Mutex for the scope it lives in.
class SCOPED_CAPABILITY MutexLock {
  public:
    explicit MutexLock(Mutex& mutex) ACQUIRE(mutex) : mutex_(mutex) { mutex_.lock(); }
    ~MutexLock() RELEASE() { mutex_.unlock(); }
    MutexLock(const MutexLock&) = delete;
    MutexLock& operator=(const MutexLock&) = delete;

  private:
    Mutex& mutex_;
};

// std::shared_mutex, named as a capability: held by many readers at once, or by one writer.
class CAPABILITY("shared mutex") SharedMutex {
  public:
    void lock() ACQUIRE() { mutex_.lock(); }
    void unlock() RELEASE() { mutex_.unlock(); }
    void lockShared() ACQUIRE_SHARED() { mutex_.lock_shared(); }
    void unlockShared() RELEASE_SHARED() { mutex_.unlock_shared(); }

  private:
    std::shared_mutex mutex_;
};

// Holds a SharedMutex as one of its readers for the scope it lives in.
class SCOPED_CAPABILITY ReaderLock {
  public:
    explicit ReaderLock(SharedMutex& mutex) ACQUIRE_SHARED(mutex) : mutex_(mutex) {
        mutex_.lockShared();
    }
    ~ReaderLock() RELEASE() { mutex_.unlockShared(); }
    ReaderLock(const ReaderLock&) = delete;
    ReaderLock& operator=(const ReaderLock&) = delete;

  private:
    SharedMutex& mutex_;
};

// Holds a SharedMutex as its one writer for the scope it lives in.
class SCOPED_CAPABILITY WriterLock {
  public:
    explicit WriterLock(SharedMutex& mutex) ACQUIRE(mutex) : mutex_(mutex) { mutex_.lock(); }
    ~WriterLock() RELEASE() { mutex_.unlock(); }
    WriterLock(const WriterLock&) = delete;
    WriterLock& operator=(const WriterLock&) = delete;

  private:
    SharedMutex& mutex_;
};

}  // namespace engine

#endif  // BREVANTIS_ENGINE_BASE_THREAD_ANNOTATIONS_H
