#include "storage/data_format.h"

#include "runlog/brisvale_log.h"
#include "storage/storage_error.h"

#include <memory>

namespace tally {

namespace {

constexpr std::size_t kPeriodBytes = 16;

std::size_t TextBytes(std::string_view text)
{
    return 4 + StoredTextLength(text);
}

std::size_t TimerBytes(const TMyTimer& timer)
{
    std::size_t size = TextBytes(timer.Name) + 4;
    for (const std::string& id : timer.Identifiers) {
        size += TextBytes(id);
    }
    size += 1 + 4 + 4 + 3 * 8 + 4 + 4;
    size += 4 + timer.ActivePeriods.Count() * kPeriodBytes;
    size += 4 + timer.BackgroundPeriods.Count() * kPeriodBytes;
    return size;
}

std::size_t ProjectBytes(const TTimeProject& project)
{
    return TextBytes(project.Name) + TextBytes(project.Description) + 3 * 8 + 4 + 4 + 2 * 8;
}

std::int32_t CountValue(std::size_t count)
{
    return static_cast<std::int32_t>(count);
}

void WritePeriods(TMemFileStream& out, const PeriodList& periods)
{
    out.WriteInteger(CountValue(periods.Count()));
    for (const TWorkPeriod& period : periods) {
        out.WriteDouble(period.Start);
        out.WriteDouble(period.Stop);
    }
}

void WriteTimer(TMemFileStream& out, const TMyTimer& timer)
{
    out.WriteString(timer.Name);
    out.WriteInteger(CountValue(timer.Identifiers.size()));
    for (const std::string& id : timer.Identifiers) {
        out.WriteString(id);
    }
    out.WriteByte(timer.Enabled ? 1 : 0);
    out.WriteInteger(timer.TimerType);
    out.WriteInteger(timer.WindowScope);
    out.WriteDouble(timer.ActiveTime);
    out.WriteDouble(timer.BackgroundTime);
    out.WriteDouble(timer.CreationDate);
    out.WriteInteger(static_cast<std::int32_t>(timer.Color));
    out.WriteInteger(timer.ProjectId);
    WritePeriods(out, timer.ActivePeriods);
    WritePeriods(out, timer.BackgroundPeriods);
}

void WriteProject(TMemFileStream& out, const TTimeProject& project)
{
    out.WriteString(project.Name);
    out.WriteString(project.Description);
    // The file keeps start, end, creation; the object another order.
    out.WriteDouble(project.StartDate);
    out.WriteDouble(project.EndDate);
    out.WriteDouble(project.CreationDate);
    out.WriteInteger(static_cast<std::int32_t>(project.Color));
    out.WriteInteger(project.Id);
    out.WriteDouble(MoneyToDouble(project.ReservedAmount));
    out.WriteDouble(MoneyToDouble(project.TotalPrice));
}

// Where the reader is, for the error text.
struct Place
{
    const char* Item = "header";
    std::int64_t Index = -1;
    const char* Field = "";

    std::string Text() const
    {
        std::string text = Item;
        if (Index >= 0) {
            text += " " + std::to_string(Index);
        }
        if (*Field != '\0') {
            text += std::string(", ") + Field;
        }
        return text;
    }
};

class BodyReader
{
public:
    BodyReader(TMemFileStream& in, TBrisvaleLog& log)
        : m_in(in)
        , m_log(log)
    { }

    void Timer(TMyTimer& timer)
    {
        Field("Name");
        timer.Name = m_in.ReadString();
        Field("identifier count");
        const std::int32_t idCount = ReadCount(4);
        Log(2, [&] { return "IdentifierCount:" + std::to_string(idCount); });
        for (std::int32_t i = 0; i < idCount; ++i) {
            Log(2, [&] { return "Load id " + std::string(kNumeroSign) + std::to_string(i); });
            Field("identifier");
            timer.Identifiers.push_back(m_in.ReadString());
        }
        Field("Enabled");
        timer.Enabled = m_in.ReadByte() != 0;
        // Type and scope are one byte in memory; only the low byte counts.
        Field("TimerType");
        timer.TimerType = static_cast<TimerType>(static_cast<std::uint8_t>(m_in.ReadInteger()));
        Field("WindowScope");
        timer.WindowScope = static_cast<WindowScope>(static_cast<std::uint8_t>(m_in.ReadInteger()));
        Field("ActiveTime");
        timer.ActiveTime = m_in.ReadDouble();
        Field("BackgroundTime");
        timer.BackgroundTime = m_in.ReadDouble();
        Field("CreationDate");
        timer.CreationDate = m_in.ReadDouble();
        Field("Color");
        timer.Color = static_cast<std::uint32_t>(m_in.ReadInteger());
        Field("ProjectId");
        timer.ProjectId = m_in.ReadInteger();
        Field("active period count");
        const std::int32_t activeCount = ReadCount(kPeriodBytes);
        Field("active periods");
        Periods(timer.ActivePeriods, activeCount, false);
        Field("background period count");
        const std::int32_t backgroundCount = ReadCount(kPeriodBytes);
        Log(3, [&] { return "WorkPeriodsCount" + std::to_string(backgroundCount); });
        Field("background periods");
        Periods(timer.BackgroundPeriods, backgroundCount, true);
    }

    void Project(TTimeProject& project)
    {
        Field("Name");
        project.Name = m_in.ReadString();
        Field("Description");
        project.Description = m_in.ReadString();
        Field("StartDate");
        project.StartDate = m_in.ReadDouble();
        Field("EndDate");
        project.EndDate = m_in.ReadDouble();
        Field("CreationDate");
        project.CreationDate = m_in.ReadDouble();
        Field("Color");
        project.Color = static_cast<std::uint32_t>(m_in.ReadInteger());
        Field("Id");
        project.Id = m_in.ReadInteger();
        Field("ReservedAmount");
        project.ReservedAmount = MoneyFromDouble(m_in.ReadDouble());
        Field("TotalPrice");
        project.TotalPrice = MoneyFromDouble(m_in.ReadDouble());
    }

    void Body(TimerList& timers, ProjectList& projects, std::string& version)
    {
        Field("version text");
        version = m_in.ReadString();
        m_log.WriteLine(0, "Data file version " + version);
        Field("timer count");
        // Not checked against the bytes left: a cut file still gives every
        // timer it holds whole, and each is made only once read.
        const std::int32_t timerCount = m_in.ReadInteger();
        m_log.WriteLine(0, "TimerCount: " + std::to_string(timerCount));
        for (std::int32_t i = 0; i < timerCount; ++i) {
            Log(1, [&] { return "Load " + std::string(kNumeroSign) + std::to_string(i); });
            Item("timer", i);
            // A timer joins the list only once it is complete.
            auto timer = std::make_unique<TMyTimer>();
            Timer(*timer);
            timers.Add(std::move(timer));
        }
        Item("project section", -1);
        Field("project count");
        const std::int32_t projectCount = m_in.ReadInteger();
        Log(1, [&] { return "ProjectCount" + std::to_string(projectCount); });
        for (std::int32_t i = 0; i < projectCount; ++i) {
            Log(1, [&] { return "Load prj " + std::string(kNumeroSign) + std::to_string(i); });
            Item("project", i);
            auto project = std::make_unique<TTimeProject>();
            Project(*project);
            projects.Add(std::move(project));
        }
    }

    std::string Where() const { return m_place.Text(); }

private:
    // A count that claims more items than the rest of the file can hold is
    // refused at once, before anything is made for them (the timer they
    // belong to could not be read whole anyway).
    std::int32_t ReadCount(std::size_t minBytesEach)
    {
        const std::size_t at = m_in.Position();
        const std::int32_t count = m_in.ReadInteger();
        if (count > 0 && static_cast<std::size_t>(count) > m_in.Remaining() / minBytesEach) {
            throw StreamReadError(std::to_string(count) + " at offset " + std::to_string(at) + " claims more than the "
                                      + std::to_string(m_in.Remaining()) + " bytes left in the file",
                                  at);
        }
        return count;
    }

    void Periods(PeriodList& periods, std::int32_t count, bool logEach)
    {
        if (logEach && LogWants(m_log, 3)) {
            for (std::int32_t i = 0; i < count; ++i) {
                m_log.WriteLine(3, "Load wp " + std::string(kNumeroSign) + std::to_string(i));
                ReadPeriod(periods);
            }
            return;
        }
        for (std::int32_t i = 0; i < count; ++i) {
            ReadPeriod(periods);
        }
    }

    void ReadPeriod(PeriodList& periods)
    {
        // Both values are checked before either is read, so a period is
        // either added whole or not at all.
        m_in.Require(kPeriodBytes, "work period");
        const double start = m_in.ReadDouble();
        const double stop = m_in.ReadDouble();
        periods.Add(start, stop);
    }

    template <typename MakeText>
    void Log(int level, MakeText makeText)
    {
        if (LogWants(m_log, level)) {
            m_log.WriteLine(static_cast<std::uint8_t>(level), makeText());
        }
    }

    void Item(const char* item, std::int64_t index)
    {
        m_place.Item = item;
        m_place.Index = index;
    }
    void Field(const char* field) { m_place.Field = field; }

    TMemFileStream& m_in;
    TBrisvaleLog& m_log;
    Place m_place;
};

} // namespace

TMemFileStream WriteDataImage(const TimerList& timers, const ProjectList& projects, std::string_view programVersion)
{
    std::size_t size = TextBytes(kDataFileHeader) + TextBytes(programVersion) + 4 + 4;
    for (const TMyTimer& timer : timers) {
        size += TimerBytes(timer);
    }
    for (std::size_t i = 0; i < projects.Count(); ++i) {
        size += ProjectBytes(projects[i]);
    }

    TMemFileStream out;
    out.Reserve(size);
    out.WriteString(kDataFileHeader);
    out.WriteString(programVersion);
    out.WriteInteger(CountValue(timers.Count()));
    for (const TMyTimer& timer : timers) {
        WriteTimer(out, timer);
    }
    out.WriteInteger(CountValue(projects.Count()));
    for (std::size_t i = 0; i < projects.Count(); ++i) {
        WriteProject(out, projects[i]);
    }
    return out;
}

bool ReadDataHeader(TMemFileStream& stream)
{
    const std::size_t start = stream.Position();
    if (!stream.Has(4 + kDataFileHeader.size())) {
        return false;
    }
    const std::span<const std::uint8_t> bytes = stream.Bytes().subspan(start, 4 + kDataFileHeader.size());
    TMemFileStream probe(bytes);
    if (probe.ReadInteger() != static_cast<std::int32_t>(kDataFileHeader.size())) {
        return false;
    }
    if (std::string_view(reinterpret_cast<const char*>(bytes.data()) + 4, kDataFileHeader.size()) != kDataFileHeader) {
        return false;
    }
    stream.Skip(bytes.size());
    return true;
}

void ReadDataBody(
    TMemFileStream& stream, TimerList& timers, ProjectList& projects, TBrisvaleLog& log, std::string& version)
{
    BodyReader reader(stream, log);
    try {
        reader.Body(timers, projects, version);
    } catch (const StreamReadError& e) {
        throw DataFileError(reader.Where() + ": " + e.what());
    }
}

bool LogWants(const TBrisvaleLog& log, int level)
{
    return log.Active() && level <= log.LogDetail();
}

} // namespace tally
