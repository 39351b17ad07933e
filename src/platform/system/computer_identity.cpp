#include "platform/computer_identity.h"

#include <unistd.h>

#include <array>
#include <fstream>

namespace tally {

namespace {

std::string FirstLine(const char* path)
{
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

} // namespace

ComputerIdentity ThisComputer()
{
    ComputerIdentity identity;
    std::array<char, 256> buffer {};
    if (gethostname(buffer.data(), buffer.size() - 1) == 0) {
        identity.Name = buffer.data();
    }
    identity.MachineId = FirstLine("/etc/machine-id");
    if (identity.MachineId.empty()) {
        // Older systems keep it only for the message bus.
        identity.MachineId = FirstLine("/var/lib/dbus/machine-id");
    }
    return identity;
}

} // namespace tally
