#pragma once

#include "shell/statistics/statistics_part.h"

#include <QString>

#include <memory>
#include <string>

namespace tally {

// Makes the statistics window's part when the window is first asked for:
// with the maker the program was built with, else from its part (see
// PartModule), loaded then. Where the module is missing or does not fit
// this build, the program goes on without the window and says why.
class StatisticsLoader
{
public:
    // An empty maker: the module, looked for where Candidates says.
    StatisticsLoader(StatisticsFactory builtIn, std::string programFile);

    // The part, or null with Problem() set.
    std::unique_ptr<StatisticsPart> Make(StatEnv env);
    // Why the last Make failed, for the run log and the user.
    const QString& Problem() const { return m_problem; }

private:
    StatisticsFactory m_builtIn;
    std::string m_programFile;
    StatisticsCreateFunction m_create = nullptr;
    QString m_problem;
};

} // namespace tally
