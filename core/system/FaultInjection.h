// The one seam through which tests put faults into the programs: a full
// disk, a writer held in the middle of its file, a failure that escapes a
// job of tessel-cli. The programs never set any of them; unset, each call
// on the programs' side below changes nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace tessel::fault_injection {

// Set by tests. Each setting holds until it is set again; an empty hook or
// a negative limit switches it off.

// After limit more bytes, every write of a ReplacingOutputFile or
// InPlaceOutputFile stores nothing and fails as a full disk would.
void LimitWrites(int64_t limit);
// hook runs after each piece that an output file hands to the system,
// outside every lock, so that a test can hold a writer in the middle of its
// file. Set it before any write starts.
void RunAfterEachWrite(std::function<void()> hook);
// hook runs on the worker at the start of every job of a tessel-cli run,
// with the scenario's path; what it raises stands for a failure that
// escapes the job. Set it before the run starts.
void RunAtEachJobStart(std::function<void(const std::string& scenarioPath)> hook);

// Called by the programs where the faults go in.

// How many of count bytes a write may store.
std::size_t WritableBytes(std::size_t count);
void AfterWrite();
void AtJobStart(const std::string& scenarioPath);

}  // namespace tessel::fault_injection
