// The serial link's own setup dialog: its two languages, the hardware rows
// and what OK writes into the port.

#include "link/FakeDriver.h"
#include "link/setup/ZRSetupCommDialog.h"
#include "link/setup/ZRSetupCommForm.h"

#include <QComboBox>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include <gtest/gtest.h>

namespace kqm52 {
namespace {

QStringList itemsOf(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

QString labelOf(QWidget* box) {
    for (QLabel* l : box->parentWidget()->findChildren<QLabel*>())
        if (l->buddy() == box) return l->text();
    return {};
}

struct LanguageCase {
    SetupLanguage language;
    QString caption, portPage, extendedPage, portLabel, cancel;
    QStringList parities, hardware, receivers;
};

class SetupLanguages : public ::testing::TestWithParam<LanguageCase> {};

TEST_P(SetupLanguages, CaptionsAndItems) {
    const LanguageCase& c = GetParam();
    TZRComm port;
    port.SetPortName(TPort::COM3);
    TZRSetupCommForm form(port, c.language);
    form.show();
    EXPECT_EQ(form.windowTitle(), c.caption);
    EXPECT_EQ(form.PageControl->tabText(0), c.portPage);
    EXPECT_EQ(form.PageControl->tabText(1), c.extendedPage);
    EXPECT_EQ(labelOf(form.CBAnschluss), c.portLabel);
    EXPECT_EQ(form.CmdCancel->text(), c.cancel);
    EXPECT_EQ(itemsOf(form.CBParitaet), c.parities);
    EXPECT_EQ(itemsOf(form.CBHardware), c.hardware);
    EXPECT_EQ(itemsOf(form.CBEmpfangen), c.receivers);
    EXPECT_EQ(form.CBAnschluss->count(), 16);
    EXPECT_EQ(form.CBAnschluss->itemText(15), u"COM 16"_qs);
    EXPECT_EQ(itemsOf(form.CBBereich).first(), u"03F8 - 03FF"_qs);
    EXPECT_EQ(itemsOf(form.CBBaudrate).last(), u"115200"_qs);
    EXPECT_EQ(itemsOf(form.CBTyp), (QStringList{u"RS 232 C"_qs, u"RS 422"_qs, u"RS 485"_qs}));
    EXPECT_EQ(form.CBSenden->itemText(3), u"DTR = 0"_qs);
}

INSTANTIATE_TEST_SUITE_P(
    Setup, SetupLanguages,
    ::testing::Values(LanguageCase{SetupLanguage::English,
                                   u"Serial port COM 3"_qs,
                                   u"Port configuration"_qs,
                                   u"Extended"_qs,
                                   u"&Port:"_qs,
                                   u"Cancel"_qs,
                                   {u"None"_qs, u"Even"_qs, u"Odd"_qs},
                                   {u"Standard"_qs, u"PCLab Card PCL 745"_qs,
                                    u"Phoenix PSM-V24/RS485"_qs, u"User defined"_qs},
                                   {u"None"_qs, u"Register 7 = 2"_qs}},
                      LanguageCase{SetupLanguage::German,
                                   u"Serielle Schnittstelle COM 3"_qs,
                                   u"Anschlußeinstellungen"_qs,
                                   u"Erweitert"_qs,
                                   u"&Anschluß:"_qs,
                                   u"Abbrechen"_qs,
                                   {u"Keine"_qs, u"Gerade"_qs, u"Ungerade"_qs},
                                   {u"Standard"_qs, u"PCLab-Karte PCL 745"_qs,
                                    u"Phoenix PSM-V24/RS485"_qs, u"Benutzerdefiniert"_qs},
                                   {u"Nein"_qs, u"Register 7 = 2"_qs}}),
    [](const auto& info) {
        return info.param.language == SetupLanguage::German ? "German" : "English";
    });

TEST(SetupLanguage, FollowsTheLocale) {
    EXPECT_EQ(setupLanguageFor(QLocale(QLocale::German, QLocale::Austria)), SetupLanguage::German);
    EXPECT_EQ(setupLanguageFor(QLocale(QLocale::Dutch)), SetupLanguage::English);
}

// The port's ten settings as ordinals, in the order of the boxes.
using Settings = std::array<int, 10>;
Settings settingsOf(const TZRComm& p) {
    return {int(p.PortName()),      int(p.PortAddress()),    int(p.Baudrate()),
            int(p.FrameDatabits()), int(p.FrameParitybit()), int(p.FrameStopbits()),
            int(p.Hardware()),      int(p.PortType()),       int(p.ReceiveDriver()),
            int(p.TransmitDriver())};
}

class SetupForm : public ::testing::Test {
  protected:
    SetupForm() : form(port, SetupLanguage::English) { form.show(); }
    std::array<QComboBox*, 10> boxes() const {
        return {form.CBAnschluss, form.CBBereich,  form.CBBaudrate, form.CBDatenbits,
                form.CBParitaet,  form.CBStopbits, form.CBHardware, form.CBTyp,
                form.CBEmpfangen, form.CBSenden};
    }
    Settings shown() const {
        Settings s{};
        for (std::size_t i = 0; i < s.size(); ++i)
            s[i] = boxes()[i]->currentIndex();
        return s;
    }
    TZRComm port;
    TZRSetupCommForm form;
};

TEST_F(SetupForm, ShowsThePortsSettings) {
    form.hide();
    port.SetPortName(TPort::COM2);
    port.SetBaudrate(TBaudrate::br19200);
    port.SetFrameParitybit(TParityBit::Odd);
    port.SetHardware(THardware::PCLabPCL745);
    form.show();
    EXPECT_EQ(shown(), settingsOf(port));
    EXPECT_EQ(form.CBBereich->currentText(), u"02F8 - 02FF"_qs);
    EXPECT_EQ(form.CBParitaet->currentText(), u"Odd"_qs);
    EXPECT_EQ(form.CBTyp->currentIndex(), int(TPortType::RS485)); // PCLab's row
    EXPECT_TRUE(form.CmdOK->isEnabled());
    // Another port renews the range and the caption.
    form.CBAnschluss->setCurrentIndex(int(TPort::COM4));
    EXPECT_EQ(form.CBBereich->currentText(), u"02E8 - 02EF"_qs);
    EXPECT_EQ(form.windowTitle(), u"Serial port COM 4"_qs);
    EXPECT_EQ(port.PortName(), TPort::COM2) << "the port itself is untouched until OK";
}

TEST_F(SetupForm, OkWritesTheBoxesInOrderWithoutOpening) {
    // A range chosen after the port must survive the port's own address rule.
    const Settings chosen{int(TPort::COM2),
                          int(TPortAddr::pa_03E8),
                          int(TBaudrate::br57600),
                          int(TDataBit::db_7),
                          int(TParityBit::None),
                          int(TStopBit::sb_2),
                          int(THardware::UserDefined),
                          int(TPortType::RS485),
                          int(TReceiveDriver::rdRegister7to2),
                          int(TTransmitDriver::tdDTRto0)};
    for (std::size_t i = 0; i < chosen.size(); ++i)
        boxes()[i]->setCurrentIndex(chosen[i]);
    form.CmdOKClick();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_FALSE(port.Active());
    EXPECT_EQ(settingsOf(port), chosen);
}

// The dialog component, with a port that really opens (on a fake line):
// OK is off while the port is open, unless a show handler closes it.
TEST(SetupDialog, OkOnlyOnAClosedPortAndTheHandlersFrameTheWindow) {
    auto line = std::make_shared<test::FakeLine>();
    PortMap map;
    map.setDevice(TPort::COM1, QStringLiteral("fake"));
    map.registerDriver(QStringLiteral("fake"),
                       [line] { return std::make_unique<test::FakeDriver>(line); });
    TZRComm port;
    port.setPortMap(&map);
    TZRSetupCommDialog dialog;
    dialog.SetZRComm(&port);
    // Runs the dialog, answering its window with answer.
    const auto execute = [&dialog](std::function<void(TZRSetupCommForm&)> answer) {
        dialog.onFormCreated = [answer](TZRSetupCommForm& form) {
            QTimer::singleShot(0, &form, [&form, answer] { answer(form); });
        };
        return dialog.ExecuteEnglish();
    };

    port.SetActive(true);
    bool okEnabled = true;
    EXPECT_FALSE(execute([&](TZRSetupCommForm& f) {
        okEnabled = f.CmdOK->isEnabled();
        f.CmdCancel->click();
    }));
    EXPECT_FALSE(okEnabled);
    EXPECT_TRUE(port.Active());

    QStringList events;
    dialog.OnShow = [&](TZRSetupCommDialog* sender) {
        events << u"show"_qs;
        sender->ZRComm()->SetActive(false);
    };
    dialog.OnClose = [&](TZRSetupCommDialog*) { events << u"close"_qs; };
    EXPECT_TRUE(execute([](TZRSetupCommForm& f) {
        f.CBAnschluss->setCurrentIndex(int(TPort::COM3));
        f.CmdOK->click();
    }));
    EXPECT_EQ(events, (QStringList{u"show"_qs, u"close"_qs}));
    EXPECT_FALSE(port.Active());
    EXPECT_EQ(port.PortName(), TPort::COM3);
    EXPECT_EQ(port.PortAddress(), TPortAddr::pa_03E8);
}

} // namespace
} // namespace kqm52
