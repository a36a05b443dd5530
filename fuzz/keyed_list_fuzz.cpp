// libFuzzer target for the ordered keyed list behind the registers and the Collection,
// against a plain model: the items' ids in order, and the keyed ones' keys searched one
// by one with text::equalIgnoreCase (not through the folded form the list hashes). The
// input is a program of operations: add and insert with or without a key, removal by
// position and by key, look-ups by position and key, batches of unkeyed items (so the
// list grows past its chunk size), and clear. After every operation the answers agree
// with the model (an insert succeeds exactly when no key equal without regard to case
// is present, so keys stay unique); from time to time and at the end every position and
// every key is checked, and no value is left alive that the list no longer holds.
#include "lists/keyed_list.h"
#include "automation/text_fold.h"
#include "fuzz_support.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <optional>
#include <unordered_map>

using namespace ondrik;
using fuzzing::check;

namespace {

// Values count themselves. A value released by a removal may call back into the list's
// owner (a register's entry releasing a client object), so its destructor looks at the
// list it came from: the removal must be complete by then. Not while the whole list is
// cleared or destroyed, when nobody can reach it any more.
long liveValues = 0;
bool wholeListGoing = false;

struct Value {
    int id = -1;
    const KeyedList<Value>* owner = nullptr;
    Value(int i, const KeyedList<Value>* o) : id(i), owner(o) { ++liveValues; }
    Value(Value&& o) noexcept : id(o.id), owner(o.owner) {
        o.owner = nullptr;
        ++liveValues;
    }
    Value(const Value& o) : id(o.id) { ++liveValues; } // a copy belongs to no list
    Value& operator=(const Value&) = delete;
    ~Value() {
        --liveValues;
        if (!owner || wholeListGoing) return;
        for (int64_t p : {int64_t(1), int64_t(owner->size())}) {
            const Value* v = owner->at(p);
            check(owner->empty() || (v && v->id >= 0 && v->id != id),
                  "the list stands whole when a value goes");
        }
    }
};

// Enough items for a few chunks of the list (kChunk each), few enough to stay quick.
constexpr size_t kMostItems = 3 * KeyedList<int>::kChunk;

// The model: the ids in order, and the key of each keyed id.
struct Model {
    std::vector<int> ids;
    std::unordered_map<int, std::u16string> keys;

    size_t size() const { return ids.size(); }
    size_t indexOf(int id) const { return size_t(std::find(ids.begin(), ids.end(), id) - ids.begin()); }
    // The 0-based index of the item whose key equals key without regard to case.
    std::optional<size_t> find(std::u16string_view key) const {
        for (const auto& [id, k] : keys)
            if (text::equalIgnoreCase(k, key)) return indexOf(id);
        return std::nullopt;
    }
    void erase(size_t index) {
        keys.erase(ids[index]);
        ids.erase(ids.begin() + long(index));
    }
    void clear() {
        ids.clear();
        keys.clear();
    }
};

// Keys from a small alphabet that has case pairs from each folded script, so that
// clashes without regard to case are frequent; the empty key is a key too.
std::u16string makeKey(FuzzedDataProvider& in) {
    static const char16_t letters[] =
        u"aAbB\u00E0\u00C0\u0101\u0100\u03C3\u03A3\u0439\u0419\u0451\u0401\u00FF\u0178\u0138\u0139 1|";
    size_t length = in.ConsumeIntegralInRange<size_t>(0, 3);
    std::u16string key;
    for (size_t i = 0; i < length; ++i)
        key += letters[in.ConsumeIntegralInRange<size_t>(0, sizeof letters / sizeof letters[0] - 2)];
    return key;
}

// Every position and every key. Keys stay unique without regard to case because each
// insert is checked to succeed exactly when the model has no equal key.
void checkAll(const KeyedList<Value>& list, const Model& model) {
    check(list.size() == model.size(), "the count");
    check(list.empty() == (model.size() == 0), "empty");
    std::vector<int> order;
    list.forEach([&](const Value& v) { order.push_back(v.id); });
    check(order == model.ids, "forEach sees every item in order");
    for (size_t i = 0; i < model.size(); ++i) {
        const Value* at = list.at(int64_t(i + 1));
        check(at && at->id == model.ids[i], "the item at each position");
    }
    for (const auto& [id, key] : model.keys) {
        size_t index = model.indexOf(id);
        check(list.positionOf(key) == index + 1, "the position of each key");
        const Value* byKey = list.find(text::foldCase(key));
        check(byKey && byKey->id == id, "the item of each key, folded");
    }
    check(list.at(0) == nullptr && list.at(int64_t(model.size() + 1)) == nullptr, "nothing outside 1..Count");
    check(liveValues == long(model.size()), "no value kept or lost");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    int nextId = 0;
    {
        KeyedList<Value> list(text::foldCase);
        Model model;
        for (int step = 0; in.remaining_bytes() > 0 && step < 400; ++step) {
            switch (in.ConsumeIntegralInRange<int>(0, 9)) {
            case 0:
            case 1: { // insert (at size(): add), with or without a key
                bool keyed = in.ConsumeBool();
                std::u16string key = keyed ? makeKey(in) : u"";
                size_t index = in.ConsumeIntegralInRange<size_t>(0, model.size() + 1);
                std::optional<std::u16string_view> k;
                if (keyed) k = key;
                bool expected = index <= model.size() && !(keyed && model.find(key));
                int id = nextId++;
                bool done = in.ConsumeBool() && index == model.size()
                                ? list.add(Value(id, &list), k)
                                : list.insert(index, Value(id, &list), k);
                check(done == expected, "insert succeeds exactly for a free key and a place in range");
                if (done) {
                    model.ids.insert(model.ids.begin() + long(index), id);
                    if (keyed) model.keys.emplace(id, key);
                }
                break;
            }
            case 2: { // a batch of unkeyed items at one place, mostly at the end (as registers grow)
                size_t count = in.ConsumeIntegralInRange<size_t>(1, 600);
                size_t index = in.ConsumeIntegralInRange<int>(0, 3)
                                   ? model.size()
                                   : in.ConsumeIntegralInRange<size_t>(0, model.size());
                count = std::min(count, kMostItems - std::min(kMostItems, model.size()));
                for (size_t i = 0; i < count; ++i)
                    check(list.insert(index + i, Value(nextId + int(i), &list)), "unkeyed insert");
                std::vector<int> added(count);
                for (size_t i = 0; i < count; ++i) added[i] = nextId++;
                model.ids.insert(model.ids.begin() + long(index), added.begin(), added.end());
                break;
            }
            case 3: { // removal by position, in range or not
                int64_t position = in.ConsumeIntegralInRange<int64_t>(-1, int64_t(model.size()) + 1);
                bool expected = position >= 1 && size_t(position) <= model.size();
                check(list.removeAt(position) == expected, "removal by position");
                if (expected) model.erase(size_t(position - 1));
                break;
            }
            case 4: { // a run of removals at one place
                size_t count = in.ConsumeIntegralInRange<size_t>(1, 600);
                int64_t position = in.ConsumeIntegralInRange<int64_t>(1, int64_t(model.size()) + 1);
                count = std::min(count, model.size() + 1 - size_t(position));
                for (size_t i = 0; i < count; ++i) check(list.removeAt(position), "removal in a run");
                for (size_t i = 0; i < count; ++i) model.keys.erase(model.ids[size_t(position) - 1 + i]);
                model.ids.erase(model.ids.begin() + (position - 1),
                                model.ids.begin() + (position - 1) + long(count));
                break;
            }
            case 5: { // removal by key
                std::u16string key = makeKey(in);
                std::optional<size_t> at = model.find(key);
                check(list.removeKey(key) == at.has_value(), "removal by key");
                if (at) model.erase(*at);
                break;
            }
            case 6: { // look-ups by key
                std::u16string key = makeKey(in);
                std::optional<size_t> at = model.find(key);
                const Value* found = list.find(key);
                check((found != nullptr) == at.has_value(), "a key is found exactly when present");
                if (at) check(found->id == model.ids[*at], "the key's item");
                check(list.positionOf(key) == (at ? *at + 1 : 0), "the key's position");
                break;
            }
            case 7: { // look-up by position
                int64_t position = in.ConsumeIntegralInRange<int64_t>(-1, int64_t(model.size()) + 1);
                const Value* found = list.at(position);
                bool inRange = position >= 1 && size_t(position) <= model.size();
                check((found != nullptr) == inRange, "an item exactly at positions 1..Count");
                if (inRange) check(found->id == model.ids[size_t(position - 1)], "the item at a position");
                break;
            }
            case 8: { // the first item whose id has a given remainder
                int mod = in.ConsumeIntegralInRange<int>(1, 7), rest = in.ConsumeIntegralInRange<int>(0, 6);
                const Value* found = list.findFirst([&](const Value& v) { return v.id % mod == rest; });
                auto expected = std::find_if(model.ids.begin(), model.ids.end(),
                                             [&](int id) { return id % mod == rest; });
                check((found == nullptr) == (expected == model.ids.end()) &&
                          (!found || found->id == *expected),
                      "the first match in order");
                break;
            }
            case 9:
                if (in.ConsumeIntegralInRange<int>(0, 7) == 0) {
                    wholeListGoing = true;
                    list.clear();
                    wholeListGoing = false;
                    model.clear();
                } else {
                    checkAll(list, model);
                }
                break;
            }
            check(list.size() == model.size(), "the count after each step");
            check(liveValues == long(model.size()), "live values after each step");
        }
        checkAll(list, model);
        std::vector<Value> copy = list.snapshot();
        check(copy.size() == model.size(), "the snapshot");
        for (size_t i = 0; i < copy.size(); ++i) check(copy[i].id == model.ids[i], "the snapshot's order");
        wholeListGoing = true;
    }
    wholeListGoing = false;
    check(liveValues == 0, "the list releases every value");
    return 0;
}
