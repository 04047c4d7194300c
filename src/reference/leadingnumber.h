#pragma once

#include <QStringView>

namespace velmora {

// The number at the start of a typed text, after any blanks and with an optional sign:
// "7x" is 7, " 2015" is 2015, "-5" is -5; 0 when the text does not start with a number.
// Values beyond the range of int are held at its limits.
int leadingNumber(QStringView text);

} // namespace velmora
