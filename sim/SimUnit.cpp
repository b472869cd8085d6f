#include "sim/SimUnit.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kqm52 {

namespace {

constexpr std::int32_t VoltFullScale = 100000;    // 10 V in 1/10000 V
constexpr std::int32_t CurrentFullScale = 200000; // 20 mA in 1/10000 mA

// Indices of the constants in the table (number - 2034).
enum Cal {
    AdUGainNeg = 0, // 2034
    AdUOffset,      // 2035
    AdUGainPos,     // 2036
    AdIGainNeg,     // 2037
    AdIOffset,      // 2038
    AdIGainPos,     // 2039
    DaUGainNeg,     // 2040
    DaUOffset,      // 2041
    DaUGainPos,     // 2042
    DaIOffset,      // 2043
    DaIGainPos,     // 2044
    DaIGainNeg,     // 2045
};

double seconds(SimNanos t) {
    return double(t) / 1e9;
}

std::optional<std::int32_t> parseInt32(const QByteArray& word) {
    if (word.isEmpty() || word.size() > 11) return std::nullopt;
    int i = word[0] == '-' ? 1 : 0;
    if (i == word.size()) return std::nullopt;
    std::int64_t v = 0;
    for (; i < word.size(); ++i) {
        if (word[i] < '0' || word[i] > '9') return std::nullopt;
        v = v * 10 + (word[i] - '0');
    }
    if (word[0] == '-') v = -v;
    if (v < INT32_MIN || v > INT32_MAX) return std::nullopt;
    return std::int32_t(v);
}

// A measured analog value: the true value with the unit's own (factory) error,
// corrected by its calibration constants.  The offset counts in steps of
// 311 uV (3.11 units of 0.1 mV); a gain constant g changes the reading by g
// units at full scale, on the positive and negative side separately.
std::int32_t corrected(std::int64_t value, std::int64_t offset, std::int64_t gainPos,
                       std::int64_t gainNeg, std::int64_t fullScale) {
    const std::int64_t gain = value >= 0 ? gainPos : gainNeg;
    const std::int64_t r = value + offset * 311 / 100 + value * gain / fullScale;
    return std::int32_t(std::clamp<std::int64_t>(r, INT32_MIN, INT32_MAX));
}

QByteArray num(std::int64_t v) {
    return QByteArray::number(qlonglong(v));
}

} // namespace

SimUnit::SimUnit(int number, const LineState& line, const SimCatalogue& catalogue)
    : number_(number), line_(line), catalogue_(catalogue) {
    hardwareText = "HW 2.1 SN 5200" + QByteArray::number(number).rightJustified(2, '0');
    factoryReset();
}

void SimUnit::factoryReset() {
    for (int p = 0; p < SimParameterCount; ++p)
        params_[p] = catalogue_.parameter(p).def;
    setpoints_.fill(0);
    cal_.fill(0);
    eeprom_.fill(0);
    thumbwheels_.fill(0);
    dirty_ = true;
}

void SimUnit::powerCycle() {
    cal_ = eeprom_;
    calMode_ = false;
    daSelect_ = 0;
    testValue_ = 0;
    error_ = -1;
    selected_ = true;
    pending_.clear();
    overflow_ = false;
}

bool SimUnit::setParameter(int p, std::int64_t v) {
    if (p < 0 || p >= SimParameterCount || !catalogue_.parameter(p).allows(v)) return false;
    params_[p] = std::int32_t(v);
    dirty_ = true;
    return true;
}

bool SimUnit::calibrationAllows(int number, std::int64_t v) {
    switch (number - CalFirst) {
    case AdUOffset:
    case AdIOffset:
    case DaUOffset:
    case DaIOffset:
        return v >= -32767 && v <= 32767;
    case DaIGainPos:
    case DaIGainNeg:
        return v >= -1500 && v <= 1500;
    default:
        return number >= CalFirst && number <= CalLast && v >= -1000 && v <= 1000;
    }
}

// ---------------------------------------------------------------------------
// The line

std::optional<SimReply> SimUnit::receiveByte(std::uint8_t byte, SimNanos t) {
    if (pending_.isEmpty() && !overflow_ && !deaf_ && faults_.notReadyMs > 0 &&
        t < replyEnd_ + simMs(faults_.notReadyMs))
        deaf_ = true;
    if (deaf_) {
        if (byte == '\r') {
            deaf_ = false;
            return SimReply{};
        }
        return std::nullopt;
    }
    if (byte == '\r') {
        const QByteArray line = pending_;
        const bool tooLong = overflow_;
        pending_.clear();
        overflow_ = false;
        if (tooLong) {
            // The line is lost, but the unit still says so if it is the one selected.
            if (!selected_ || faults_.noAnswer) return SimReply{};
            SimReply r;
            r.bytes = "er 4\r\n";
            r.delay = turnaround_;
            return r;
        }
        return process(line, t);
    }
    if (byte < 0x20 || byte == 0x7F) return std::nullopt;
    if (pending_.size() >= MaxLine)
        overflow_ = true;
    else
        pending_.append(char(byte));
    return std::nullopt;
}

SimReply SimUnit::process(const QByteArray& line, SimNanos t) {
    QList<QByteArray> words;
    for (const QByteArray& w : line.simplified().split(' '))
        if (!w.isEmpty()) words.append(w);
    SimReply reply;
    if (words.isEmpty()) return reply;
    QByteArray text = answer(words, t);
    if (text.isEmpty() || faults_.noAnswer) return reply;

    if (faults_.longReply && text.size() < 110) {
        text.append(' ');
        text.append(QByteArray(110 - text.size(), '#'));
    }
    // The first argument as the echo repeats it, right after the word: an
    // "er n" or a "bp" answer is no echo and keeps its number.
    const QByteArray echoed = words.size() >= 2 ? words[0] + ' ' + words[1] : QByteArray();
    if (faults_.wrongNumber != SimFaults::WrongWord::Off && !echoed.isEmpty() &&
        text.startsWith(echoed) && (text.size() == echoed.size() || text[echoed.size()] == ' ')) {
        if (const auto n = parseInt32(words[1]))
            text = words[0] + ' ' + num(std::int64_t(*n) + 1) + text.mid(echoed.size());
        if (faults_.wrongNumber == SimFaults::WrongWord::Once)
            faults_.wrongNumber = SimFaults::WrongWord::Off;
    }
    if (faults_.wrongWord != SimFaults::WrongWord::Off && text.size() >= 2) {
        text[1] = text[1] == 'z' ? 'a' : char(text[1] + 1);
        if (faults_.wrongWord == SimFaults::WrongWord::Once)
            faults_.wrongWord = SimFaults::WrongWord::Off;
    }
    if (faults_.garbled)
        for (int i = 3; i < text.size(); ++i)
            text[i] = char(text[i] ^ 0x10);

    reply.bytes = text + faults_.noise + "\r\n";
    if (faults_.chatterBytes > 0) reply.bytes.append(QByteArray(faults_.chatterBytes, 'z'));
    if (faults_.dripMs > 0) {
        reply.bytes.append(QByteArray(60000 / faults_.dripMs, 'z'));
        reply.gap = simMs(faults_.dripMs);
    }
    const bool timed = faults_.timingWord.isEmpty() || words[0] == faults_.timingWord;
    reply.delay = timed && faults_.lateMs > 0 ? simMs(faults_.lateMs) : turnaround_;
    if (timed && faults_.pauseMs > 0) {
        reply.pauseAfter = int(reply.bytes.size() / 2);
        reply.pause = simMs(faults_.pauseMs);
    }
    if (timed && faults_.timingOnce) faults_.lateMs = faults_.pauseMs = 0;
    reply.lineErrors = faults_.lineErrors;
    reply.driverError = faults_.driverError;
    if (faults_.vanish) {
        reply.vanishAfter = int(reply.bytes.size() / 2);
        faults_.vanish = false; // a device goes away once
    }
    return reply;
}

QByteArray SimUnit::answer(const QList<QByteArray>& words, SimNanos t) {
    const QByteArray& cmd = words[0];
    const int argc = int(words.size()) - 1;
    std::array<std::int32_t, 2> arg{};
    bool argsOk = argc <= 2;
    for (int i = 0; argsOk && i < argc; ++i) {
        const auto v = parseInt32(words[i + 1]);
        argsOk = v.has_value();
        if (argsOk) arg[i] = *v;
    }
    const QByteArray echo = words.join(' ');
    auto err = [](int code) { return "er " + num(code); };
    auto read = [&](std::int64_t v) { return echo + ' ' + num(v); };

    if (cmd == "sc") {
        if (argc != 1 || !argsOk) return selected_ ? err(2) : QByteArray();
        selected_ = arg[0] == number_;
        return selected_ ? echo : QByteArray();
    }
    if (!selected_) return {};

    auto want = [&](int n) { return argc == n && argsOk; };

    if (cmd == "rt" || cmd == "rh" || cmd == "rx") {
        if (!want(0)) return err(2);
        return echo + ' ' + (cmd == "rt" ? typeText : cmd == "rh" ? hardwareText : extraText);
    }
    if (cmd.size() == 2 && cmd[0] == 'r' && cmd[1] >= '0' && cmd[1] <= '6') {
        if (!want(0)) return err(2);
        switch (cmd[1]) {
        case '0':
            return read(position(t));
        case '1':
            return read(velocity(t));
        case '2':
            return read(analogOutVoltage(t));
        case '3':
            return read(analogOutCurrent(t));
        case '4':
            return read(analogInVoltage(t));
        case '5':
            return read(analogInCurrent(t));
        default:
            return read(analogInAwe(t));
        }
    }
    if (cmd == "ri" || cmd == "ru" || cmd == "rf") {
        if (!want(0)) return err(2);
        return read(cmd == "ri" ? inputs(t) : cmd == "ru" ? outputs(t) : error_);
    }
    if (cmd == "wf") {
        if (!want(0)) return err(2);
        error_ = -1;
        return echo;
    }
    if (cmd == "rd") {
        if (!want(1)) return err(2);
        if (arg[0] < 1 || arg[0] > 4) return err(3);
        return read(thumbwheels_[arg[0] - 1]);
    }
    if (cmd == "rp" || cmd == "rs") {
        if (!want(1)) return err(2);
        if (cmd == "rp")
            return arg[0] >= 0 && arg[0] < SimParameterCount ? read(params_[arg[0]]) : err(3);
        return arg[0] >= 1 && arg[0] <= SimSetpointCount ? read(setpoints_[arg[0] - 1]) : err(3);
    }
    if (cmd == "wp") {
        if (!want(2)) return err(2);
        if (arg[0] < 0 || arg[0] >= SimParameterCount) return err(3);
        if (faults_.refuseWrites || !setParameter(arg[0], arg[1])) return err(7);
        return echo;
    }
    if (cmd == "ws") {
        if (!want(2)) return err(2);
        if (arg[0] < 1 || arg[0] > SimSetpointCount) return err(3);
        if (faults_.refuseWrites) return err(7);
        setpoints_[arg[0] - 1] = arg[1];
        dirty_ = true;
        return echo;
    }
    if (cmd == "bp") {
        if (!want(0)) return err(2);
        const int bad = checkParameters();
        return "bp " + num(bad < 0 && faults_.failBp ? -2 : bad);
    }
    if (cmd == "km") {
        if (!want(1)) return err(2);
        if (arg[0] != 0 && arg[0] != 1) return err(3);
        calMode_ = arg[0] == 1;
        if (!calMode_) {
            daSelect_ = 0;
            testValue_ = 0;
        }
        return echo;
    }
    if (cmd == "kf") {
        if (!want(1)) return err(2);
        if (arg[0] < 0 || arg[0] > 2) return err(3);
        if (!calMode_) return err(5);
        if (arg[0] != daSelect_) testValue_ = 0;
        daSelect_ = arg[0];
        return echo;
    }
    if (cmd == "kr") {
        if (!want(1)) return err(2);
        if (arg[0] >= TeachFirst && arg[0] <= TeachLast) return read(teachValue(arg[0]));
        if (arg[0] >= CalFirst && arg[0] <= CalLast) return read(cal_[arg[0] - CalFirst]);
        return err(3);
    }
    if (cmd == "kw") {
        if (!want(2)) return err(2);
        if (arg[0] >= TeachFirst && arg[0] <= TeachLast) return err(7);
        if (arg[0] < CalFirst || arg[0] > CalLast) return err(3);
        if (!calMode_) return err(5);
        if (faults_.refuseWrites || !calibrationAllows(arg[0], arg[1])) return err(7);
        cal_[arg[0] - CalFirst] = arg[1];
        return echo;
    }
    if (cmd == "ka") {
        if (!want(1)) return err(2);
        if (!calMode_) return err(5);
        if (daSelect_ == 0) return err(6);
        if (arg[0] < -100000 || arg[0] > 100000) return err(7);
        testValue_ = arg[0];
        return echo;
    }
    if (cmd == "ks") {
        if (!want(0)) return err(2);
        if (!calMode_) return err(5);
        eeprom_ = cal_;
        dirty_ = true;
        return echo;
    }
    return err(1);
}

// ---------------------------------------------------------------------------
// Live values

std::int32_t SimUnit::position(SimNanos t) const {
    if (!axis_.moving || axis_.modulo <= 0) return axis_.startPosition;
    const double s = seconds(t);
    const double w = 2 * std::numbers::pi / axis_.periodSeconds;
    const double travelled = axis_.baseVelocity * s + axis_.amplitude / w * (1 - std::cos(w * s));
    const std::int64_t p = std::int64_t(std::floor(axis_.startPosition + travelled));
    const std::int64_t m = axis_.modulo;
    return std::int32_t(((p % m) + m) % m);
}

std::int32_t SimUnit::velocity(SimNanos t) const {
    if (!axis_.moving) return 0;
    const double w = 2 * std::numbers::pi / axis_.periodSeconds;
    return std::int32_t(
        std::lround(axis_.baseVelocity + axis_.amplitude * std::sin(w * seconds(t))));
}

int SimUnit::inputs(SimNanos t) const {
    if (forcedInputs_) return *forcedInputs_;
    // Each input toggles at its own pace (K0 every 1.3 s, input 1 every 2.0 s,
    // …), so the lamps change now and then, never all at once.
    const std::int64_t ms = t / 1'000'000;
    int bits = 0;
    for (int i = 0; i < 5; ++i) {
        const std::int64_t period = 1300 + 700 * i;
        if (((ms / period) + i + number_) & 1) bits |= 1 << i;
    }
    return bits;
}

std::optional<std::int32_t> SimUnit::selectorValue(int selector, std::int32_t own) const {
    if (selector == 0) return own;
    if (selector >= 1 && selector <= 48) return setpoints_[selector - 1];
    if (selector >= 49 && selector <= 52) return thumbwheels_[selector - 49];
    return std::nullopt;
}

bool SimUnit::camOn(int n, std::int32_t pos) const {
    if (n < 1 || n > 24 || params_[255 + n] <= 0) return false;
    const int out = params_[351 + n];
    if (out < 1 || out > 4) return false;
    const auto start = selectorValue(params_[303 + n], params_[6 + n]);
    const auto end = selectorValue(params_[327 + n], params_[30 + n]);
    if (!start || !end) return false;
    // A cam whose end lies before its start wraps through the axis' zero.
    if (*start <= *end) return pos >= *start && pos < *end;
    return pos >= *start || pos < *end;
}

int SimUnit::outputs(SimNanos t) const {
    const std::int32_t pos = position(t);
    int bits = 0;
    for (int n = 1; n <= 24; ++n)
        if (camOn(n, pos)) bits |= 1 << (params_[351 + n] - 1);
    return bits;
}

int SimUnit::checkParameters() const {
    int first = -1;
    auto offend = [&](int q) {
        if (first < 0 || q < first) first = q;
    };
    for (int p = 0; p < SimParameterCount; ++p)
        if (!catalogue_.parameter(p).allows(params_[p])) offend(p);
    for (int n = 1; n <= 24; ++n) {
        if (params_[255 + n] <= 0) continue;
        if (params_[351 + n] < 1 || params_[351 + n] > 4) offend(351 + n);
        if (params_[303 + n] < 0 || params_[303 + n] > 52) offend(303 + n);
        if (params_[327 + n] < 0 || params_[327 + n] > 52) offend(327 + n);
        if (params_[303 + n] == 0 && params_[327 + n] == 0 && params_[6 + n] == params_[30 + n])
            offend(6 + n);
    }
    return first;
}

std::int32_t SimUnit::analogOutVoltage(SimNanos t) const {
    std::int64_t nominal = 0;
    if (calMode_)
        nominal = daSelect_ == 1 ? testValue_ : 0;
    else if (params_[388] == 1)
        nominal =
            std::clamp<std::int64_t>(std::int64_t(velocity(t)) * 10, -VoltFullScale, VoltFullScale);
    // The unit's own error: +4.2 mV and +0.3 % before calibration.
    const std::int64_t physical = nominal + 42 + nominal * 300 / VoltFullScale;
    return corrected(physical, cal_[DaUOffset], cal_[DaUGainPos], cal_[DaUGainNeg], VoltFullScale);
}

std::int32_t SimUnit::analogOutCurrent(SimNanos t) const {
    std::int64_t nominal = 0;
    // "ka" for current counts in steps of 2/10000 mA: the tool halves its value.
    if (calMode_)
        nominal = daSelect_ == 2 ? std::int64_t(testValue_) * 2 : 0;
    else if (params_[388] == 2)
        nominal =
            std::clamp<std::int64_t>(std::abs(std::int64_t(velocity(t))) * 20, 0, CurrentFullScale);
    const std::int64_t physical = nominal - 65 + nominal * 450 / CurrentFullScale;
    return corrected(physical, cal_[DaIOffset], cal_[DaIGainPos], cal_[DaIGainNeg],
                     CurrentFullScale);
}

std::int32_t SimUnit::analogInVoltage(SimNanos t) const {
    const double w = 2 * std::numbers::pi / 8.0;
    const std::int64_t input = std::llround(50000 + 20000 * std::sin(w * seconds(t) + number_));
    const std::int64_t raw = input + 35 + input * 400 / VoltFullScale;
    return corrected(raw, cal_[AdUOffset], cal_[AdUGainPos], cal_[AdUGainNeg], VoltFullScale);
}

std::int32_t SimUnit::analogInCurrent(SimNanos t) const {
    const double w = 2 * std::numbers::pi / 11.0;
    const std::int64_t input = std::llround(120000 + 40000 * std::sin(w * seconds(t) + number_));
    const std::int64_t raw = input - 120 + input * 250 / CurrentFullScale;
    return corrected(raw, cal_[AdIOffset], cal_[AdIGainPos], cal_[AdIGainNeg], CurrentFullScale);
}

std::int32_t SimUnit::analogInAwe(SimNanos t) const {
    const double w = 2 * std::numbers::pi / 5.0;
    return std::int32_t(std::lround(2048 + 1500 * std::sin(w * seconds(t))));
}

std::int32_t SimUnit::teachValue(int number) const {
    // The DAC codes the unit uses for the ends of each range, as its constants make them.
    auto code = [](std::int64_t value, std::int64_t fullScale, std::int64_t offset,
                   std::int64_t gainPos, std::int64_t gainNeg) {
        return std::int32_t(value * 32767 / fullScale + offset + (value >= 0 ? gainPos : gainNeg));
    };
    switch (number) {
    case 2028:
        return code(-VoltFullScale, VoltFullScale, cal_[DaUOffset], cal_[DaUGainPos],
                    cal_[DaUGainNeg]);
    case 2029:
        return code(VoltFullScale, VoltFullScale, cal_[DaUOffset], cal_[DaUGainPos],
                    cal_[DaUGainNeg]);
    case 2030:
        return code(-CurrentFullScale, CurrentFullScale, cal_[DaIOffset], cal_[DaIGainPos],
                    cal_[DaIGainNeg]);
    case 2031:
        return code(CurrentFullScale, CurrentFullScale, cal_[DaIOffset], cal_[DaIGainPos],
                    cal_[DaIGainNeg]);
    default:
        return 0;
    }
}

} // namespace kqm52
