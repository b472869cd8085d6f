#include "print/PrintHeaderForm.h"

#include "model/engines/ProgramState.h"
#include "ui/ApplyTexts.h"
#include "ui/Dialogs.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

namespace kqm52 {

namespace {

const QString Section = QStringLiteral("Afdrukken");

} // namespace

PrintHeaderForm::PrintHeaderForm(ProgramState& state, Dialogs& dialogs, const char* objectName,
                                 TextId caption, const QString& builtInCaption, QWidget* parent)
    : QDialog(parent), state_(state), dialogs_(dialogs), caption_(caption) {
    setObjectName(QLatin1String(objectName));
    buildWindow(builtInCaption);
}

PrintHeaderForm::~PrintHeaderForm() = default;

void PrintHeaderForm::buildWindow(const QString& caption) {
    setWindowTitle(caption);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(337, 160);
    const auto row = [this](QLabel*& label, const char* labelName, const QString& text,
                            QLineEdit*& edit, const char* editName, int y) {
        label = new QLabel(text, this);
        label->setObjectName(QLatin1String(labelName));
        label->setGeometry(8, y + 3, 86, 16);
        edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(editName));
        edit->setGeometry(96, y, 177, 21);
        label->setBuddy(edit);
    };
    row(LabelFirma, "LabelFirma", QStringLiteral("Firma:"), EditFirma, "EditFirma", 24);
    row(LabelType, "LabelType", QStringLiteral("Type:"), EditType, "EditType", 56);
    row(LabelSn, "LabelSn", QStringLiteral("Serie nummer:"), EditSn, "EditSn", 88);
    CmdOK = new QPushButton(QStringLiteral("OK"), this);
    CmdOK->setObjectName(QStringLiteral("CmdOK"));
    CmdOK->setGeometry(96, 124, 81, 25);
    CmdOK->setDefault(true);
    CmdCancel = new QPushButton(QStringLiteral("Annuleren"), this);
    CmdCancel->setObjectName(QStringLiteral("CmdCancel"));
    CmdCancel->setGeometry(192, 124, 81, 25);
    connect(CmdOK, &QPushButton::clicked, this, &PrintHeaderForm::CmdOKClick);
    connect(CmdCancel, &QPushButton::clicked, this, &PrintHeaderForm::CmdCancelClick);
}

void PrintHeaderForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormActivate();
}

void PrintHeaderForm::FormActivate() {
    const LanguageTexts& language = state_.language;
    if (language.LanguageLoaded()) {
        setWindowTitle(language.text(caption_));
        applyTexts(*this, language, Section);
        pageLabel_ = language.text(TextId{"Afdrukken", "TekstPagina"});
        readTexts();
    }
    // OK shows the preview, not the printer: the button says so.
    CmdOK->setText(preview_                    ? language.text(TextId{"Bewerken", "CmdVoorbeeld"})
                   : language.LanguageLoaded() ? language.text(TextId{"Afdrukken", "CmdOK"})
                                               : QStringLiteral("OK"));
    EditFirma->setText(state_.settings.PrintCompany);
    EditType->setText(state_.settings.PrintType);
    EditSn->setText(state_.settings.PrintSerial);
    EditFirma->setFocus();
}

PageHeaderTexts PrintHeaderForm::headerTexts() const {
    PageHeaderTexts header;
    header.labels = {LabelFirma->text(), LabelType->text(), LabelSn->text()};
    header.values = {EditFirma->text(), EditType->text(), EditSn->text()};
    header.pageLabel = pageLabel_;
    return header;
}

void PrintHeaderForm::CmdOKClick() {
    state_.settings.PrintCompany = EditFirma->text();
    state_.settings.PrintType = EditType->text();
    state_.settings.PrintSerial = EditSn->text();
    const PageHeaderTexts header = headerTexts();
    if (preview_) {
        runPrintPreview(dialogs_, this,
                        [this, &header](PageTarget& target) { print(target, header); });
        accept();
        return;
    }
    const LanguageTexts& l = state_.language;
    const PrintFailureTexts failure{l.text(TextId{"Afdrukken", "MsgNotPrinted"}),
                                    l.text(TextId{"Afdrukken", "MsgPdfNotStarted"}),
                                    l.text(TextId{"Afdrukken", "MsgPdfNotCompleted"}),
                                    l.text(TextId{"Afdrukken", "MsgPrinterNotStarted"}),
                                    l.text(TextId{"Afdrukken", "MsgPrinterFailed"})};
    if (!runPrintJob(dialogs_, this, windowTitle(), failure,
                     [this, &header](PageTarget& target) { print(target, header); })) {
        reject();
        return;
    }
    accept();
}

int PrintHeaderForm::execPreview() {
    preview_ = true;
    const int result = exec();
    preview_ = false;
    return result;
}

void PrintHeaderForm::CmdCancelClick() {
    reject();
}

} // namespace kqm52
