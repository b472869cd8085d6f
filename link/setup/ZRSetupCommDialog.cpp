#include "link/setup/ZRSetupCommDialog.h"

#include "link/setup/ZRSetupCommForm.h"

#include <QLocale>

namespace kqm52 {

TZRSetupCommDialog::TZRSetupCommDialog(QObject* owner) : TZRComponent(owner) {}

bool TZRSetupCommDialog::Execute() {
    return run(int(setupLanguageFor(QLocale::system())));
}

bool TZRSetupCommDialog::ExecuteEnglish() {
    return run(int(SetupLanguage::English));
}

bool TZRSetupCommDialog::run(int language) {
    if (!ZRComm()) return false; // nothing to set up
    QWidget* parent = qobject_cast<QWidget*>(this->parent());
    TZRSetupCommForm form(*ZRComm(), SetupLanguage(language), parent);
    if (OnShow) form.OnShow = [this] { OnShow(this); };
    if (OnClose) form.OnClose = [this] { OnClose(this); };
    if (onFormCreated) onFormCreated(form);
    return form.exec() == QDialog::Accepted;
}

} // namespace kqm52
