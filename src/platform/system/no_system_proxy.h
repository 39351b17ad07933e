#pragma once

#include "platform/system_proxy.h"

namespace tally {

// Linux desktops keep no single per-user proxy setting that applies here, so
// only the settings file can name a proxy.
class NoSystemProxy final : public SystemProxy
{
public:
    SystemProxySetting Read() const override { return {}; }
};

} // namespace tally
