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
    // What the pages look like, when KQM52_SHOTS names a folder.
    if (const QString shots = qEnvironmentVariable("KQM52_SHOTS"); !shots.isEmpty())
        for (int page = 0; page < 2; ++page) {
            form.PageControl->setCurrentIndex(page);
            form.grab().save(shots +
                             QStringLiteral("/setup-%1-%2.png").arg(int(c.language)).arg(page));
        }
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

class SetupForm : public ::testing::Test {
  protected:
    SetupForm() : form(port, SetupLanguage::English) { form.show(); }
    // The four hardware boxes as indexes: hardware, type, receiver, transmitter.
    std::array<int, 4> rowShown() const {
        return {form.CBHardware->currentIndex(), form.CBTyp->currentIndex(),
                form.CBEmpfangen->currentIndex(), form.CBSenden->currentIndex()};
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
    EXPECT_EQ(form.CBAnschluss->currentText(), u"COM 2"_qs);
    EXPECT_EQ(form.CBBereich->currentText(), u"02F8 - 02FF"_qs);
    EXPECT_EQ(form.CBBaudrate->currentText(), u"19200"_qs);
    EXPECT_EQ(form.CBParitaet->currentText(), u"Odd"_qs);
    EXPECT_EQ(rowShown(), (std::array<int, 4>{1, 2, 1, 1})); // PCLab, RS 485, register 7
    EXPECT_TRUE(form.CmdOK->isEnabled());
    // Another port renews the range and the caption.
    form.CBAnschluss->setCurrentIndex(int(TPort::COM4));
    EXPECT_EQ(form.CBBereich->currentText(), u"02E8 - 02EF"_qs);
    EXPECT_EQ(form.windowTitle(), u"Serial port COM 4"_qs);
}

// The rows themselves are the port's rules; here the boxes follow them.
TEST_F(SetupForm, HardwareBoxesFollowThePresetRows) {
    form.CBHardware->setCurrentIndex(int(THardware::PhoenixPSM));
    EXPECT_EQ(rowShown(), (std::array<int, 4>{2, 0, 0, 3}));
    form.CBSenden->setCurrentIndex(int(TTransmitDriver::tdRTSto1)); // breaks the row
    EXPECT_EQ(form.CBHardware->currentText(), u"User defined"_qs);
    EXPECT_EQ(form.CBSenden->currentText(), u"RTS = 1"_qs);
    // The port itself is untouched until OK.
    EXPECT_EQ(port.Hardware(), THardware::Standard);
}

TEST_F(SetupForm, OkWritesTheBoxesInOrderWithoutOpening) {
    form.CBAnschluss->setCurrentIndex(int(TPort::COM2));
    // A range chosen after the port must survive the port's own address rule.
    form.CBBereich->setCurrentIndex(int(TPortAddr::pa_03E8));
    form.CBBaudrate->setCurrentIndex(int(TBaudrate::br57600));
    form.CBDatenbits->setCurrentIndex(int(TDataBit::db_7));
    form.CBParitaet->setCurrentIndex(int(TParityBit::None));
    form.CBStopbits->setCurrentIndex(int(TStopBit::sb_2));
    form.CBHardware->setCurrentIndex(int(THardware::UserDefined));
    form.CBTyp->setCurrentIndex(int(TPortType::RS485));
    form.CBEmpfangen->setCurrentIndex(int(TReceiveDriver::rdRegister7to2));
    form.CBSenden->setCurrentIndex(int(TTransmitDriver::tdDTRto0));
    form.CmdOKClick();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_FALSE(port.Active());
    EXPECT_EQ(port.PortName(), TPort::COM2);
    EXPECT_EQ(port.PortAddress(), TPortAddr::pa_03E8);
    EXPECT_EQ(port.Baudrate(), TBaudrate::br57600);
    EXPECT_EQ(port.FrameDatabits(), TDataBit::db_7);
    EXPECT_EQ(port.FrameParitybit(), TParityBit::None);
    EXPECT_EQ(port.FrameStopbits(), TStopBit::sb_2);
    EXPECT_EQ(port.Hardware(), THardware::UserDefined);
    EXPECT_EQ(port.PortType(), TPortType::RS485);
    EXPECT_EQ(port.ReceiveDriver(), TReceiveDriver::rdRegister7to2);
    EXPECT_EQ(port.TransmitDriver(), TTransmitDriver::tdDTRto0);
}

// The dialog component, with a port that really opens (on a fake line).
class SetupDialog : public ::testing::Test {
  protected:
    SetupDialog() {
        map.setDevice(TPort::COM1, QStringLiteral("fake"));
        map.registerDriver(QStringLiteral("fake"),
                           [this] { return std::make_unique<test::FakeDriver>(line); });
        port.setPortMap(&map);
        dialog.SetZRComm(&port);
    }
    // Runs the dialog, answering its window with answer.
    bool execute(std::function<void(TZRSetupCommForm&)> answer) {
        dialog.onFormCreated = [answer](TZRSetupCommForm& form) {
            QTimer::singleShot(0, &form, [&form, answer] { answer(form); });
        };
        return dialog.ExecuteEnglish();
    }
    std::shared_ptr<test::FakeLine> line = std::make_shared<test::FakeLine>();
    PortMap map;
    TZRComm port;
    TZRSetupCommDialog dialog;
};

TEST_F(SetupDialog, OkIsOffWhileThePortIsOpen) {
    port.SetActive(true);
    bool okEnabled = true;
    const bool accepted = execute([&](TZRSetupCommForm& f) {
        okEnabled = f.CmdOK->isEnabled();
        f.CmdCancel->click();
    });
    EXPECT_FALSE(accepted);
    EXPECT_FALSE(okEnabled);
    EXPECT_TRUE(port.Active());
    port.SetActive(false);
}

TEST_F(SetupDialog, AShowHandlerThatClosesThePortLetsOkThrough) {
    port.SetActive(true);
    QStringList events;
    dialog.OnShow = [&](TZRSetupCommDialog* sender) {
        events << u"show"_qs;
        sender->ZRComm()->SetActive(false);
    };
    dialog.OnClose = [&](TZRSetupCommDialog*) { events << u"close"_qs; };
    const bool accepted = execute([](TZRSetupCommForm& f) {
        f.CBAnschluss->setCurrentIndex(int(TPort::COM3));
        f.CmdOK->click();
    });
    EXPECT_TRUE(accepted);
    EXPECT_EQ(events, (QStringList{u"show"_qs, u"close"_qs}));
    EXPECT_FALSE(port.Active());
    EXPECT_EQ(port.PortName(), TPort::COM3);
    EXPECT_EQ(port.PortAddress(), TPortAddr::pa_03E8);
}

} // namespace
} // namespace kqm52
