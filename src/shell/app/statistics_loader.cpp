#include "shell/app/statistics_loader.h"

#include "shell/app/part_module.h"

namespace tally {

StatisticsLoader::StatisticsLoader(StatisticsFactory builtIn, std::string programFile)
    : m_builtIn(std::move(builtIn))
    , m_programFile(std::move(programFile))
{ }

std::unique_ptr<StatisticsPart> StatisticsLoader::Make(StatEnv env)
{
    m_problem.clear();
    if (m_builtIn) {
        return m_builtIn(std::move(env));
    }
    if (m_create == nullptr) {
        m_create = reinterpret_cast<StatisticsCreateFunction>(
            PartModule::Open(m_programFile, kStatisticsModule, kStatisticsCreateSymbol, m_problem));
        if (m_create == nullptr) {
            return nullptr;
        }
    }
    return std::unique_ptr<StatisticsPart>(m_create(&env));
}

} // namespace tally
