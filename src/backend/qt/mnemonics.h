// Control texts mark their mnemonic with '&' and write "&&" for an '&'.
#pragma once

#include <QString>

namespace qv::qt {

// What such a text shows.
QString WithoutMnemonics(const QString& text);

} // namespace qv::qt
