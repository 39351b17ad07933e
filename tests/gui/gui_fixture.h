#pragma once

#include "platform/http_getter.h"

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

// An HTTP getter that never answers, for applications built in tests.
class NoHttp final : public HttpGetter
{
public:
    std::string StatusLine(const HttpRequest&, const std::atomic<bool>&) override { return {}; }
};

} // namespace tally::test
