#include "applications/application_key.h"

#include "automation/decimal.h"

namespace ondrik {

std::u16string applicationKey(std::u16string_view exeName, int32_t hInstance, int32_t threadId) {
    std::u16string key(exeName);
    key += u'|';
    key += decimal(hInstance);
    key += u'|';
    key += decimal(threadId);
    return key;
}

} // namespace ondrik
