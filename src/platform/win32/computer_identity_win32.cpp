#include "platform/computer_identity.h"

#include <windows.h>

#include <algorithm>

namespace tally {

ComputerIdentity ThisComputer()
{
    ComputerIdentity identity;
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD length = sizeof name;
    if (::GetComputerNameA(name, &length)) {
        identity.Name.assign(name, length);
    }
    // The installation's own id; the 64-bit view also from a 32-bit program.
    char guid[64] = {};
    DWORD size = sizeof guid;
    if (::RegGetValueA(HKEY_LOCAL_MACHINE,
                       "SOFTWARE\\Microsoft\\Cryptography",
                       "MachineGuid",
                       RRF_RT_REG_SZ | RRF_SUBKEY_WOW6464KEY,
                       nullptr,
                       guid,
                       &size)
        == ERROR_SUCCESS) {
        identity.MachineId = guid;
        identity.MachineId.erase(std::remove(identity.MachineId.begin(), identity.MachineId.end(), '-'),
                                 identity.MachineId.end());
    }
    return identity;
}

} // namespace tally
