#pragma once

#include <QString>

#include <optional>

// The most bytes a job field's text may have: 80 in the record, one for the NUL.
inline constexpr int kJobTextBytes = 79;

// Why a job field's text cannot be sent whole, or nothing when it can: the record takes at
// most kJobTextBytes bytes of UTF-8, the encoding of the pattern files. label names the
// field in the message.
std::optional<QString> JobTextProblem(const QString& label, const QString& text);

// The sample number a field holds: its digits as a decimal number, 0 when it is empty;
// nothing when it holds anything else or a number no 32-bit integer can hold.
std::optional<int> SampleNumberOfField(const QString& text);

// What the user is told when SampleNumberOfField refuses a field.
QString SampleNumberProblem();
