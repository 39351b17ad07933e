#pragma once

#include <cstdint>
#include <string_view>

namespace tally {

// Where model operations write their run-log lines. The run log sits above
// the model (it formats the model's dates), so the model knows it only
// through this.
class RunLogSink
{
public:
    virtual void WriteLine(std::uint8_t level, std::string_view text) = 0;

protected:
    ~RunLogSink() = default;
};

} // namespace tally
