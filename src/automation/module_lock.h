// Counts the references that clients hold on the server's objects. The objects report
// each strong external connection (IExternalConnection, called by COM's stub manager
// when a reference is marshalled to a client and when it is released), so references
// held inside the server, such as a register's entries, never keep the process alive.
#pragma once

namespace ondrik::moduleLock {

void lock();
void unlock();

// Called once the count falls back to zero (the server then ends). Unset in-process.
void onLastUnlock(void (*callback)());

long count();

} // namespace ondrik::moduleLock

namespace ondrik {

// One object's strong external connections, each holding one module lock.
class ClientConnections {
public:
    unsigned long add(unsigned long type) {
        if (type & 1 /* EXTCONN_STRONG */) {
            ++count_;
            moduleLock::lock();
        }
        return count_;
    }
    unsigned long release(unsigned long type) {
        if ((type & 1) && count_ > 0) {
            --count_;
            moduleLock::unlock();
        }
        return count_;
    }

private:
    unsigned long count_ = 0;
};

} // namespace ondrik
