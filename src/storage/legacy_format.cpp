#include "storage/legacy_format.h"

#include "storage/storage_error.h"

namespace tally {

namespace {

constexpr std::size_t kATimeBytes = 16;

class LegacyReader
{
public:
    LegacyReader(TMemFileStream& in, const LegacyMarkers& markers)
        : m_in(in)
        , m_markers(markers)
    { }

    void Timer(TMyTimer& timer)
    {
        Field("Name");
        timer.Name = m_in.ReadStringBE();
        Field("identifier count");
        const std::int32_t idCount = m_in.ReadIntegerBE();
        Field("identifier");
        for (std::int32_t i = 0; i < idCount; ++i) {
            timer.Identifiers.push_back(m_in.ReadStringBE());
        }
        // Only the exact text "False" was ever written for off.
        Field("Enabled");
        timer.Enabled = m_in.ReadStringBE() != "False";
        Field("TimerType");
        const std::int32_t type = m_in.ReadIntegerBE();
        if (type >= ttManual && type <= ttIdleTime) {
            timer.TimerType = static_cast<TimerType>(static_cast<std::uint8_t>(type));
        }
        Field("WindowScope");
        const std::int32_t scope = m_in.ReadIntegerBE();
        if (scope >= scMainOnly && scope <= scWithHidden) {
            timer.WindowScope = static_cast<WindowScope>(static_cast<std::uint8_t>(scope));
        }
        Field("ActiveTime");
        timer.ActiveTime = m_in.ReadSplitDoubleBE();
        Field("BackgroundTime");
        timer.BackgroundTime = m_in.ReadSplitDoubleBE();
        Field("CreationDate");
        timer.CreationDate = m_in.ReadSplitDoubleBE();
        Field("active period count");
        const std::int32_t activeCount = m_in.ReadIntegerBE();
        Field("active periods");
        Periods(timer.ActivePeriods, activeCount);
        Field("background period count");
        const std::int32_t backgroundCount = m_in.ReadIntegerBE();
        Field("background periods");
        Periods(timer.BackgroundPeriods, backgroundCount);
        if (m_markers.LoadATime) {
            Field("skipped bytes");
            m_in.Skip(kATimeBytes);
        }
        Field("Color");
        timer.Color = static_cast<std::uint32_t>(m_in.ReadIntegerBE());
        if (!m_markers.NotLoadProjectId) {
            Field("ProjectId");
            timer.ProjectId = m_in.ReadIntegerBE();
        }
    }

    void Project(TTimeProject& project)
    {
        Field("Name");
        project.Name = m_in.ReadStringBE();
        Field("Description");
        project.Description = m_in.ReadStringBE();
        Field("StartDate");
        project.StartDate = m_in.ReadSplitDoubleBE();
        Field("EndDate");
        project.EndDate = m_in.ReadSplitDoubleBE();
        Field("CreationDate");
        project.CreationDate = m_in.ReadSplitDoubleBE();
        Field("Color");
        project.Color = static_cast<std::uint32_t>(m_in.ReadIntegerBE());
        Field("Id");
        project.Id = m_in.ReadIntegerBE();
        Field("ReservedAmount");
        project.ReservedAmount = Amount();
        Field("TotalPrice");
        project.TotalPrice = Amount();
    }

    void All(TimerList& timers, ProjectList& projects)
    {
        Field("timer count");
        const std::int32_t timerCount = m_in.ReadIntegerBE();
        for (std::int32_t i = 0; i < timerCount; ++i) {
            Item("timer", i);
            Timer(timers.Create());
        }
        if (m_markers.NotLoadProjects) {
            return;
        }
        Item("project section", -1);
        Field("project count");
        const std::int32_t projectCount = m_in.ReadIntegerBE();
        for (std::int32_t i = 0; i < projectCount; ++i) {
            Item("project", i);
            Project(projects.Create());
        }
    }

    std::string Where() const
    {
        // Appended piece by piece: `" " + std::to_string(...)` trips a false
        // overlap warning of GCC 12 at -O3.
        std::string text = m_item;
        if (m_index >= 0) {
            text.push_back(' ');
            text.append(std::to_string(m_index));
        }
        return text.append(", ").append(m_field);
    }

private:
    void Periods(PeriodList& periods, std::int32_t count)
    {
        for (std::int32_t i = 0; i < count; ++i) {
            m_in.Require(16, "work period");
            const double start = m_in.ReadSplitDoubleBE();
            const double stop = m_in.ReadSplitDoubleBE();
            periods.Add(start, stop);
        }
    }

    Money Amount()
    {
        m_in.Require(8, "money pair");
        const std::int32_t whole = m_in.ReadIntegerBE();
        const std::int32_t hundredths = m_in.ReadIntegerBE();
        return LegacyMoney(whole, hundredths);
    }

    void Item(const char* item, std::int64_t index)
    {
        m_item = item;
        m_index = index;
    }
    void Field(const char* field) { m_field = field; }

    TMemFileStream& m_in;
    const LegacyMarkers& m_markers;
    const char* m_item = "start";
    std::int64_t m_index = -1;
    const char* m_field = "";
};

} // namespace

LegacyMarkers FindLegacyMarkers(const std::filesystem::path& dir)
{
    auto present = [&](std::string_view name) {
        std::error_code ec;
        return std::filesystem::exists(dir / name, ec);
    };
    LegacyMarkers markers;
    markers.LoadATime = present(kMarkerLoadATime);
    markers.NotLoadProjectId = present(kMarkerNotLoadProjectId);
    markers.NotLoadProjects = present(kMarkerNotLoadProjects);
    return markers;
}

void ReadLegacyData(TMemFileStream& stream, const LegacyMarkers& markers, TimerList& timers, ProjectList& projects)
{
    LegacyReader reader(stream, markers);
    try {
        reader.All(timers, projects);
    } catch (const StreamReadError& e) {
        throw DataFileError(reader.Where() + ": " + e.what());
    }
}

Money LegacyMoney(std::int32_t whole, std::int32_t hundredths)
{
    // whole + hundredths / 100 in ten-thousandths; exact in integers, so no
    // rounding is needed.
    return Money {std::int64_t {whole} * Money::kScale + std::int64_t {hundredths} * (Money::kScale / 100)};
}

} // namespace tally
