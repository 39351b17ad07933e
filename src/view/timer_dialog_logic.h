#pragma once

#include "model/time_model.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tally {

class TBrisvaleLog;

// The four radio buttons of the timer dialog.
enum class TypeChoice : std::uint8_t {
    Manual,
    Application,
    Caption,
    Special,
};

inline constexpr std::array<std::uint32_t, 16> kNewTimerColors = {
    0xFF0000,
    0x0000FF,
    0x00FF00,
    0x00FFFF,
    0xFFFF00,
    0xF0CAA6,
    0x000080,
    0x008000,
    0xC0DCC0,
    0x800080,
    0x008080,
    0x808000,
    0xC0C0C0,
    0x800000,
    0xFF00FE,
    0xFFFFFF,
};
inline constexpr std::uint32_t kMaxRandomColor = 0xFFFFFE;
inline constexpr std::size_t kMaxTimerNameLength = 64;

// The colour proposed for a new timer: the table for the first 16 timers,
// then a random colour drawn by 'random' from 0..0xFFFFFE.
std::uint32_t NewTimerColor(std::size_t timerCount, const std::function<std::uint32_t(std::uint32_t max)>& random);

// The state and rules of the timer dialog, apart from its widgets. NameEdited
// belongs to the whole run of the program, so the dialog only refers to it.
class TimerDialogLogic
{
public:
    TimerDialogLogic(std::size_t timerCount, bool& nameEdited);

    // Fills the dialog from an existing timer; the name is assigned as the
    // user would type it, so a name of its own sets NameEdited.
    void LoadTimer(const TMyTimer& timer);

    const std::string& Name() const { return m_name; }
    // The user typed in the name field.
    void EditName(const std::string& name);
    void SetNameQuietly(const std::string& name);

    TypeChoice Type() const { return m_type; }
    int SpecialIndex() const { return m_specialIndex; }
    // A press on any type button first keeps the list of the current type.
    void SelectType(TypeChoice type);
    void SelectSpecial(int index);
    tally::TimerType TimerType() const;

    bool IdentifiersVisible() const { return m_type == TypeChoice::Application || m_type == TypeChoice::Caption; }
    bool SpecialListVisible() const { return m_type == TypeChoice::Special; }
    bool BackgroundTimesVisible() const { return m_type != TypeChoice::Manual; }

    const std::vector<std::string>& Identifiers() const { return m_identifiers; }
    // "Add" under Application with the picked file: appended when it is an
    // executable (isExecutable decides), and names the timer either way.
    void AddApplicationFile(const std::string& path, bool isExecutable);
    // "Add" under Window caption with the picker's confirmed choice.
    void AddCaption(const std::string& caption, WindowScope scope);
    void RemoveIdentifier(std::size_t index);
    void EditIdentifier(std::size_t index, const std::string& text);

    std::uint32_t Color() const { return m_color; }
    void SetColor(std::uint32_t color) { m_color = color; }
    WindowScope Scope() const { return m_scope; }

    // Confirmed new timer: appended to the list, switched on.
    TMyTimer& CreateTimer(TimeModel& model, TDateTime now, TBrisvaleLog& log) const;
    // Confirmed edit: only name, colour, scope, type and identifiers change.
    void ApplyTo(TMyTimer& timer) const;

private:
    void KeepList();

    bool& m_nameEdited;
    std::string m_name;
    TypeChoice m_type = TypeChoice::Manual;
    int m_specialIndex = 0;
    std::vector<std::string> m_identifiers;
    std::vector<std::string> m_savedApplications;
    std::vector<std::string> m_savedCaptions;
    std::uint32_t m_color = 0;
    WindowScope m_scope = scMainOnly;
};

// The file-name part of a path (after the last '/' or '\').
std::string FileNamePart(const std::string& path);

} // namespace tally
