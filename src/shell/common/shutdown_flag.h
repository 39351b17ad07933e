#pragma once

namespace tally {

// Set once, when the orderly shutdown begins: from then on the lists may be
// gone and nothing saves. The application owns it; the parts that must stop
// touching the lists read it.
class ShutdownFlag
{
public:
    bool Begun() const { return m_begun; }
    void Begin() { m_begun = true; }

private:
    bool m_begun = false;
};

} // namespace tally
