// Where data goes that could not be saved where it was meant to go, and the check that a target can
// be written before a measurement starts (so that a run is never made only to be thrown away).
#pragma once

#include <string>

namespace mirvo {

// $XDG_STATE_HOME/mirvo-psd (or ~/.local/state/mirvo-psd), created when missing; empty when it
// cannot be created.
std::string RecoveryFolder();

// A new path in the recovery folder for data meant for `target`: "<name>-unsaved-<n>.<ext>" with
// the first n that is free. Empty when the folder cannot be made.
std::string RecoveryPathFor(const std::string& target);

// Empty when a file can be created (or replaced) at `path`; otherwise the system's reason
// ("/data/runs: no such folder", "/mnt/ro/x.mps: read-only file system" ...). Leaves nothing behind.
std::string WhyCannotWrite(const std::string& path);

}  // namespace mirvo
