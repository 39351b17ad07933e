#include "view/timer_dialog_logic.h"

#include "model/one_line.h"
#include "runlog/brisvale_log.h"

#include <algorithm>

namespace tally {

namespace {

constexpr const char* kSpecialNames[]
    = {"Typing time", "Internet connection time", "Computer work time", "Computer idle time"};
constexpr int kSpecialCount = 4;

std::string Limit(const std::string& pasted)
{
    const std::string name = OneLine(pasted);
    if (name.size() <= kMaxTimerNameLength) {
        return name;
    }
    // Cut on a character boundary so no broken UTF-8 sequence is stored.
    std::size_t cut = kMaxTimerNameLength;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    return name.substr(0, cut);
}

} // namespace

std::uint32_t NewTimerColor(std::size_t timerCount, const std::function<std::uint32_t(std::uint32_t max)>& random)
{
    if (timerCount < kNewTimerColors.size()) {
        return kNewTimerColors[timerCount];
    }
    return std::min(random(kMaxRandomColor), kMaxRandomColor);
}

std::string FileNamePart(const std::string& path)
{
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

TimerDialogLogic::TimerDialogLogic(std::size_t timerCount, bool& nameEdited)
    : m_nameEdited(nameEdited)
{
    SetNameQuietly("New Timer" + std::to_string(timerCount + 1));
}

void TimerDialogLogic::LoadTimer(const TMyTimer& timer)
{
    EditName(timer.Name);
    m_color = timer.Color;
    m_scope = timer.WindowScope;
    if (timer.TimerType <= ttCaption) {
        m_type = static_cast<TypeChoice>(timer.TimerType);
    } else {
        m_type = TypeChoice::Special;
        m_specialIndex = std::clamp(static_cast<int>(timer.TimerType) - ttTyping, 0, kSpecialCount - 1);
    }
    m_identifiers = timer.Identifiers;
}

void TimerDialogLogic::EditName(const std::string& name)
{
    const std::string limited = Limit(name);
    if (limited != m_name) {
        m_nameEdited = true;
    }
    m_name = limited;
}

void TimerDialogLogic::SetNameQuietly(const std::string& name)
{
    m_name = Limit(name);
}

void TimerDialogLogic::KeepList()
{
    if (m_type == TypeChoice::Application) {
        m_savedApplications = m_identifiers;
    } else if (m_type == TypeChoice::Caption) {
        m_savedCaptions = m_identifiers;
    }
}

void TimerDialogLogic::SelectType(TypeChoice type)
{
    KeepList();
    m_type = type;
    if (type == TypeChoice::Special) {
        SelectSpecial(m_specialIndex);
    } else if (type == TypeChoice::Application) {
        m_identifiers = m_savedApplications;
    } else if (type == TypeChoice::Caption) {
        m_identifiers = m_savedCaptions;
    }
}

void TimerDialogLogic::SelectSpecial(int index)
{
    m_specialIndex = std::clamp(index, 0, kSpecialCount - 1);
    if (!m_nameEdited) {
        SetNameQuietly(kSpecialNames[m_specialIndex]);
    }
}

tally::TimerType TimerDialogLogic::TimerType() const
{
    if (m_type == TypeChoice::Special) {
        return static_cast<tally::TimerType>(ttTyping + m_specialIndex);
    }
    return static_cast<tally::TimerType>(m_type);
}

void TimerDialogLogic::AddApplicationFile(const std::string& path, bool isExecutable)
{
    if (isExecutable) {
        m_identifiers.push_back(path);
    }
    if (!m_nameEdited) {
        SetNameQuietly(FileNamePart(path));
    }
}

void TimerDialogLogic::AddCaption(const std::string& caption, WindowScope scope)
{
    m_identifiers.push_back(caption);
    if (!m_nameEdited) {
        SetNameQuietly(caption);
    }
    m_scope = scope;
}

void TimerDialogLogic::RemoveIdentifier(std::size_t index)
{
    if (index < m_identifiers.size()) {
        m_identifiers.erase(m_identifiers.begin() + static_cast<std::ptrdiff_t>(index));
    }
}

void TimerDialogLogic::EditIdentifier(std::size_t index, const std::string& text)
{
    if (index < m_identifiers.size()) {
        m_identifiers[index] = text;
    }
}

TMyTimer& TimerDialogLogic::CreateTimer(TimeModel& model, TDateTime now, TBrisvaleLog& log) const
{
    TMyTimer& timer = model.Timers.Create();
    timer.Name = m_name;
    timer.CreationDate = now;
    timer.WindowScope = m_scope;
    timer.Color = m_color;
    timer.ProjectId = model.CurrPrjId;
    timer.TimerType = TimerType();
    timer.Identifiers = m_identifiers;
    timer.SetEnabled(true);
    log.WriteLine(0, timer.Name);
    log.WriteLine(0, std::to_string(timer.WindowScope));
    log.WriteLine(0, std::to_string(timer.ProjectId));
    log.WriteLine(0, std::to_string(timer.TimerType));
    for (const std::string& identifier : timer.Identifiers) {
        log.WriteLine(0, identifier);
    }
    return timer;
}

void TimerDialogLogic::ApplyTo(TMyTimer& timer) const
{
    timer.Name = m_name;
    timer.Color = m_color;
    timer.WindowScope = m_scope;
    timer.TimerType = TimerType();
    timer.Identifiers = m_identifiers;
}

} // namespace tally
