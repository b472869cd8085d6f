#pragma once

// List text: how the catalogue writes option lists on one line.
//
// Items are separated by commas.  An item also ends at a blank or control
// character unless it is enclosed in double quotes, where a doubled quote
// stands for one quote.  Blanks after an item and after its comma are
// skipped; two commas in a row give an empty item, and so does a comma at
// the end.  So  Uit,"Niet actief"  has two items and  Uit,Niet actief  three.

#include <QString>
#include <QStringList>
#include <QStringView>

namespace kqm52::ListText {

QStringList read(QStringView text);

// The reverse: items holding blanks, control characters, commas or quotes
// come back quoted, so read(write(items)) == items.
QString write(const QStringList& items);

} // namespace kqm52::ListText
