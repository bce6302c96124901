// The pools' error report: a message box that shows 3000 + the error number.
#pragma once

// Shows the report of pool error `number` (0 when a request failed without a
// recorded error): an exclamation box with one OK button and no owner. The
// text and the title are the host program's strings 402 (a format for the
// number) and 86, or the library's own when the host has none fit to use.
void MemPoolReportError(int number);
