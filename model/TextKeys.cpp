#include "model/TextKeys.h"

#include <QLatin1String>

namespace kqm52 {

const TextKey* findTextKey(QAnyStringView section, QAnyStringView key) {
    for (const TextKey& entry : kTextTable) {
        if (QAnyStringView::compare(section, QLatin1String(entry.section), Qt::CaseInsensitive) ==
                0 &&
            QAnyStringView::compare(key, QLatin1String(entry.key), Qt::CaseInsensitive) == 0)
            return &entry;
    }
    return nullptr;
}

} // namespace kqm52
