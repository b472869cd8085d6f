#pragma once

// Dialogs for tests: answers come from a script, every question is recorded.
// A question without a scripted answer gets the answer of a user who closes
// the box (Cancel, No or Ok; no file; no printout) and is counted, so a test
// can tell an expected question from a surprise.  answerEnter() answers as
// Enter does in the real box: with the default button the question names.

#include "ui/Dialogs.h"

#include <QStringList>

#include <deque>
#include <vector>

namespace kqm52 {

class ScriptedDialogs final : public Dialogs {
  public:
    enum class Kind { Message, OpenFile, SaveFile, Print, Preview };

    struct Asked {
        Kind kind;
        QObject* owner = nullptr; // the window, as DialogOwner::window() gives it
        Icon icon = Icon::NoIcon;
        QString caption;
        QString text;
        Buttons buttons;
        Button defaultButton = Button::NoButton; // what Enter presses
        QString dir;
        QString filter;
    };

    // Answers, each queue consumed in order.
    void answerMessage(Button button) { messages_.push_back(button); }
    // The user presses Enter: the box's default button.
    void answerEnter() { messages_.push_back(Button::NoButton); }
    void answerOpenFile(const QString& path) { openFiles_.push_back(path); }
    void answerSaveFile(const QString& path) { saveFiles_.push_back(path); }
    // Accept the print dialog and send the printout to this PDF file.
    void answerPrintToPdf(const QString& pdfPath) { prints_.push_back(pdfPath); }
    // Cancel the print dialog.
    void answerPrintCancelled() { prints_.push_back(QString()); }
    // The preview draws its pages into this PDF file (what the user would
    // see); `print` says whether the user then prints from the preview.
    void answerPreview(const QString& pdfPath, bool print) {
        previews_.push_back({pdfPath, print});
    }

    const std::vector<Asked>& asked() const { return asked_; }
    std::vector<Asked> asked(Kind kind) const;
    int unscripted() const { return unscripted_; }
    void clear();

    Button messageBox(DialogOwner owner, Icon icon, const QString& caption, const QString& text,
                      Buttons buttons, Button defaultButton) override;
    QString openFileName(DialogOwner owner, const QString& caption, const QString& dir,
                         const QString& filter) override;
    bool print(DialogOwner owner, QPrinter& printer) override;
    bool printPreview(DialogOwner owner, QPrinter& printer,
                      const std::function<void(QPrinter&)>& paint) override;

  protected:
    QString chooseSaveFileName(DialogOwner owner, const QString& caption, const QString& dir,
                               const QString& filter) override;

  private:
    QString fileAsked(Kind kind, DialogOwner owner, const QString& caption, const QString& dir,
                      const QString& filter, std::deque<QString>& answers);

    std::deque<Button> messages_;
    std::deque<QString> openFiles_;
    std::deque<QString> saveFiles_;
    std::deque<QString> prints_;
    std::deque<std::pair<QString, bool>> previews_;
    std::vector<Asked> asked_;
    int unscripted_ = 0;
};

} // namespace kqm52
