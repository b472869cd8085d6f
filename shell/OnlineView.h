#pragma once

// What the online logic of the main window asks of the window.  The logic
// classes (UnitSelection, LiveMonitor, Terminal) decide what each control
// shows and when; the window only puts it on its widgets.  Tests give the
// logic a view of their own, or the real window.

#include <QColor>
#include <QString>

#include <array>
#include <optional>

namespace kqm52 {

// The panels the main window uses for messages, shared by all online parts.
class MessagePanelsView {
  public:
    virtual ~MessagePanelsView() = default;
    // Link trouble, in red (empty clears it).
    virtual void showComInfo(const QString& text) = 0;
    // The device's error number, in large red (empty clears it).
    virtual void showErrorNo(const QString& text) = 0;
    // Status bar panels 0 … 5.
    virtual void showStatus(int panel, const QString& text) = 0;
};

enum class MonitorPanel {
    ActPos,
    Snelheid,
    Spanning_uit,
    Stroom_uit,
    Spanning_in,
    Stroom_in,
    Analoog_in_AWE,
    DW1,
    DW2,
    DW3,
    DW4
};
constexpr int MonitorPanelCount = 11;

enum class MonitorButton { Actual, InUit, Duimwiel };

class LiveMonitorView : public virtual MessagePanelsView {
  public:
    virtual void showPanel(MonitorPanel panel, const QString& text) = 0;
    // No colour: the window's own face.
    virtual void colourPanel(MonitorPanel panel, const std::optional<QColor>& colour) = 0;
    virtual void setButtonCaption(MonitorButton button, const QString& caption) = 0;
    virtual void showInputs(bool k0, const std::array<bool, 4>& inputs) = 0;
    virtual void showOutputs(const std::array<bool, 4>& outputs) = 0;
    // Every lamp back to "not read".
    virtual void neutralLamps() = 0;
    // A receive, send or search window is the active one: it needs the line.
    virtual bool transferWindowActive() const = 0;
};

class UnitSelectionView : public virtual MessagePanelsView {
  public:
    // The open/close button's caption and everything that works only online.
    virtual void setOnline(bool online, const QString& selectCaption) = 0;
    virtual int unitNumber() const = 0;
    // The device search is the active window: it selects units itself.
    virtual bool deviceSearchActive() const = 0;
};

class TerminalView : public virtual MessagePanelsView {
  public:
    virtual QString terminalLine() const = 0;
    virtual void setTerminalLine(const QString& text) = 0;
    virtual void selectTerminalLine() = 0;
    virtual void showTerminalReply(const QString& text) = 0;
};

} // namespace kqm52
