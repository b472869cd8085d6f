#include "dialogs/FormAbout.h"

#include "link/PortMap.h"
#include "model/texts/LanguageTexts.h"
#include "model/texts/PortOpenText.h"

#include <QDesktopServices>
#include <QDir>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace kqm52 {

namespace AboutBox {

QUrl webAddress() {
    return QUrl(QStringLiteral("https://www.morvek.example/"));
}

QString versionLine(const LanguageTexts& language) {
    // The label also when no language is loaded: a bare number says nothing.
    return language.text(TextId{"About", "SoftwareVersie"}) + u' ' + QLatin1String(ProgramVersion);
}

QString buildLine() {
    return QStringLiteral("Qt %1").arg(QLatin1String(qVersion()));
}

QPixmap logo() {
    QPixmap pixmap(153, 41);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 41);
    sky.setColorAt(0, QColor(0, 60, 130));
    sky.setColorAt(1, QColor(0, 30, 80));
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRoundedRect(QRectF(0.5, 0.5, 152, 40), 6, 6);
    // A cam disc with its follower: what the company's controllers switch.
    p.setBrush(QColor(255, 200, 40));
    QPainterPath cam;
    cam.addEllipse(QPointF(20, 20.5), 12, 12);
    QPainterPath lobe;
    lobe.addEllipse(QPointF(27, 14), 8, 8);
    p.drawPath(cam.united(lobe));
    p.setBrush(QColor(0, 45, 105));
    p.drawEllipse(QPointF(20, 20.5), 3, 3);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(33, 5, 3, 5));
    QFont f(QStringLiteral("Sans"));
    f.setPixelSize(22);
    f.setBold(true);
    f.setLetterSpacing(QFont::AbsoluteSpacing, 1);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(44, 0, 106, 41), Qt::AlignCenter, QStringLiteral("MORVEK"));
    return pixmap;
}

QString folderLines(const LanguageTexts& language, const ProgramFolders& folders) {
    auto shown = [](const QString& folder) {
        return QDir::toNativeSeparators(folder.isEmpty() ? QDir::currentPath() : folder);
    };
    if (folders.isPortable())
        return language.text(TextId{"Mappen", "Draagbaar"}) + u'\n' + shown(folders.programDir());
    QStringList data;
    for (const QString& folder : folders.dataDirs())
        data << shown(folder);
    return language.text(TextId{"Mappen", "Instellingen"}).arg(shown(folders.settingsDir())) +
           u'\n' + language.text(TextId{"Mappen", "Gegevens"}).arg(data.join(QStringLiteral(", ")));
}

} // namespace AboutBox

TFormAbout::TFormAbout(const LanguageTexts& language, const ProgramFolders& folders,
                       QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      openUrl([](const QUrl& url) { return QDesktopServices::openUrl(url); }), language_(language),
      folders_(folders) {
    setObjectName(QStringLiteral("FormAbout"));
    setWindowTitle(QStringLiteral("Info"));
    setFixedSize(ClientWidth, ClientHeight);
    setMouseTracking(true);

    auto label = [this](const char* name, const QString& text) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QLatin1String(name));
        l->setAlignment(Qt::AlignHCenter);
        l->setMouseTracking(true);
        l->installEventFilter(this);
        return l;
    };
    auto rule = [this] {
        auto* line = new QFrame(this);
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Sunken);
        return line;
    };

    LabelTitel = label("LabelTitel", QStringLiteral("Morvek Software Tool (KQM52)"));
    QFont title = LabelTitel->font();
    title.setPointSizeF(title.pointSizeF() * 1.3);
    title.setBold(true);
    LabelTitel->setFont(title);
    Image1 = label("Image1", QString());
    Image1->setPixmap(AboutBox::logo());
    LabelFirma = label("LabelFirma", QStringLiteral("Morvek Motion Control B.V."));
    LabelLand = label("LabelLand", QStringLiteral("Nederland"));
    LabelTelefoon = label("LabelTelefoon", QStringLiteral("Tel. +31 (0)40 555 01 52"));
    LabelFax = label("LabelFax", QStringLiteral("Fax +31 (0)40 555 01 53"));
    LabelWWWLink = label("LabelWWWLink", AboutBox::webAddress().host());
    QFont link = LabelWWWLink->font();
    link.setUnderline(true);
    LabelWWWLink->setFont(link);
    // The link is reachable from the keyboard too.
    LabelWWWLink->setFocusPolicy(Qt::StrongFocus);
    LabelWWWLink->setToolTip(AboutBox::webAddress().toString());
    LabelHandelsmerk = label("LabelHandelsmerk", QStringLiteral("Handelsmerk"));
    LabelHandelsmerk->setWordWrap(true);
    LabelSoftwareVersie = label("LabelSoftwareVersie", QString());
    LabelBuild = label("LabelBuild", AboutBox::buildLine());
    QPalette grey = LabelBuild->palette();
    grey.setColor(QPalette::WindowText, QColor(100, 100, 100));
    LabelBuild->setPalette(grey);
    // Small and selectable: a path is there to be copied into a file manager.
    LabelMappen = label("LabelMappen", QString());
    LabelMappen->setWordWrap(true);
    LabelMappen->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont small = LabelMappen->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    LabelMappen->setFont(small);
    LabelMappen->setPalette(grey);
    LabelCopyright =
        label("LabelCopyright", QStringLiteral("\u00A9 1998-2026 Morvek Motion Control B.V."));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 14, 16, 14);
    layout->setSpacing(4);
    layout->addWidget(LabelTitel);
    layout->addWidget(Image1);
    layout->addWidget(rule());
    layout->addWidget(LabelFirma);
    layout->addWidget(LabelLand);
    layout->addWidget(LabelTelefoon);
    layout->addWidget(LabelFax);
    layout->addWidget(LabelWWWLink);
    layout->addWidget(rule());
    layout->addWidget(LabelHandelsmerk);
    layout->addWidget(LabelSoftwareVersie);
    layout->addWidget(LabelBuild);
    layout->addWidget(LabelMappen);
    layout->addWidget(rule());
    layout->addWidget(LabelCopyright);
    layout->addStretch(1);
}

void TFormAbout::FormActivate() {
    if (language_.LanguageLoaded()) {
        setWindowTitle(language_.text(TextId{"About", "Caption"}));
        LabelHandelsmerk->setText(language_.text(TextId{"About", "Handelsmerk"}));
    }
    LabelSoftwareVersie->setText(AboutBox::versionLine(language_));
    LabelMappen->setText(
        AboutBox::folderLines(language_, folders_) + u'\n' +
        language_.text(TextId{"About", "Poorten"}).arg(portFormsText(language_, PortMap(), true)));
}

void TFormAbout::LabelWWWLinkClick() {
    openUrl(AboutBox::webAddress());
}

void TFormAbout::LabelWWWLinkMouseMove() {
    QPalette p = LabelWWWLink->palette();
    p.setColor(QPalette::WindowText, Qt::blue);
    LabelWWWLink->setPalette(p);
    setCursor(Qt::PointingHandCursor);
}

void TFormAbout::FormMouseMove() {
    setCursor(Qt::ArrowCursor);
}

void TFormAbout::showEvent(QShowEvent* event) {
    if (!centred_ && parentWidget()) {
        centred_ = true;
        move(parentWidget()->window()->frameGeometry().center() - rect().center());
    }
    QDialog::showEvent(event);
    FormActivate();
}

void TFormAbout::mouseMoveEvent(QMouseEvent* event) {
    FormMouseMove();
    QDialog::mouseMoveEvent(event);
}

bool TFormAbout::eventFilter(QObject* watched, QEvent* event) {
    if (watched == LabelWWWLink) {
        switch (event->type()) {
        case QEvent::MouseMove:
        case QEvent::Enter:
            LabelWWWLinkMouseMove();
            break;
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) LabelWWWLinkClick();
            return true;
        case QEvent::KeyPress: {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
                LabelWWWLinkClick();
                return true;
            }
            break;
        }
        default:
            break;
        }
    } else if (event->type() == QEvent::MouseMove) {
        FormMouseMove();
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace kqm52
