#pragma once

// Puts a section of the language texts on a window: every row of the text
// table (model/texts/TextKeys.h) of that section that names controls, by objectName.

#include <QAnyStringView>

class QWidget;

namespace kqm52 {

class LanguageTexts;

// Does nothing while no language file is loaded: the window keeps the texts
// it was built with.  An item list replaces a combo box's items, keeping the
// chosen index; a list the file lacks, or leaves empty, keeps the built-in
// items, and items beyond the count the table gives are dropped, since they
// would stand for no setting.  Controls of the section that this window does
// not have are passed over: two windows may share a section.
void applyTexts(QWidget& window, const LanguageTexts& language, QAnyStringView section);

} // namespace kqm52
