// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QLineEdit;

namespace velmora {

// Lets `field` hold only what is written as it is shown: characters that have a byte in the
// program's texts (Latin-1), except the control characters the core refuses in every written text
// (IsRefusedByte): a line break or a NUL would end the line or the whole text of a saved file. An
// edit that would bring in anything else is refused, and a note under the field says why.
void TakeByteTextOnly(QLineEdit& field);

}  // namespace velmora
