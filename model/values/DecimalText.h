#pragma once

// Scaled integers as the user reads and types them.
//
// The device knows only raw signed 32-bit integers; a value shown with D
// decimals is stored multiplied by 10^D.  The separator is always a comma,
// whatever the desktop's locale says, because that is how the device's
// documentation and every stored file write them.

#include <QString>
#include <QtGlobal>

namespace kqm52 {

// Results of DecStrToInt that are not values.  Both lie above anything a
// caller's limits allow, so "result < DecStrMalformed" means accepted.
inline constexpr qint32 DecStrMalformed = 2000000001;
inline constexpr qint32 DecStrOutOfRange = 2000000002;

// More decimals than this make no sense for a 32-bit value; such a count
// (a damaged parameter 203, say) shows the raw value instead of a string of
// millions of zeros.
inline constexpr int MaxDecimals = 30;

// value with `decimals` implied decimals: 1234 with 2 gives "12,34", 5 gives
// "0,05", -5 gives "-0,05".  Decimals below 1 (or above MaxDecimals) give the
// plain integer.  The decimals are taken as they are; the rule that 9 means
// "as many as parameter 203 says" is ParamTables::IntToDecStr.  64 bits wide,
// so that the difference of two device values shows too.
QString formatDecimal(int decimals, qint64 value);

// Reads a typed value with `decimals` implied decimals and checks it.
// Returns the raw value, DecStrMalformed for a text that is not a well-formed
// number (letters, a full stop, two commas, more decimals than allowed, a
// misplaced or forbidden minus, more than nine characters once the comma is
// gone, no digit at all), or DecStrOutOfRange for a number outside
// minimum..maximum.  "12" and "12," with 2 decimals both give 1200, ",5"
// gives 50.
qint32 DecStrToInt(const QString& text, int decimals, bool negativeAllowed, qint32 minimum,
                   qint32 maximum);

} // namespace kqm52
