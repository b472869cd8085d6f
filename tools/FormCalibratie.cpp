#include "tools/FormCalibratie.h"

#include "model/texts/LanguageTexts.h"
#include "model/texts/TextKeys.h"
#include "ui/Dialogs.h"
#include "ui/WidgetKit.h"

#include <QApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSpinBox>

#include <functional>

namespace kqm52 {

namespace {

const QColor ReadingColour(0xFF, 0xFF, 0x97);
const QColor GreyText(0x80, 0x80, 0x80);

QLabel* label(QWidget* parent, const QString& text, int x, int y, int width) {
    return place(new QLabel(text, parent), "", x, y, width, 22);
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, int x, int y,
                    int width = 65) {
    return plainButton(parent, name, caption, x, y, width, 24);
}

template <class Spin>
Spin* spin(QWidget* parent, const char* name, int x, int y, int min, int max) {
    auto* s = place(new Spin(parent), name, x, y, 97, 22);
    s->setLimits(min, max);
    // A value is sent when it is complete (Enter, leaving the field, an
    // arrow step), not at every keystroke: typing -37 must not drive the
    // output through -3 first.
    s->setKeyboardTracking(false);
    return s;
}

FittedLabel* panel(QWidget* parent, const char* name, int x, int y, int width) {
    auto* p = sunkenPanel(parent, name, x, y, width, 22, Qt::AlignRight | Qt::AlignVCenter);
    p->setIndent(4);
    QFont bold = p->font();
    bold.setBold(true);
    p->setFont(bold);
    return p;
}

// A disabled group shows its caption and labels in grey.
QGroupBox* group(QWidget* parent, const char* name, const QString& caption, int x, int y, int width,
                 int height) {
    auto* g = place(new QGroupBox(caption, parent), name, x, y, width, height);
    QPalette p = g->palette();
    p.setColor(QPalette::Disabled, QPalette::WindowText, GreyText);
    p.setColor(QPalette::Disabled, QPalette::ButtonText, GreyText);
    p.setColor(QPalette::Disabled, QPalette::Text, GreyText);
    g->setPalette(p);
    return g;
}

struct ConstantField {
    int number;
    const char* name;
    int row; // 0 offset, 1 gain positive, 2 gain negative
};

// By group: DA voltage, DA current, AD voltage, AD current.
constexpr ConstantField Spins[4][3] = {
    {{2041, "SpinEdit_Offset_U", 0},
     {2042, "SpinEdit_Gain_U_pos", 1},
     {2040, "SpinEdit_Gain_U_neg", 2}},
    {{2043, "SpinEdit_Offset_I", 0},
     {2044, "SpinEdit_Gain_I_pos", 1},
     {2045, "SpinEdit_Gain_I_neg", 2}},
    {{2035, "SpinEdit_Offset_U_AD", 0},
     {2036, "SpinEdit_Gain_U_pos_AD", 1},
     {2034, "SpinEdit_Gain_U_neg_AD", 2}},
    {{2038, "SpinEdit_Offset_I_AD", 0},
     {2039, "SpinEdit_Gain_I_pos_AD", 1},
     {2037, "SpinEdit_Gain_I_neg_AD", 2}},
};

bool wholeNumber(const QString& text) {
    static const QRegularExpression number(QStringLiteral("^[+-]?[0-9]+$"));
    return number.match(text.trimmed()).hasMatch();
}

QString wrapped(const QString& text, int width) {
    QStringList lines;
    QString line;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && line.size() + 1 + word.size() > width) {
            lines << line;
            line.clear();
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    if (!line.isEmpty()) lines << line;
    return lines.join(QStringLiteral("\r\n"));
}

} // namespace

// The spin edit of this window.  A plain spin edit refuses the keystroke
// that would take its text past the limits, so 5000 typed into a field of
// -1000 to 1000 stands there as 500 and goes out as 500.  This one takes any
// whole number as it is typed; when it is entered (Enter, leaving the field,
// an arrow step) a number outside the limits is refused as a whole and the
// field goes back to its value: nothing is sent.
//
// A constant's field shows "????" and is locked until the unit has sent its
// value.  A value the unit holds outside the limits is shown as it is (the
// field's range widens to hold it) and stays until the user enters a value
// inside the limits; an arrow step that would land outside them is refused
// like a typed value.
class CalibrationSpin : public QSpinBox {
  public:
    using QSpinBox::QSpinBox;

    std::function<void(const QString& typed)> onRefused;

    void setLimits(int min, int max) {
        min_ = min;
        max_ = max;
        setRange(min, max);
    }
    // The unit's value, also outside the limits.
    void showUnitValue(int value) {
        setRange(std::min(min_, value), std::max(max_, value));
        setValue(value);
    }

    void setUnknown(bool unknown) {
        // Only on a change: the text being typed is not put back.
        if (unknown == unknown_) return;
        unknown_ = unknown;
        setEnabled(!unknown);
        // As the spin edit writes its own text: not as an edit to commit.
        const QSignalBlocker quiet(lineEdit());
        lineEdit()->setText(textFromValue(value()));
    }

    void stepBy(int steps) override {
        refuseOutside();
        // From the text being typed when the field takes it, else from the value.
        QString text = this->text();
        int pos = 0;
        const qint64 from =
            validate(text, pos) == QValidator::Acceptable ? valueFromText(cleanText()) : value();
        const qint64 to = from + qint64(steps) * singleStep();
        if (to >= minimum() && to <= maximum() && !withinLimits(to)) {
            if (onRefused) onRefused(QString::number(to));
            return;
        }
        QSpinBox::stepBy(steps);
    }

  protected:
    QValidator::State validate(QString& input, int& pos) const override {
        const QValidator::State state = QSpinBox::validate(input, pos);
        if (state == QValidator::Invalid && wholeNumber(input)) return QValidator::Intermediate;
        // Inside a range widened for the unit's value, only that value and
        // the limits' own are taken.
        if (state == QValidator::Acceptable) {
            const qint64 typed = valueFromText(input.trimmed());
            if (!withinLimits(typed) && typed != value()) return QValidator::Intermediate;
        }
        return state;
    }
    QString textFromValue(int value) const override {
        return unknown_ ? QStringLiteral("????") : QSpinBox::textFromValue(value);
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) refuseOutside();
        QSpinBox::keyPressEvent(event);
    }
    void focusOutEvent(QFocusEvent* event) override {
        refuseOutside();
        QSpinBox::focusOutEvent(event);
    }

  private:
    bool withinLimits(qint64 v) const { return v >= min_ && v <= max_; }
    // A whole number the field cannot take; the spin edit itself then puts
    // its last value back without a change.
    void refuseOutside() {
        QString text = this->text();
        int pos = 0;
        if (validate(text, pos) == QValidator::Acceptable) return;
        const QString typed = cleanText().trimmed();
        if (wholeNumber(typed) && onRefused) onRefused(typed);
    }

    bool unknown_ = false;
    int min_ = 0;
    int max_ = 99;
};

TFormCalibratie::TFormCalibratie(TZRComm& port, const LanguageTexts& language, Dialogs& dialogs,
                                 QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), language_(language), logic_(port, language, *this) {
    setObjectName(QStringLiteral("FormCalibratie"));
    buildWindow();
}

TFormCalibratie::~TFormCalibratie() = default;

QString TFormCalibratie::closeQuestion() const {
    return wrapped(language_.text(TextId{"Calibratie", "MsgNietOpgeslagen"}), 42);
}

void TFormCalibratie::buildWindow() {
    setWindowTitle(QStringLiteral("Calibratie"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(666, 556);

    const char* names[4] = {"GroupBox1", "GroupBox2", "GroupBox5", "GroupBox6"};
    const QString captions[4] = {QStringLiteral("DA Spanning"), QStringLiteral("DA Stroom"),
                                 QStringLiteral("AD Spanning"), QStringLiteral("AD Stroom")};
    const QString rowNames[3] = {QStringLiteral("Offset"), QStringLiteral("Gain +"),
                                 QStringLiteral("Gain -")};
    const QString units[3] = {QStringLiteral("in 311uV eenheden"),
                              QStringLiteral("in 0,1 mV eenheden"),
                              QStringLiteral("in 0,1 mV eenheden")};
    std::array<QGroupBox*, 4> groups{};
    for (int g = 0; g < 4; ++g) {
        const bool da = g < 2;
        groups[std::size_t(g)] = group(this, names[g], captions[g], 8 + 328 * (g % 2), da ? 8 : 226,
                                       320, da ? 210 : 134);
        QGroupBox* box = groups[std::size_t(g)];
        for (const ConstantField& c : Spins[g]) {
            const int y = 22 + 28 * c.row;
            label(box, rowNames[c.row], 8, y, 52);
            const calibration::Limits limits = calibration::limitsOf(c.number);
            auto* s = spin<CalibrationSpin>(box, c.name, 62, y, limits.min, limits.max);
            s->setUnknown(true);
            label(box, units[c.row], 166, y, 146);
            constants_[std::size_t(calibration::indexOf(c.number))] = s;
            connect(s, &QSpinBox::valueChanged, this,
                    [this, number = c.number](int v) { logic_.constantChanged(number, v); });
            s->onRefused = [this, number = c.number](const QString& typed) {
                logic_.constantRefused(number, typed);
            };
        }
    }
    GroupBox1 = groups[0];
    GroupBox2 = groups[1];
    GroupBox5 = groups[2];
    GroupBox6 = groups[3];

    // Test values of the DA output: minimum, zero, maximum.
    const auto testRow = [this](QGroupBox* box, std::array<QSpinBox**, 3> spins,
                                std::array<const char*, 3> spinNames,
                                std::array<const char*, 3> buttonNames, int limit,
                                const QString& unit, bool current) {
        const int values[3] = {-limit, 0, limit};
        for (int i = 0; i < 3; ++i) {
            const int y = 112 + 30 * i;
            auto* s = spin<CalibrationSpin>(box, spinNames[std::size_t(i)], 62, y, -limit, limit);
            s->setValue(values[i]);
            s->onRefused = [this, field = box->title() + QStringLiteral(" Test"),
                            limit](const QString& typed) {
                logic_.entryRefused(field, typed, {-limit, limit});
            };
            *spins[std::size_t(i)] = s;
            label(box, unit, 166, y, 30);
            QPushButton* b =
                button(box, buttonNames[std::size_t(i)], QStringLiteral("Set"), 200, y);
            connect(b, &QPushButton::clicked, this, [this, s, current] {
                if (current)
                    logic_.setCurrent(s->value());
                else
                    logic_.setVoltage(s->value());
            });
        }
    };
    label(GroupBox1, QStringLiteral("Test"), 8, 112, 52);
    testRow(GroupBox1, {&SpinEdit1, &SpinEdit2, &SpinEdit3},
            {"SpinEdit1", "SpinEdit2", "SpinEdit3"}, {"CmdSetUmin", "CmdSetUnul", "CmdSetUmax"},
            100000, QStringLiteral("V"), false);
    label(GroupBox2, QStringLiteral("Test"), 8, 112, 52);
    testRow(GroupBox2, {&SpinEdit6, &SpinEdit7, &SpinEdit8},
            {"SpinEdit6", "SpinEdit7", "SpinEdit8"}, {"CmdSetImin", "CmdSetInul", "CmdSetImax"},
            200000, QStringLiteral("mA"), true);

    // The live readings of the inputs.
    Panel2 = panel(GroupBox5, "Panel2", 62, 106, 150);
    CmdAct_U_AD = button(GroupBox5, "CmdAct_U_AD", QStringLiteral("ON"), 220, 105, 60);
    Panel3 = panel(GroupBox6, "Panel3", 62, 106, 150);
    CmdAct_I_AD = button(GroupBox6, "CmdAct_I_AD", QStringLiteral("ON"), 220, 105, 60);
    connect(CmdAct_U_AD, &QPushButton::clicked, this, [this] { logic_.CmdAct_U_ADClick(); });
    connect(CmdAct_I_AD, &QPushButton::clicked, this, [this] { logic_.CmdAct_I_ADClick(); });

    GroupBox3 = group(this, "GroupBox3", QStringLiteral("Calibratie mode"), 8, 366, 160, 58);
    QPushButton* aan = button(GroupBox3, "CmdSetKalibtatieMode", QStringLiteral("Aan"), 8, 24);
    QPushButton* uit = button(GroupBox3, "CmdResCalibtatieMode", QStringLiteral("Uit"), 84, 24);
    connect(aan, &QPushButton::clicked, this, [this] { logic_.CmdSetKalibtatieModeClick(); });
    connect(uit, &QPushButton::clicked, this, [this] { logic_.CmdResCalibtatieModeClick(); });

    GroupBox4 = group(this, "GroupBox4", QStringLiteral("DA Select"), 176, 366, 236, 58);
    QPushButton* u = button(GroupBox4, "CmdSet_U_actief", QStringLiteral("Spanning"), 8, 24, 70);
    QPushButton* i = button(GroupBox4, "CmdSet_I_actief", QStringLiteral("Stroom"), 83, 24, 70);
    QPushButton* geen = button(GroupBox4, "CmdSet_I_InActief", QStringLiteral("Geen"), 158, 24, 70);
    connect(u, &QPushButton::clicked, this, [this] { logic_.CmdSet_U_actiefClick(); });
    connect(i, &QPushButton::clicked, this, [this] { logic_.CmdSet_I_actiefClick(); });
    connect(geen, &QPushButton::clicked, this, [this] { logic_.CmdSet_I_InActiefClick(); });

    CmdSaveToEEPROM = button(this, "CmdSaveToEEPROM", QStringLiteral("EEPROM"), 428, 388, 90);
    connect(CmdSaveToEEPROM, &QPushButton::clicked, this,
            [this] { logic_.CmdSaveToEEPROMClick(); });

    GroupBox7 = group(this, "GroupBox7", QStringLiteral("DA Teach waarden"), 8, 430, 650, 58);
    const char* teachNames[4] = {"Panel_DAC_Smin_spanning", "Panel_DAC_Smax_spanning",
                                 "Panel_DAC_Smin_stroom", "Panel_DAC_Smax_stroom"};
    const QString teachLabels[4] = {QStringLiteral("Smin U"), QStringLiteral("Smax U"),
                                    QStringLiteral("Smin I"), QStringLiteral("Smax I")};
    for (int t = 0; t < 4; ++t) {
        label(GroupBox7, teachLabels[t], 8 + 136 * t, 24, 50);
        teachPanels_[std::size_t(t)] = panel(GroupBox7, teachNames[t], 58 + 136 * t, 24, 72);
    }
    QPushButton* lees = button(GroupBox7, "cmd_LeesDAC_Teach", QStringLiteral("Lees"), 578, 23);
    connect(lees, &QPushButton::clicked, this, [this] { logic_.cmd_LeesDAC_TeachClick(); });

    Panel1 = place(new FittedLabel(this), "Panel1", 8, 496, 650, 24);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setIndent(4);
    QPushButton* close = button(this, "CmdSluiten", QStringLiteral("Sluiten"), 568, 526, 90);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

CalibrationSpin* TFormCalibratie::constantSpin(int number) const {
    const int i = calibration::indexOf(number);
    return i < 0 ? nullptr : constants_[std::size_t(i)];
}

void TFormCalibratie::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormActivate();
}

void TFormCalibratie::FormActivate() {
    SpinEdit1->setValue(-100000);
    SpinEdit2->setValue(0);
    SpinEdit3->setValue(100000);
    SpinEdit6->setValue(-200000);
    SpinEdit7->setValue(0);
    SpinEdit8->setValue(200000);
    logic_.activate();
}

bool TFormCalibratie::FormClose() {
    // Yes leaves the constants unsaved: Enter must not say it.
    if (logic_.sentNotSaved() &&
        !dialogs_.confirm(this, language_.text(TextId{"Calibratie", "Msg_waarschuwingCaption"}),
                          closeQuestion()))
        return false;
    logic_.close();
    return true;
}

void TFormCalibratie::done(int result) {
    if (!FormClose()) return;
    QDialog::done(result);
}

int TFormCalibratie::showConstant(int number, int value) {
    CalibrationSpin* s = constantSpin(number);
    if (!s) return value;
    s->setUnknown(false);
    s->showUnitValue(value);
    return s->value();
}

int TFormCalibratie::constantValue(int number) const {
    const QSpinBox* s = constantSpin(number);
    return s ? s->value() : 0;
}

void TFormCalibratie::controlsChanged() {
    const CalibrationControls& c = logic_.controls();
    GroupBox1->setEnabled(c.daVoltage);
    GroupBox2->setEnabled(c.daCurrent);
    GroupBox5->setEnabled(c.adGroups);
    GroupBox6->setEnabled(c.adGroups);
    GroupBox4->setEnabled(c.daSelect);
    CmdSaveToEEPROM->setEnabled(c.eeprom);
    Panel1->setText(c.panel1);
    Panel1->setStyleSheet(c.panel1Red ? QStringLiteral("color: red") : QString());
    const auto reading = [](FittedLabel* p, QPushButton* b, bool on, const QString& text) {
        p->setText(text);
        QPalette palette = p->palette();
        palette.setColor(QPalette::Window,
                         on ? ReadingColour : QApplication::palette(p).color(QPalette::Button));
        p->setPalette(palette);
        b->setText(on ? QStringLiteral("OFF") : QStringLiteral("ON"));
    };
    reading(Panel2, CmdAct_U_AD, c.voltageOn, c.panel2);
    reading(Panel3, CmdAct_I_AD, c.currentOn, c.panel3);
    for (std::size_t t = 0; t < teachPanels_.size(); ++t)
        teachPanels_[t]->setText(c.teach[t]);
    for (std::size_t i = 0; i < constants_.size(); ++i)
        constants_[i]->setUnknown(!c.known[i]);
}

} // namespace kqm52
