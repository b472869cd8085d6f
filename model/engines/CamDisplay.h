#pragma once

// The cam display without its widgets: which grid cell shows which cam in
// which colour, and the nine panels of a selected cell.  Everything comes
// from the program-wide tables; nothing is sent and nothing changes.

#include <QString>
#include <QStringList>
#include <Qt>

#include <optional>

namespace kqm52 {

class ProgramState;

namespace cams {

constexpr int CamCount = 24;
constexpr int OutputCount = 4;

// Parameters of cam n (1..24) and output m (1..4).
constexpr int startParameter(int n) {
    return 6 + n;
}
constexpr int endParameter(int n) {
    return 30 + n;
}
constexpr int hysteresisParameter(int n) {
    return 54 + n;
}
constexpr int advanceParameter(int m) {
    return 93 + m;
}
constexpr int functionParameter(int n) {
    return 255 + n;
}
constexpr int sourceParameter(int n) {
    return 279 + n;
}
constexpr int startSelectorParameter(int n) {
    return 303 + n;
}
constexpr int endSelectorParameter(int n) {
    return 327 + n;
}
constexpr int outputParameter(int n) {
    return 351 + n;
}

} // namespace cams

// What the nine panels show; all empty for a cell without a cam.
struct CamPanels {
    QString NokNummer;
    QString Functie;
    QString Bron;
    QString Aanvang;
    QString SelectAanvang;
    QString Einde;
    QString SelectEinde;
    QString Hysteresis;
    QString Vervroeging;
    friend bool operator==(const CamPanels&, const CamPanels&) = default;
};

class CamDisplayLogic {
  public:
    explicit CamDisplayLogic(const ProgramState& state) : state_(state) {}

    // The panels for the cell in column n (cam) and row m (output).
    CamPanels UpdateOnSelectedCell(int column, int row) const;

    // The fill of a data cell: the cam's function colour in the row of its
    // output, nothing anywhere else.  A named colour, so the logic needs no
    // painting library.
    std::optional<Qt::GlobalColor> cellColour(int column, int row) const;

    // The option list of parameter p in the program's language; empty
    // without the catalogue.
    QStringList LaadParOpties(int p) const;

  private:
    // The cam in column n, when it is in use and sits on output m.
    bool camOnOutput(int n, int m) const;
    // The value a start or end selector points at; none for a selector
    // outside the tables.
    std::optional<qint32> selectedValue(int selector, int ownParameter) const;
    QString optionText(int p) const;

    const ProgramState& state_;
};

} // namespace kqm52
