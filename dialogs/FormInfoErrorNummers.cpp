#include "dialogs/FormInfoErrorNummers.h"

#include "dialogs/ErrorHelp.h"
#include "model/engines/ProgramState.h"
#include "ui/Dialogs.h"

#include <QEvent>
#include <QFileInfo>
#include <QScreen>
#include <QShowEvent>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace kqm52 {

const QColor TFormInfoErrorNummers::Background(255, 255, 151);

TFormInfoErrorNummers::TFormInfoErrorNummers(ProgramState& state, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window), state_(state), dialogs_(dialogs) {
    setObjectName(QStringLiteral("FormInfoErrorNummers"));
    setWindowTitle(QStringLiteral("FormInfoErrorNummers"));
    resize(WindowWidth, WindowHeight);
    RichEdit1 = new QTextBrowser(this);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setReadOnly(true);
    RichEdit1->setOpenLinks(false);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(RichEdit1);
}

void TFormInfoErrorNummers::FormActivate() {
    QPalette p = RichEdit1->palette();
    p.setColor(QPalette::Base, Background);
    // The help sets its own colours; what it leaves automatic must stay
    // readable on yellow whatever the desktop theme.
    p.setColor(QPalette::Text, Qt::black);
    RichEdit1->setPalette(p);
    if (state_.language.LanguageLoaded())
        setWindowTitle(state_.language.text(TextId{"HelpErrorNummers", "Caption"}));

    const QString name = ErrorHelp::fileName(state_.settings.LanguageNo);
    const QString folder = name.isEmpty() ? QString() : state_.settings.folders.dataFolder(name);
    const QString path = name.isEmpty() ? QString() : folder + name;
    const QFileInfo info(path);
    const QDateTime modified = info.exists() ? info.lastModified() : QDateTime();
    if (!shownPath_.isNull() && path == shownPath_ && modified == shownModified_) return;

    const ErrorHelp::Outcome outcome =
        ErrorHelp::load(folder, state_.settings.LanguageNo, *RichEdit1->document(),
                        state_.language.text(TextId{"HelpErrorNummers", "MsgAfgekort"}));
    // A file that failed is reported once, not at every activation, until
    // it changes.
    shownPath_ = path.isNull() ? QStringLiteral("") : path;
    shownModified_ = modified;
    if (outcome.kind == ErrorHelp::Outcome::Failed)
        dialogs_.messageBox(this, Dialogs::Icon::NoIcon, windowTitle(),
                            outcome.report(state_.language), Dialogs::Button::Ok,
                            Dialogs::Button::Ok);
}

void TFormInfoErrorNummers::showEvent(QShowEvent* event) {
    if (!centred_ && parentWidget()) {
        centred_ = true;
        const QRect owner = parentWidget()->window()->frameGeometry();
        move(owner.center() - rect().center());
    }
    QWidget::showEvent(event);
    FormActivate();
}

void TFormInfoErrorNummers::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && isVisible())
        FormActivate();
}

} // namespace kqm52
