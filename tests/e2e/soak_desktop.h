#pragma once

// A desktop in steady use for a long run of the real program, shared by the
// soak test and the soak benchmark: ten programs of their own names, windows
// whose captions name ten documents, and every few seconds a window opens,
// closes, changes its caption or comes to the front. It records when each
// timer's target was on the screen, to judge the saved work periods by.

#include "model/datetime.h"
#include "model/time_model.h"
#include "platform/system/system_clock.h"
#include "x11_rig.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace tally::test {

// The program's resident memory in kB (VmRSS), or -1 when it cannot be read.
inline long ResidentKb(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

class SoakDesktop
{
public:
    static constexpr int kPairs = 10; // application and caption timers each
    static constexpr int kTimers = 2 * kPairs;
    // The most a target on the screen may go untracked at a stretch: the
    // tick that notices it, with room for a tick that comes late on a busy
    // machine (or under a sanitizer).
    static constexpr double kMaxGapSeconds = 3.0;
    // A tick reads the clock a moment before it looks at the windows.
    static constexpr double kEdgeSeconds = 0.3;

    static std::string AppName(int i) { return Numbered("soak-app-", i); }
    static std::string Document(int i) { return Numbered("Soak document ", i); }
    static std::string TimerName(int k) { return k < kPairs ? Numbered("App ", k) : Numbered("Caption ", k - kPairs); }

    // The twenty timers, enabled: timer k < 10 watches program k, timer
    // 10 + j the caption text of document j.
    static void AddTimers(TimeModel& model)
    {
        for (int k = 0; k < kTimers; ++k) {
            TMyTimer& timer = model.Timers.Create();
            timer.Name = TimerName(k);
            timer.TimerType = k < kPairs ? ttApplication : ttCaption;
            timer.Identifiers = {k < kPairs ? AppName(k) : Document(k - kPairs)};
            timer.SetEnabled(true);
        }
    }

    // Copies of the rig's window program under the ten names go into folder.
    SoakDesktop(XRig& rig, const std::filesystem::path& folder, unsigned seed)
        : m_rig(rig)
        , m_folder(folder)
        , m_random(seed)
    {
        for (int i = 0; i < kPairs; ++i) {
            std::filesystem::copy_file(XRig::TestWindowProgram(), m_folder / AppName(i));
        }
        // One window stays from start to end, so two timers run all along.
        Open(0, 0, true);
        for (int n = 0; n < 3; ++n) {
            Open(Pick(kPairs), Pick(kPairs + 1) - 1, false);
        }
    }

    // One change of the desktop.
    void Step()
    {
        ++m_steps;
        const int roll = Pick(100);
        const std::size_t count = m_windows.size();
        if (count < 3 || (count < 9 && roll < 30)) {
            Open(Pick(kPairs), Pick(kPairs + 1) - 1, false);
        } else if (roll < 55) {
            Close(1 + static_cast<std::size_t>(Pick(static_cast<int>(count) - 1)));
        } else if (roll < 80) {
            Retitle(1 + static_cast<std::size_t>(Pick(static_cast<int>(count) - 1)), Pick(kPairs + 1) - 1);
        } else {
            Raise(static_cast<std::size_t>(Pick(static_cast<int>(count))));
        }
    }

    // Steps at the given pace until the time is over.
    void RunFor(std::chrono::milliseconds span, std::chrono::milliseconds pace)
    {
        const auto end = std::chrono::steady_clock::now() + span;
        while (std::chrono::steady_clock::now() + pace <= end) {
            std::this_thread::sleep_for(pace);
            Step();
        }
        std::this_thread::sleep_until(end);
    }

    int Steps() const { return m_steps; }

    // What is wrong with the saved timers, one line each; nothing when all
    // hold. The program tracked from `ready` (its window shown) until `stop`
    // (just before it was told to end); the desktop must not change after it.
    std::vector<std::string> Check(const TimeModel& model, TDateTime ready, TDateTime stop) const
    {
        std::vector<std::string> problems;
        const auto at = [&](TDateTime t) { return Seconds(t - ready); };
        for (int k = 0; k < kTimers; ++k) {
            const std::string name = TimerName(k);
            const auto found = std::find_if(
                model.Timers.begin(), model.Timers.end(), [&](const TMyTimer& t) { return t.Name == name; });
            if (found == model.Timers.end()) {
                problems.push_back(name + ": missing from the data file");
                continue;
            }
            const TMyTimer& timer = *found;
            const auto problem = [&](const std::string& text) { problems.push_back(name + ": " + text); };
            if (timer.ActiveStart != kNoPeriod || timer.BackgroundStart != kNoPeriod) {
                problem("a period was left open");
            }
            // The totals are the sums of the periods, within rounding.
            if (std::abs(timer.ActiveTime - Sum(timer.ActivePeriods)) > 0.01 * kOneSecond
                || std::abs(timer.BackgroundTime - Sum(timer.BackgroundPeriods)) > 0.01 * kOneSecond) {
                problem(Text("totals %.3f s active, %.3f s background; periods sum to %.3f s and %.3f s",
                             Seconds(timer.ActiveTime),
                             Seconds(timer.BackgroundTime),
                             Seconds(Sum(timer.ActivePeriods)),
                             Seconds(Sum(timer.BackgroundPeriods))));
            }

            std::vector<TWorkPeriod> periods(timer.ActivePeriods.begin(), timer.ActivePeriods.end());
            periods.insert(periods.end(), timer.BackgroundPeriods.begin(), timer.BackgroundPeriods.end());
            // A stretch seen in one tick only is a period of no length, and the
            // next period starts where it ends: it must sort first.
            std::sort(periods.begin(), periods.end(), [](const TWorkPeriod& a, const TWorkPeriod& b) {
                return a.Start < b.Start || (a.Start == b.Start && a.Stop < b.Stop);
            });
            const std::vector<Presence>& shown = m_present[static_cast<std::size_t>(k)];
            const TDateTime edge = kEdgeSeconds * kOneSecond;
            for (std::size_t i = 0; i < periods.size(); ++i) {
                const TWorkPeriod& p = periods[i];
                if (p.Stop < p.Start) {
                    problem(Text("period [%.3f, %.3f] ends before it starts", at(p.Start), at(p.Stop)));
                }
                // No moment counts twice, as active and background or in two periods.
                if (i > 0 && p.Start < periods[i - 1].Stop) {
                    problem(Text("periods overlap at %.3f s", at(p.Start)));
                }
                // No time while the target was not on the screen.
                const bool inside = std::any_of(shown.begin(), shown.end(), [&](const Presence& s) {
                    return p.Start >= s.AppearedAfter - edge && p.Stop <= s.GoneBy + edge;
                });
                if (!inside) {
                    problem(Text("period [%.3f, %.3f] s while the target was not shown", at(p.Start), at(p.Stop)));
                }
            }
            // No time lost while it was.
            for (const Presence& s : shown) {
                const TDateTime from = std::max(s.ShownBy, ready);
                const TDateTime to = std::min(s.GoneAfter, stop);
                const auto [gapAt, gap] = LongestGap(periods, from, to);
                if (gap > kMaxGapSeconds * kOneSecond) {
                    problem(Text("shown over [%.3f, %.3f] s but not tracked for %.3f s from %.3f s",
                                 at(from),
                                 at(to),
                                 Seconds(gap),
                                 at(gapAt)));
                }
            }
        }
        return problems;
    }

private:
    struct Window
    {
        std::unique_ptr<TestWindow> Program;
        int App;
        int Doc; // -1: a caption that names no document
    };

    // One stretch in which a timer's target was on the screen, each end
    // bounded by the times just before and just after the change.
    struct Presence
    {
        TDateTime AppearedAfter;
        TDateTime ShownBy;
        // Still shown: past any time the program runs.
        TDateTime GoneAfter = kStillShown;
        TDateTime GoneBy = kStillShown;
    };
    static constexpr TDateTime kStillShown = 1e9;

    static std::string Numbered(const char* prefix, int i)
    {
        char text[48];
        std::snprintf(text, sizeof text, "%s%02d", prefix, i + 1);
        return text;
    }

    template <typename... Args>
    static std::string Text(const char* format, Args... args)
    {
        char text[256];
        std::snprintf(text, sizeof text, format, args...);
        return text;
    }

    static double Seconds(TDateTime days) { return days / kOneSecond; }
    static TDateTime Now() { return SystemClock().Read().Now; }

    static TDateTime Sum(const PeriodList& periods)
    {
        TDateTime sum = 0;
        for (const TWorkPeriod& p : periods) {
            sum += p.Stop - p.Start;
        }
        return sum;
    }

    // The longest stretch of [from, to] that no period covers, and where it begins.
    static std::pair<TDateTime, TDateTime>
    LongestGap(const std::vector<TWorkPeriod>& sorted, TDateTime from, TDateTime to)
    {
        TDateTime covered = from;
        std::pair<TDateTime, TDateTime> longest {from, 0};
        for (const TWorkPeriod& p : sorted) {
            if (p.Stop <= covered || p.Start >= to) {
                continue;
            }
            if (p.Start - covered > longest.second) {
                longest = {covered, p.Start - covered};
            }
            covered = std::max(covered, p.Stop);
        }
        if (to - covered > longest.second) {
            longest = {covered, to - covered};
        }
        return longest;
    }

    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }

    // A caption for the document, in varied case and wording (matching
    // ignores case), or one that names none.
    std::string Caption(int doc)
    {
        ++m_captions;
        if (doc < 0) {
            return "Notes " + std::to_string(m_captions) + " \xE2\x80\x94 caf\xC3\xA9";
        }
        std::string text = Document(doc) + " - draft " + std::to_string(m_captions);
        if (m_captions % 3 == 0) {
            std::transform(text.begin(), text.end(), text.begin(), [](char c) {
                return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            });
        }
        return text;
    }

    void Open(int app, int doc, bool anchor)
    {
        const TDateTime before = Now();
        WindowStart start;
        start.Program = (m_folder / AppName(app)).string();
        auto program = m_rig.StartWindow({"--title", anchor ? Document(doc) : Caption(doc)}, start);
        m_windows.push_back({std::move(program), app, doc});
        Record(before);
    }

    void Close(std::size_t index)
    {
        const TDateTime before = Now();
        Window& window = m_windows[index];
        window.Program->Command("quit");
        window.Program->Process().Wait(std::chrono::seconds(10));
        m_windows.erase(m_windows.begin() + static_cast<std::ptrdiff_t>(index));
        Record(before);
    }

    void Retitle(std::size_t index, int doc)
    {
        const TDateTime before = Now();
        Window& window = m_windows[index];
        window.Program->Command("title " + Caption(doc));
        window.Doc = doc;
        Record(before);
    }

    void Raise(std::size_t index)
    {
        std::ostringstream id;
        id << "0x" << std::hex << m_windows[index].Program->Id();
        m_rig.Xdotool({"windowactivate", "--sync", id.str()});
    }

    // Notes the timers whose target came or went with the change that began at `before`.
    void Record(TDateTime before)
    {
        const TDateTime after = Now();
        for (int k = 0; k < kTimers; ++k) {
            const bool shown = std::any_of(m_windows.begin(), m_windows.end(), [&](const Window& w) {
                return k < kPairs ? w.App == k : w.Doc == k - kPairs;
            });
            std::vector<Presence>& list = m_present[static_cast<std::size_t>(k)];
            const bool was = !list.empty() && list.back().GoneBy == kStillShown;
            if (shown && !was) {
                list.push_back({before, after});
            } else if (!shown && was) {
                list.back().GoneAfter = before;
                list.back().GoneBy = after;
            }
        }
    }

    XRig& m_rig;
    std::filesystem::path m_folder;
    std::mt19937 m_random;
    std::vector<Window> m_windows; // the first stays all along
    std::array<std::vector<Presence>, kTimers> m_present;
    int m_steps = 0;
    int m_captions = 0;
};

} // namespace tally::test
