#include "model/engines/CalibrationLogic.h"

#include "link/SerialDriver.h"
#include "link/UnitProtocol.h"
#include "link/ZRComm.h"
#include "model/journal/ServiceJournal.h"
#include "model/texts/LanguageTexts.h"
#include "model/values/DecimalText.h"

#include <limits>

namespace kqm52 {

namespace calibration {

int indexOf(int number) {
    for (int i = 0; i < ConstantCount; ++i)
        if (ReadOrder[std::size_t(i)] == number) return i;
    return -1;
}

Limits limitsOf(int number) {
    switch (number) {
    case 2042: // DA voltage gains
    case 2040:
    case 2036: // AD gains
    case 2034:
    case 2039:
    case 2037:
        return {-1000, 1000};
    case 2044: // DA current gains
    case 2045:
        return {-1500, 1500};
    default:
        return {std::numeric_limits<int>::min(), std::numeric_limits<int>::max()};
    }
}

QString fieldName(int number) {
    static const char* const groups[4] = {"DA Spanning", "DA Stroom", "AD Spanning", "AD Stroom"};
    static const char* const rows[3] = {"Offset", "Gain +", "Gain -"};
    const int i = indexOf(number);
    if (i < 0) return QString::number(number);
    // ReadOrder lists each group's constants together, but the AD groups
    // read their negative gain first.
    static constexpr int rowOf[ConstantCount] = {0, 1, 2, 0, 1, 2, 2, 0, 1, 2, 0, 1};
    return QStringLiteral("%1 %2").arg(QLatin1String(groups[i / 3]), QLatin1String(rows[rowOf[i]]));
}

} // namespace calibration

using namespace calibration;

namespace {} // namespace

CalibrationLogic::CalibrationLogic(TZRComm& port, const LanguageTexts& texts, CalibrationView& view)
    : port_(port), texts_(texts), view_(view) {
    const std::pair<TRQ500Protocol*, const char*> components[] = {
        {&RQ500Kalibratie, "RQ500Kalibratie"},
        {&RQ500LeesKalibratieWaarden, "RQ500LeesKalibratieWaarden"},
        {&RQ500Lees_U_AD, "RQ500Lees_U_AD"},
        {&RQ500Lees_I_AD, "RQ500Lees_I_AD"},
        {&RQ500Lees_DAC_TeachWaarden, "RQ500Lees_DAC_TeachWaarden"}};
    for (const auto& [c, name] : components) {
        c->setObjectName(QLatin1String(name));
        c->setUpForDevice(0);
        c->SetZRComm(&port_);
        // Its choice of analog input (a parameter write) and the
        // recomputation after it are part of the calibration.
        ServiceJournal::setWindowAction(*c, journal::Action::CalibrationConstant);
    }
    handlers_.bind(
        RQ500Lees_U_AD, [this](const QByteArray& r) { RQ500Lees_U_ADCommResult(r); },
        [this](const TCommError& e, const QByteArray&) { readingError(Reading::Voltage, e); });
    handlers_.bind(
        RQ500Lees_I_AD, [this](const QByteArray& r) { RQ500Lees_I_ADCommResult(r); },
        [this](const TCommError& e, const QByteArray&) { readingError(Reading::Current, e); });

    // An unreadable value stops a chain at once: asking again would not make
    // the unit send a number.
    const RequestSequence::RetryPolicy stopAtOnce{.badReplyRetries = 0};
    std::vector<RequestSequence::Item> constants(ConstantCount);
    for (int i = 0; i < ConstantCount; ++i) {
        constants[std::size_t(i)].request = unit::readCalibration(ReadOrder[std::size_t(i)]);
        constants[std::size_t(i)].parse = [this, i](const QByteArray& r) {
            return constantRead(i, r);
        };
    }
    constants_.setItems(std::move(constants));
    constants_.setPolicy(stopAtOnce);
    constants_.onFinished = [this](RequestSequence::Ending ending) {
        if (ending == RequestSequence::Ending::Completed) teach_.start();
    };

    std::vector<RequestSequence::Item> teach(TeachNumbers.size());
    for (std::size_t i = 0; i < TeachNumbers.size(); ++i) {
        teach[i].request = unit::readCalibration(TeachNumbers[i]);
        teach[i].parse = [this, i](const QByteArray& r) { return teachRead(int(i), r); };
    }
    teach_.setItems(std::move(teach));
    teach_.setPolicy(stopAtOnce);

    const auto chainError = [this](int, const RequestSequence::ItemOutcome& o) {
        if (o.status == RequestSequence::ItemStatus::CommFailed) RQ500KalibratieCommError(o.error);
    };
    constants_.onItemDone = chainError;
    teach_.onItemDone = chainError;

    commands_.setPolicy(stopAtOnce);
    commands_.onItemDone = chainError;
    commands_.onFinished = [this](RequestSequence::Ending) {
        // A failed input selection, or its recomputation, leaves no reading
        // to start: the button shows the reading off again.
        const QString request = commands_.item(0).request;
        const bool selection = request == unit::selectAnalogInput(false) ||
                               request == unit::selectAnalogInput(true) ||
                               request == unit::compute();
        if (selection && commands_.outcome(0).status != RequestSequence::ItemStatus::Good &&
            selecting_ != Reading::None) {
            selecting_ = Reading::None;
            readingOff();
            changed();
        }
        sendNextCommand();
    };
}

CalibrationLogic::~CalibrationLogic() {
    handlers_.unbindAll();
    for (TRQ500Protocol* c : {&RQ500Lees_U_AD, &RQ500Lees_I_AD})
        c->SetActive(false);
}

int CalibrationLogic::savedValue(int number) const {
    const int i = indexOf(number);
    return i < 0 ? 0 : saved_[std::size_t(i)];
}

void CalibrationLogic::changed() {
    view_.controlsChanged();
}

void CalibrationLogic::activate() {
    constants_.abort();
    teach_.abort();
    commands_.abort();
    pending_.clear();
    writesEnabled_ = false;
    sentNotSaved_ = false;
    selecting_ = Reading::None;
    controls_.daVoltage = controls_.daCurrent = controls_.adGroups = false;
    controls_.daSelect = false;
    controls_.eeprom = false;
    // What the fields held came from an earlier opening, perhaps of another
    // unit: nothing is shown as the unit's value until it has sent it.
    controls_.known.fill(false);
    outside_.clear();
    changed();
    constants_.start();
}

// ---------------------------------------------------------------------------
// The reading chains

std::optional<qint32> CalibrationLogic::calibrationValue(const QString& request,
                                                         const QByteArray& bytes) {
    const unit::Reply answer = unit::classifyReply(request, bytes, ReplyBuffer);
    if (answer.tooLong) {
        showTooLong(answer);
        return std::nullopt;
    }
    showReply(answer);
    if (answer.kind != unit::Reply::Kind::Value) {
        showUnreadable(answer);
        return std::nullopt;
    }
    // A stale or stray answer about another constant would put its value in
    // this field; the field stays unread instead.
    if (!answer.answers()) {
        showNotAsked(request, answer);
        return std::nullopt;
    }
    return answer.value;
}

RequestSequence::Verdict CalibrationLogic::constantRead(int index, const QByteArray& bytes) {
    const int number = ReadOrder[std::size_t(index)];
    const QString request = unit::readCalibration(number);
    const std::optional<qint32> value = calibrationValue(request, bytes);
    if (!value) return RequestSequence::Verdict::Bad;
    filling_ = true;
    saved_[std::size_t(index)] = view_.showConstant(number, *value);
    filling_ = false;
    controls_.known[std::size_t(index)] = true;
    // The field shows what the unit holds even outside its limits, and says
    // so: a value cut to fit would be one the unit does not hold, and the
    // next save would make it so.
    const Limits limits = limitsOf(number);
    if (*value < limits.min || *value > limits.max) {
        outside_ << texts_.text(TextId{"Calibratie", "MsgWaardeBuitenBereik"})
                        .arg(fieldName(number), QString::number(*value),
                             QString::number(limits.min), QString::number(limits.max));
        controls_.panel1 = outside_.join(QLatin1Char(' '));
        controls_.panel1Red = true;
    }
    changed();
    return RequestSequence::Verdict::Good;
}

RequestSequence::Verdict CalibrationLogic::teachRead(int index, const QByteArray& bytes) {
    const QString request = unit::readCalibration(TeachNumbers[std::size_t(index)]);
    const std::optional<qint32> value = calibrationValue(request, bytes);
    if (!value) return RequestSequence::Verdict::Bad;
    controls_.teach[std::size_t(index)] = QString::number(*value);
    changed();
    return RequestSequence::Verdict::Good;
}

void CalibrationLogic::cmd_LeesDAC_TeachClick() {
    teach_.start();
}

void CalibrationLogic::showReply(const unit::Reply& reply) {
    // The rest of the reading does not hide a constant found outside its
    // field; the user's next command does.
    if (!outside_.isEmpty()) return;
    controls_.panel1 = reply.text;
    controls_.panel1Red = false;
    changed();
}

void CalibrationLogic::showUnreadable(const unit::Reply& reply) {
    controls_.panel1 = texts_.text(TextId{"Calibratie", "MsgGeenGetal"}).arg(reply.text);
    controls_.panel1Red = true;
    changed();
}

void CalibrationLogic::showNotAsked(const QString& request, const unit::Reply& reply) {
    controls_.panel1 =
        texts_.text(TextId{"Calibratie", "MsgAntwoordNietGevraagd"}).arg(request, reply.text);
    controls_.panel1Red = true;
    changed();
}

void CalibrationLogic::showTooLong(const unit::Reply& reply) {
    controls_.panel1 =
        texts_.text(TextId{"Calibratie", "MsgAntwoordTeLang"}).arg(reply.size).arg(ReplyBuffer);
    controls_.panel1Red = true;
    changed();
}

// ---------------------------------------------------------------------------
// Commands

void CalibrationLogic::send(const QString& command) {
    pending_.push_back(command);
    if (!commands_.running()) sendNextCommand();
}

void CalibrationLogic::sendNextCommand() {
    if (pending_.empty() || commands_.running()) return;
    RequestSequence::Item item;
    item.request = pending_.front();
    pending_.pop_front();
    item.parse = [this, request = item.request](const QByteArray& r) {
        // A reply that confirmed nothing: an input selection that gets one
        // starts no reading.
        return RQ500KalibratieCommResult(r, request) ? RequestSequence::Verdict::Good
                                                     : RequestSequence::Verdict::Bad;
    };
    std::vector<RequestSequence::Item> items;
    items.push_back(std::move(item));
    commands_.setItems(std::move(items));
    commands_.start();
}

void CalibrationLogic::constantChanged(int number, int value) {
    const int i = indexOf(number);
    if (!writesEnabled_ || filling_ || i < 0) return;
    // Never read, the constant would be overwritten unseen.
    if (!controls_.known[std::size_t(i)]) return;
    const Limits limits = limitsOf(number);
    if (value < limits.min || value > limits.max) {
        constantRefused(number, QString::number(value));
        return;
    }
    send(unit::writeCalibration(number, value));
}

void CalibrationLogic::entryRefused(const QString& field, const QString& typed, Limits limits) {
    controls_.panel1 =
        texts_.text(TextId{"Calibratie", "MsgBuitenBereik"})
            .arg(field, typed, QString::number(limits.min), QString::number(limits.max));
    controls_.panel1Red = true;
    changed();
}

void CalibrationLogic::setVoltage(int value) {
    send(unit::driveOutput(value));
}

void CalibrationLogic::setCurrent(int value) {
    // The unit counts the current output in steps of two.
    send(unit::driveOutput(value / 2));
}

void CalibrationLogic::CmdSetKalibtatieModeClick() {
    send(unit::calibrationMode(true));
}

void CalibrationLogic::CmdResCalibtatieModeClick() {
    switchReading(Reading::None);
    send(unit::calibrationMode(false));
}

void CalibrationLogic::CmdSet_U_actiefClick() {
    send(unit::calibrationOutput(unit::CalibratedOutput::Voltage));
}

void CalibrationLogic::CmdSet_I_actiefClick() {
    send(unit::calibrationOutput(unit::CalibratedOutput::Current));
}

void CalibrationLogic::CmdSet_I_InActiefClick() {
    send(unit::calibrationOutput(unit::CalibratedOutput::None));
}

void CalibrationLogic::CmdSaveToEEPROMClick() {
    send(unit::storeCalibration());
}

bool CalibrationLogic::RQ500KalibratieCommResult(const QByteArray& bytes, const QString& request) {
    const unit::Reply answer = unit::classifyReply(request, bytes, ReplyBuffer);
    if (answer.tooLong) {
        showTooLong(answer);
        return false;
    }
    // "er n" is the unit's own answer to any command and is shown as it is.
    // Anything else must be in the command's words: a reply about another
    // command says nothing of this one.  A write is confirmed only by its own
    // echo: one about another constant says nothing of this write and must not
    // decide whether "EEPROM" is due.
    using unit::Command;
    const Command asked = unit::commandOf(request);
    const bool inItsWords = asked == Command::WriteCalibration
                                ? answer.matches
                                : answer.command == asked || answer.matches;
    if (answer.kind != unit::Reply::Kind::Refused && !inItsWords) {
        outside_.clear();
        showNotAsked(request, answer);
        return false;
    }
    outside_.clear();
    controls_.panel1 = answer.text;
    controls_.panel1Red = false;
    switch (answer.command) {
    case Command::StoreCalibration:
        for (int i = 0; i < ConstantCount; ++i)
            if (controls_.known[std::size_t(i)])
                saved_[std::size_t(i)] = view_.constantValue(ReadOrder[std::size_t(i)]);
        sentNotSaved_ = false;
        controls_.eeprom = false;
        break;
    case Command::WriteCalibration: {
        const int number = answer.number.value_or(-1);
        const int i = indexOf(number);
        if (i >= 0 && view_.constantValue(number) != saved_[std::size_t(i)]) sentNotSaved_ = true;
        if (sentNotSaved_) controls_.eeprom = true;
        break;
    }
    case Command::CalibrationOutput:
        controls_.daVoltage = answer.number == int(unit::CalibratedOutput::Voltage);
        controls_.daCurrent = answer.number == int(unit::CalibratedOutput::Current);
        break;
    case Command::CurrentOutputSelected:
        controls_.daVoltage = false;
        controls_.daCurrent = true;
        break;
    case Command::CalibrationMode:
        if (answer.number == 0) {
            controls_.daVoltage = controls_.daCurrent = controls_.adGroups = false;
            controls_.daSelect = false;
            writesEnabled_ = false;
        } else if (answer.number == 1) {
            controls_.daSelect = true;
            writesEnabled_ = true;
            controls_.adGroups = true;
        }
        break;
    case Command::WriteParameter:
        // The unit recomputes after the input selection; the next command waits.
        pending_.push_front(unit::compute());
        break;
    case Command::Compute:
        if (selecting_ != Reading::None) startPolling();
        break;
    default:
        break;
    }
    changed();
    return true;
}

QString CalibrationLogic::commErrorText() const {
    return texts_.text(TextId{"Calibratie", "MsgCommunicatieError"});
}

QString CalibrationLogic::linkErrorText(const TCommError& error) const {
    if (error.Code == CommCode::Timeout) return texts_.text(TextId{"Calibratie", "MsgTimeout"});
    // Opened from an offline main window nothing can be read: say so,
    // rather than leave an empty panel over empty spin edits.
    if (error.Code == CommCode::PortClosed)
        return texts_.text(TextId{"Calibratie", "MsgPoortGesloten"});
    // An unplugged converter: the system's words say so, a bare
    // "Communicatie error" does not.
    if (error.Code == CommCode::DriverFailed && error.SystemError != 0)
        return commErrorText() + QStringLiteral(": ") +
               QString::fromStdString(systemErrorText(error.SystemError));
    if (error.SystemError != 0 || error.LineErrors != 0) return commErrorText();
    return {};
}

void CalibrationLogic::showLinkError(const QString& text) {
    controls_.panel1 = text;
    controls_.panel1Red = true;
    // A reading that goes on would show a value from before the failure, or
    // poll a line that is gone: it stops, and the user starts it again.
    if (reading_ != Reading::None || selecting_ != Reading::None) {
        readingOff();
        selecting_ = Reading::None;
    }
    changed();
}

void CalibrationLogic::RQ500KalibratieCommError(const TCommError& error) {
    const QString text = linkErrorText(error);
    if (!text.isEmpty()) showLinkError(text);
}

void CalibrationLogic::readingError(Reading reading, const TCommError& error) {
    // All zero: the requests go through again after an error.  A request of
    // a reading already switched off stops nothing.
    if (error.ok() || reading_ != reading) return;
    const QString text = linkErrorText(error);
    showLinkError(text.isEmpty() ? commErrorText() : text);
}

// ---------------------------------------------------------------------------
// Live input readings

void CalibrationLogic::CmdAct_U_ADClick() {
    switchReading(reading_ == Reading::Voltage || selecting_ == Reading::Voltage
                      ? Reading::None
                      : Reading::Voltage);
}

void CalibrationLogic::CmdAct_I_ADClick() {
    switchReading(reading_ == Reading::Current || selecting_ == Reading::Current
                      ? Reading::None
                      : Reading::Current);
}

void CalibrationLogic::switchReading(Reading reading) {
    readingOff();
    selecting_ = Reading::None;
    if (reading != Reading::None) {
        selecting_ = reading;
        reading_ = reading;
        const bool voltage = reading == Reading::Voltage;
        controls_.voltageOn = voltage;
        controls_.currentOn = !voltage;
        send(unit::selectAnalogInput(!voltage));
    }
    changed();
}

void CalibrationLogic::readingOff() {
    RQ500Lees_U_AD.SetActive(false);
    RQ500Lees_I_AD.SetActive(false);
    reading_ = Reading::None;
    controls_.voltageOn = controls_.currentOn = false;
    controls_.panel2.clear();
    controls_.panel3.clear();
}

void CalibrationLogic::startPolling() {
    const Reading reading = selecting_;
    selecting_ = Reading::None;
    if (reading == Reading::Voltage) {
        RQ500Lees_U_AD.SetASCIIProtocol(unit::readLive(unit::LiveValue::InputVoltage));
        RQ500Lees_U_AD.SetActive(true);
    } else if (reading == Reading::Current) {
        RQ500Lees_I_AD.SetASCIIProtocol(unit::readLive(unit::LiveValue::InputCurrent));
        RQ500Lees_I_AD.SetActive(true);
    }
}

namespace {

QString inputText(unit::LiveValue input, const QByteArray& reply, const char* unit) {
    const std::optional<qint32> value =
        unit::classifyReply(unit::readLive(input), reply, ReplyBuffer).readValue();
    return value ? formatDecimal(4, *value) + QLatin1String(unit) : QStringLiteral("????");
}

} // namespace

void CalibrationLogic::RQ500Lees_U_ADCommResult(const QByteArray& reply) {
    if (reading_ != Reading::Voltage || !RQ500Lees_U_AD.Active()) return;
    controls_.panel2 = inputText(unit::LiveValue::InputVoltage, reply, " V");
    changed();
}

void CalibrationLogic::RQ500Lees_I_ADCommResult(const QByteArray& reply) {
    if (reading_ != Reading::Current || !RQ500Lees_I_AD.Active()) return;
    controls_.panel3 = inputText(unit::LiveValue::InputCurrent, reply, " mA");
    changed();
}

void CalibrationLogic::close() {
    readingOff();
    selecting_ = Reading::None;
    constants_.abort();
    teach_.abort();
    commands_.abort();
    pending_.clear();
}

} // namespace kqm52
