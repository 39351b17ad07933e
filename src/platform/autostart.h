#pragma once

namespace tally {

// Starting the program with the user's desktop session.
class AutoStart
{
public:
    virtual ~AutoStart() = default;

    // Registers (on) or removes (off) the program. Nothing is shown to the
    // user either way; false tells the caller that it did not work. Removing
    // a registration that does not exist succeeds.
    virtual bool SetAutoStart(bool on) = 0;
    // Whether the program is registered, as SetAutoStart(true) would do it.
    virtual bool IsAutoStart() const = 0;
};

} // namespace tally
