// Cutting the value out of an nsradmin attribute line ("name: value;"), and
// the one reader of list values that go on over several lines.
#pragma once

#include <string>

#include "text/ReportReader.h"

// The text after `separator` and the blanks or tabs after it, without blanks
// and ';' at either end; empty when the line has no separator or nothing after it.
std::string AttributeValue(const std::string& line, char separator);
// Drops leading blanks but never the last character; trailing blanks stay.
std::string TrimLeadingBlanks(std::string& s);

// A list attribute's value: complete when its line ends with ';'. Otherwise
// a value of "\" alone (the list starts on the next line) or one ending in
// ',' goes on over the following lines; an empty value is an empty list and
// reads nothing more. Continuation lines are joined as `how` says.
std::string ReadListValue(ReportReader& reader, const std::string& line, const Continuation& how);
