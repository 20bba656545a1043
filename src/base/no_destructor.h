#pragma once
// A process-wide object that is built on first use and never destroyed. The sound's state and
// the audio library live until the process ends while the library's threads may still call into
// them; a destructor run at exit would race those threads.
#include <new>
#include <utility>

template <typename T> class NoDestructor {
  public:
    template <typename... Args> explicit NoDestructor(Args&&... args) {
        new (storage_) T(std::forward<Args>(args)...);
    }
    NoDestructor(const NoDestructor&) = delete;
    NoDestructor& operator=(const NoDestructor&) = delete;

    T& get() { return *std::launder(reinterpret_cast<T*>(storage_)); }
    T* operator->() { return &get(); }
    T& operator*() { return get(); }

  private:
    alignas(T) unsigned char storage_[sizeof(T)];
};
