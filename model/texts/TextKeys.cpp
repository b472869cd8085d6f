#include "model/texts/TextKeys.h"

#include <QLatin1String>

namespace kqm52 {

const TextId* textAmong(std::span<const TextId> ids, QAnyStringView key) {
    for (const TextId& id : ids)
        if (QAnyStringView::compare(key, QLatin1String(id->key), Qt::CaseInsensitive) == 0)
            return &id;
    return nullptr;
}

} // namespace kqm52
