#pragma once

#include <string>

namespace tally {

// What names this computer in a shared folder: its name and the system's
// machine id (hexadecimal; empty where the system keeps none).
struct ComputerIdentity
{
    std::string Name;
    std::string MachineId;
};

// This computer's identity, from the platform layer.
ComputerIdentity ThisComputer();

} // namespace tally
