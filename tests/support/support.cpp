#include "support/environment.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace tally::test {

TempDir::TempDir(const std::filesystem::path& base)
{
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = base / ("tally-test-" + std::to_string(random()));
        if (std::filesystem::create_directory(candidate)) {
            m_path = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(m_path, ignored);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void WriteFile(const std::string& path, const std::string& content)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

ScopedTimeZone::ScopedTimeZone(const std::string& zone)
{
    if (const char* old = std::getenv("TZ")) {
        m_old = old;
    }
    setenv("TZ", zone.c_str(), 1);
    tzset();
}

ScopedTimeZone::~ScopedTimeZone()
{
    if (m_old) {
        setenv("TZ", m_old->c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
}

ScopedLocale::ScopedLocale(const std::string& name)
    : m_old(std::locale())
    , m_oldC(std::setlocale(LC_ALL, nullptr))
{
    try {
        std::locale::global(std::locale(name));
        m_ok = true;
    } catch (const std::runtime_error&) {
        ADD_FAILURE() << "locale " << name << " is not installed (./test.sh generates it)";
    }
}

ScopedLocale::~ScopedLocale()
{
    std::locale::global(m_old);
    std::setlocale(LC_ALL, m_oldC.c_str());
}

} // namespace tally::test
