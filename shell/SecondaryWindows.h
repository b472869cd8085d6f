#pragma once

// The program's secondary windows.  main hands the set to the main window
// after creating it; each window is made when it is first needed.  A window
// that is not part of this build stays empty; the menu items and buttons
// that would open it are disabled.

#include "model/engines/TableTransfer.h"

#include <QDialog>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>
#include <type_traits>

namespace kqm52 {

// The receive and send windows as the main window drives them: it cannot see
// their classes, only this.
class TransferWindows {
  public:
    virtual ~TransferWindows() = default;
    // Runs the receive window; the tables it read when it ended with OK.
    virtual std::optional<UnitTables> receive(TableTransfer::Mode mode) = 0;
    // Runs the send window on these tables; how far it got and whether the
    // user closed it with OK.
    virtual SendReport send(TableTransfer::Mode mode, const UnitTables& tables) = 0;
};

namespace detail {
// Untyped, so that the handles of a window and of its base classes share it.
struct LazyWindowState {
    std::function<QObject*()> make;
    QPointer<QObject> window;
    bool made = false;
};
} // namespace detail

// A secondary window that is made the first time it is asked for, so that a
// start pays only for the main window.  Copies share the one window, also a
// copy that sees it as a base class (the main window knows only QDialog;
// Program keeps the window's own class).  Empty: the window is not part of
// this build.
template <class W> class LazyWindow {
  public:
    LazyWindow() = default;
    // A window already made.
    LazyWindow(W* window) : state_(std::make_shared<State>()) {
        state_->window = window;
        state_->made = true;
    }
    // A window make() makes when it is first asked for.
    explicit LazyWindow(std::function<W*()> make) : state_(std::make_shared<State>()) {
        state_->make = [make = std::move(make)]() -> QObject* { return make(); };
    }
    // The same window, seen as one of its base classes.
    template <class D, class = std::enable_if_t<std::is_base_of_v<W, D>>>
    LazyWindow(const LazyWindow<D>& window) : state_(window.state_) {}

    // There is such a window, made or still to be made.
    explicit operator bool() const {
        return state_ && (state_->made ? !state_->window.isNull() : bool(state_->make));
    }
    // The window, made now if it was not yet; null when there is none.
    W* get() const {
        if (!state_) return nullptr;
        if (!state_->made && state_->make) {
            state_->made = true;
            state_->window = state_->make();
        }
        return made();
    }
    // The window if it has been made; never makes it.
    W* made() const {
        // Only a W (or a class made from it) is ever put in the state.
        return state_ ? static_cast<W*>(state_->window.data()) : nullptr;
    }

  private:
    template <class> friend class LazyWindow;
    using State = detail::LazyWindowState;
    std::shared_ptr<State> state_;
};

struct SecondaryWindows {
    LazyWindow<QDialog> FormAbout;
    LazyWindow<QDialog> FormEditParam;
    LazyWindow<QDialog> FormOpties;
    LazyWindow<QDialog> FormInitSerial;
    LazyWindow<QDialog> FormParamService;
    LazyWindow<QDialog> FormEditSollwerten;
    LazyWindow<QDialog> FormDisplayNokken;
    LazyWindow<QDialog> FormLeesParSoll;
    LazyWindow<QDialog> FormApparaatZoeken;
    LazyWindow<QDialog> FormSchrijfParSoll;
    LazyWindow<QWidget> FormInfoErrorNummers; // the one window shown without being modal
    LazyWindow<QDialog> FormParLoader;
    LazyWindow<QDialog> FormCalibratie;
    LazyWindow<QDialog> FormAfdrukkenPar;
    LazyWindow<QDialog> FormAfdrukkenSoll;
    LazyWindow<QDialog> FormGrafiek;
    LazyWindow<QDialog> FormJournal;
    // Drives FormLeesParSoll and FormSchrijfParSoll; null while they are not
    // part of the build.
    TransferWindows* transfers = nullptr;
};

} // namespace kqm52
