#pragma once

#include <string>

namespace zerka {

// A point in time as days since 1899-12-30 00:00, the time of day as the fraction.
using TDateTime = double;

// A date in any of the forms HTTP servers send (RFC 1123 "Sun, 06 Nov 1994 08:49:37 GMT",
// RFC 850 "Sunday, 06-Nov-94 08:49:37 GMT", asctime "Sun Nov  6 08:49:37 1994"), as
// universal time. A text that is not such a date gives 0.
TDateTime HttpDateToDateTime(const std::string& text);

}  // namespace zerka
