// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>

class QLineEdit;
class QString;

namespace velmora {

// Lets `field` hold only what is written as it is shown: characters that have a byte in the
// program's texts (Latin-1), except the control characters the core refuses in every written text
// (IsRefusedByte): a line break or a NUL would end the line or the whole text of a saved file. An
// edit that would bring in anything else is refused, and a note under the field says why.
void TakeByteTextOnly(QLineEdit& field);

// Lets the user type at most `limit` characters into `field`; a keystroke or paste past it is
// refused and `note` shows under the field.
void LimitLength(QLineEdit& field, size_t limit, const QString& note);

}  // namespace velmora
