#pragma once

// The port of one bus of a kqm52ctl run: line settings from application.ini,
// the command line and the bus's own line of --ports-from, the port map, the
// simulated bus behind "sim", and a few ways of waiting on the link from
// straight-line command code.  Waiting runs the event loop of the thread the
// link lives on, so the link's hand-overs go on and Ctrl+C is seen.
//
// Threads: a link is made, used and destroyed on one thread; several buses
// are several links, each on a worker of its own.

#include "ctl/CtlOptions.h"
#include "ctl/CtlRun.h"
#include "link/CommTypes.h"
#include "link/PortMap.h"
#include "link/UnitProtocol.h"
#include "link/ZRComm.h"
#include "model/journal/ServiceJournal.h"
#include "model/texts/LanguageTexts.h"
#include "model/texts/TextKeys.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QString>
#include <QTimer>

#include <memory>

namespace kqm52::ctl {

struct Answer {
    QByteArray reply;
    TCommError error;
    // What the reply says to its request (when it came).
    unit::Reply said;
    bool ok() const { return error.ok(); }
};

class CtlLink {
  public:
    // Settings from application.ini when it is there, then the
    // options, then what the bus gives itself.  unit() is the unit to select.
    CtlLink(const CtlOptions& options, const CtlBusSpec& bus, CtlContext& context);
    ~CtlLink();

    TZRComm& port() { return port_; }
    // Records what this bus writes; made with the link, its file opened at
    // the first write.
    ServiceJournal& journal() { return *journal_; }
    int unit() const { return unit_; }
    int languageNo() const { return languageNo_; }
    // The language application.ini names (Dutch without one).
    static int settingsLanguage(const ProgramFolders& folders);
    // "sim", "COM3 (/dev/ttyUSB0)" or the device path.
    QString portText() const;
    // "38400,E,8,1".
    QString lineText() const;
    bool lineSetAtServer() const { return port_.lineSetAtServer(); }
    // The line in the user's words: the settings, or that the server sets it.
    QString lineShown(const LanguageTexts& language) const;

    // Opens the port; false with the reason in error.
    // False with the reason, in the user's language, when the port cannot be opened.
    bool open(QString& error, const LanguageTexts& language);
    void close();

    // One request on a fresh component; timeoutMs 0 is the link's default wait.
    // A reply that is not the unit's to this request makes the next request
    // wait for the line to fall silent first.
    Answer ask(const QString& request, int timeoutMs = 0);
    // ask(), and once more when the reply was not the unit's to the request
    // (another request's, cut short, unreadable): by then the line has
    // fallen silent.
    Answer askChecked(const QString& request, int timeoutMs = 0);
    // "sc n": true when the unit echoed it.
    bool select(int unit, Answer* answer = nullptr);

    bool interrupted() const { return stopSignal() != 0; }
    // The signal that asked to stop, 0 while none has.
    int stopSignal() const { return context_.interrupted ? context_.interrupted->load() : 0; }
    // Runs the event loop until pred holds.  onInterrupt is called once when
    // Ctrl+C comes, and waiting goes on: the engine stops at its next reply.
    template <class Pred> void waitUntil(Pred pred, const std::function<void()>& onInterrupt = {}) {
        if (pred()) return;
        bool told = false;
        QEventLoop loop;
        QTimer check;
        QObject::connect(&check, &QTimer::timeout, &loop, [&] {
            if (!told && interrupted()) {
                told = true;
                if (onInterrupt) onInterrupt();
            }
            if (pred()) loop.quit();
        });
        check.start(1);
        loop.exec();
    }

  private:
    CtlContext& context_;
    PortMap map_;
    TZRComm port_;
    std::unique_ptr<ServiceJournal> journal_; // watches port_, so it goes first
    int unit_ = 0;
    int languageNo_ = 0;
    bool mappedDevice_ = false; // --port gave a path or sim, not a COM name
};

// A link error in words: "no reply within the wait time", the operating
// system's reason, or the line errors.
QString commErrorText(const LanguageTexts& language, const TCommError& error);

} // namespace kqm52::ctl
