// The runtime's side of the case-switch exchange that the program does not see: ending it when the
// program or the session ends, and whether one is under way.
#pragma once

namespace runtime {

// Ends an exchange still under way, putting the earlier content back first (bounded), and destroys
// the exchange window. Runs when the command libraries are told the program ends.
void FinishClipboardExchange();

// Whether an exchange has begun and is not over yet (its copy, paste or restore is awaited).
bool ClipboardExchangeUnderWay();

} // namespace runtime
