#pragma once

#include <locale>
#include <optional>
#include <string>

namespace tally::test {

// Sets the process time zone for the lifetime of the object.
class ScopedTimeZone
{
public:
    explicit ScopedTimeZone(const std::string& zone);
    ~ScopedTimeZone();
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    std::optional<std::string> m_old;
};

// Installs a named locale as the global C and C++ locale for the lifetime
// of the object; fails the test when the locale is not installed.
class ScopedLocale
{
public:
    explicit ScopedLocale(const std::string& name);
    ~ScopedLocale();
    ScopedLocale(const ScopedLocale&) = delete;
    ScopedLocale& operator=(const ScopedLocale&) = delete;

    bool Ok() const { return m_ok; }

private:
    std::locale m_old;
    std::string m_oldC;
    bool m_ok = false;
};

} // namespace tally::test
