#include "sessions/session_key.h"

#include "automation/decimal.h"

namespace ondrik {

std::u16string sessionKey(int32_t id) {
    std::u16string key(1, u'K');
    key += decimal(id);
    return key;
}

} // namespace ondrik
