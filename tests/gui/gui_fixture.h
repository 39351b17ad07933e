#pragma once

#include <QApplication>

#include <gtest/gtest.h>

namespace tally::test {

// Widget tests share one application object for the whole program.
class GuiTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "tests_gui";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance()) {
            new QApplication(argc, argv);
        }
    }
};

} // namespace tally::test
