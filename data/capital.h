#pragma once
// Amounts in Chinese financial capital numerals, as stored beside the
// insured amounts: 1234.56 → 壹仟贰佰叁拾肆元伍角陆分.
#include "money.h"

namespace tolvaris {

// Rounded to fen (halves away from zero) first; zero is 零元整.
QString capitalAmount(Money amount);
// From a field's text; empty or unreadable text counts as zero.
QString capitalAmountOfText(const QString &text);

} // namespace tolvaris
