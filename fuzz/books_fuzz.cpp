// libFuzzer target for the registers' books against a plain model: lists of sessions and
// of records in filing order, searched one by one. The input is a program of operations
// on a few companies, session keys and record keys (so that keys collide, as after the
// tick counter wraps, and records share sessions): open a session (shared or not, after
// the book's shared search), make and file a record, set a record's session, change a
// record's key, and close a record (the server's own or a client's, with a session of the
// server's or a client's, counted as shared or not). After every operation the books hold
// what the model holds, in the same order, and hand out the same shared sessions.
#include "automation/text_fold.h"
#include "books/application_book.h"
#include "books/session_book.h"
#include "fuzz_support.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

using namespace ondrik;
using fuzzing::check;

namespace {

struct Object {
    std::u16string key;
    std::u16string company;
    bool shared = false;
    Identity session = nullptr; // a record's session
    bool record = false;        // only a record's key changes
};
using Handle = std::shared_ptr<Object>;

std::u16string keyOf(char16_t prefix, unsigned n) {
    return std::u16string{prefix, char16_t(u'0' + n)};
}

struct Run {
    SessionBook<Handle> sessions{text::foldCase};
    ApplicationBook<Handle> apps{text::foldCase};
    // The model: each filed object with the key it was filed under; and every object made.
    struct Filed {
        std::u16string key;
        Handle handle;
    };
    std::vector<Filed> filedSessions, filedRecords;
    std::vector<Handle> made;

    static std::vector<Filed>::iterator firstFiled(std::vector<Filed>& list, const std::u16string& key) {
        return std::find_if(list.begin(), list.end(),
                            [&](const Filed& f) { return text::equalIgnoreCase(f.key, key); });
    }
    static std::vector<Handle> handles(const std::vector<Filed>& list) {
        std::vector<Handle> out;
        for (const Filed& f : list) out.push_back(f.handle);
        return out;
    }
    const Handle* modelShared(const std::u16string& company) const {
        for (const Filed& s : filedSessions)
            if (s.handle->shared && s.handle->company == company) return &s.handle;
        return nullptr;
    }

    void open(unsigned slot, unsigned company, bool shared) {
        auto s = std::make_shared<Object>(Object{keyOf(u'K', slot), keyOf(u'C', company), shared});
        bool taken = firstFiled(filedSessions, s->key) != filedSessions.end();
        check(sessions.file(s->key, {s, s.get(), s->company, shared}) == !taken,
              "a session is filed unless its key is taken");
        if (!taken) filedSessions.push_back({s->key, s});
        made.push_back(s);
    }
    void file(unsigned slot, const Handle* session) {
        auto r = std::make_shared<Object>(Object{keyOf(u'R', slot)});
        r->record = true;
        if (session) r->session = session->get();
        bool taken = firstFiled(filedRecords, r->key) != filedRecords.end();
        check(apps.file(r->key, r, r.get()) == !taken, "a record is filed unless its key is taken");
        if (!taken) filedRecords.push_back({r->key, r});
        made.push_back(r);
    }
    // The rules, written plainly: the session first, then the entry under the current key
    // when it is the closing record's.
    void close(const Handle& record, bool ours, const Handle* session, bool sessionOurs, bool shared) {
        Closing c;
        if (ours) {
            c.record = record.get();
            c.recordKey = record->key;
        }
        if (session) {
            c.session = session->get();
            if (sessionOurs) c.sessionKey = (*session)->key;
            c.shared = shared;
        }
        apps.close(c, &sessions, [](const Handle& h) { return h->session; });

        if (session && sessionOurs) {
            bool filed = ours && std::any_of(filedRecords.begin(), filedRecords.end(),
                                             [&](const Filed& f) { return f.handle == record; });
            bool others = std::any_of(filedRecords.begin(), filedRecords.end(), [&](const Filed& f) {
                return f.handle != record && f.handle->session == session->get();
            });
            // Under the session's key, when the session filed there is that very one.
            auto it = firstFiled(filedSessions, (*session)->key);
            if ((!shared || (filed && !others)) && it != filedSessions.end() && it->handle == *session)
                filedSessions.erase(it);
        }
        if (ours)
            if (auto entry = firstFiled(filedRecords, record->key);
                entry != filedRecords.end() && entry->handle == record)
                filedRecords.erase(entry);
    }

    void compare() const {
        check(sessions.handles() == handles(filedSessions),
              "the session book holds the model's sessions, in order");
        check(apps.handles() == handles(filedRecords),
              "the application book holds the model's records, in order");
        for (unsigned company = 0; company < 3; ++company) {
            const Handle* book = sessions.sharedOf(keyOf(u'C', company));
            const Handle* model = modelShared(keyOf(u'C', company));
            check(book ? model && *book == *model : !model, "the same shared session of the company");
        }
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    Run run;
    auto pick = [&](std::vector<Handle>& from) -> const Handle* {
        if (from.empty() || in.ConsumeBool()) return nullptr;
        return &from[in.ConsumeIntegralInRange<size_t>(0, from.size() - 1)];
    };
    while (in.remaining_bytes() > 0 && run.made.size() < 64) {
        switch (in.ConsumeIntegralInRange(0, 4)) {
        case 0:
            run.open(in.ConsumeIntegralInRange(0u, 5u), in.ConsumeIntegralInRange(0u, 2u), in.ConsumeBool());
            break;
        case 1:
            run.file(in.ConsumeIntegralInRange(0u, 5u), pick(run.made));
            break;
        case 2:
            if (const Handle* r = pick(run.made)) {
                const Handle* s = pick(run.made);
                (*r)->session = s ? s->get() : nullptr; // a record's session set anew
            }
            break;
        case 3:
            if (const Handle* r = pick(run.made); r && (*r)->record)
                (*r)->key = keyOf(u'R', in.ConsumeIntegralInRange(0u, 5u));
            break;
        default:
            if (const Handle* r = pick(run.made)) {
                Handle record = *r; // the model's lists change under the close
                const Handle* s = pick(run.made);
                Handle session = s ? *s : nullptr;
                bool ours = in.ConsumeBool(), sessionOurs = in.ConsumeBool(), shared = in.ConsumeBool();
                run.close(record, ours, session ? &session : nullptr, sessionOurs, shared);
            }
        }
        run.compare();
    }
    return 0;
}
