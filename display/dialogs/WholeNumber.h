#pragma once

#include <QString>

#include <optional>

// A number edit's whole number, or nothing when the text is not wholly a number. A number
// too long for 64 bits is held at the nearest end, so a range check still refuses it.
std::optional<long long> WholeNumber(const QString& text);
