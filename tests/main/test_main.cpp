// Entry point of every test program: a fixed time zone and locale, so that
// results do not depend on the machine; a test that needs others sets its own.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <ctime>

int main(int argc, char** argv)
{
    setenv("TZ", "UTC", 1);
    setenv("LC_ALL", "C.UTF-8", 1);
    setenv("LANG", "C.UTF-8", 1);
    // Windows of the shell tests need no display unless a rig provides one.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    tzset();
    std::setlocale(LC_ALL, "C.UTF-8");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
