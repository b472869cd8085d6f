#pragma once

// TFormAbout: the program's name, maker, version and the versions it was
// built with, and the folders it keeps its files in.

#include "model/files/ProgramFolders.h"

#include <QDialog>
#include <QPixmap>
#include <QString>
#include <QUrl>

#include <functional>

class QLabel;

namespace kqm52 {

class LanguageTexts;

// What the About box says, apart from the window.
namespace AboutBox {
// project()'s version (CMakeLists.txt), the one the package carries too.
inline constexpr const char* ProgramVersion = KQM52_VERSION;
// The maker's site, opened by the link.
QUrl webAddress();
// "Software versie: 4.03", the label from the language file when one is loaded.
QString versionLine(const LanguageTexts& language);
// The Qt version the program runs on.
QString buildLine();
// The maker's logo, 153 x 41, drawn rather than shipped.
QPixmap logo();
// Where the settings and the data files are, one line each; a portable
// program says so and names its folder.
QString folderLines(const LanguageTexts& language, const ProgramFolders& folders);
} // namespace AboutBox

class TFormAbout : public QDialog {
    Q_OBJECT
  public:
    static constexpr int ClientWidth = 353;
    static constexpr int ClientHeight = 354;

    // language must outlive the window.  parent: the main window, which the
    // box is centred on.
    // folders: where this run keeps its files.
    TFormAbout(const LanguageTexts& language, const ProgramFolders& folders,
               QWidget* parent = nullptr);

    // Opens a web address; QDesktopServices by default, a recorder in tests.
    std::function<bool(const QUrl&)> openUrl;

    void FormActivate();
    void LabelWWWLinkClick();
    void LabelWWWLinkMouseMove();
    void FormMouseMove();

    QLabel* LabelTitel = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* LabelFirma = nullptr;
    QLabel* LabelLand = nullptr;
    QLabel* LabelTelefoon = nullptr;
    QLabel* LabelFax = nullptr;
    QLabel* LabelWWWLink = nullptr;
    QLabel* LabelHandelsmerk = nullptr;
    QLabel* LabelSoftwareVersie = nullptr;
    QLabel* LabelBuild = nullptr;
    QLabel* LabelMappen = nullptr;
    QLabel* LabelCopyright = nullptr;

  protected:
    void showEvent(QShowEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    const LanguageTexts& language_;
    ProgramFolders folders_;
    bool centred_ = false;
};

} // namespace kqm52
