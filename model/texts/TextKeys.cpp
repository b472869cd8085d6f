#include "model/texts/TextKeys.h"

#include <QLatin1String>

namespace kqm52 {

const TextId* textAmong(std::span<const TextId> ids, QAnyStringView key) {
    for (const TextId& id : ids)
        if (QAnyStringView::compare(key, QLatin1String(id->key), Qt::CaseInsensitive) == 0)
            return &id;
    return nullptr;
}

std::optional<TextId> textIdNamed(std::string_view section, std::string_view key) {
    for (const TextKey& k : kTextTable)
        if (detail::sameTextName(k.section, section) && detail::sameTextName(k.key, key))
            return TextId(&k);
    return std::nullopt;
}

} // namespace kqm52
