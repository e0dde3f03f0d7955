#pragma once
// The host's "sink" command: what the simulated instrument's play sink received, so an operator
// can see that play delivered the recording unchanged.
//
//   sink          running/stopped, rate, bytes received, their hash, underruns, refused writes
//   sink clear    forget what was received so far (the run goes on)
//   sink check    compare what was received since the last clear with the recording selected
//                 for play (a project file), played from the start of its repeat range
//
// Thread-safety: called on the host's main thread only.

#include <string>

#include "host/output_queue.hpp"

class CTamrelComMFC;

// True when `line` was a sink command (and was answered on `out`).
bool run_sink_command(const std::string& line, const CTamrelComMFC& session, OutputQueue& out);
