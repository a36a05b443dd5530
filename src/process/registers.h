// The process-wide registers of module Ondrik_Main: the objects that every client shares
// (the session register and the application register), each made on first use and kept
// until the server ends. The registers are classes of the layer above; this one only
// holds them. A class fills its own slot, FirstUse<T>, so nothing here knows what it holds.
#pragma once

#include <utility>

namespace ondrik::ondrikMain {

// Lets go of every object held, the last made first; the server calls it as it ends. A
// later first use makes a fresh object.
void releaseRegisters();

// Keeps release, which lets go of one held object, until releaseRegisters().
void keepUntilEnd(void (*release)());

// The one process-wide object of class T, made with T::create() on first use (nullptr when
// memory runs out; the next use tries again). The caller borrows the pointer.
template <class T> class FirstUse {
public:
    static T* get() {
        if (!object_ && (object_ = T::create())) keepUntilEnd(&release);
        return object_;
    }

private:
    static void release() {
        if (T* held = std::exchange(object_, nullptr)) held->Release();
    }

    static inline T* object_ = nullptr;
};

} // namespace ondrik::ondrikMain
