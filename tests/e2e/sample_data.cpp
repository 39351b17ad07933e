// Writes a data file with a few timers that have worked today, for pictures
// of the program (scripts/screenshot.sh).
//
//   tally-sample-data FOLDER [APPLICATION [--history]]
//
// APPLICATION names the program an application timer watches.

#include "model/datetime.h"
#include "model/time_model.h"
#include "platform/system/posix_file_system.h"
#include "platform/system/system_clock.h"
#include "runlog/brisvale_log.h"
#include "storage/data_file.h"

#include <cstdio>
#include <exception>
#include <string>

namespace {

using namespace tally;

// Periods that end now and add up to the given active and background minutes.
void Worked(TMyTimer& timer, TDateTime now, int activeMinutes, int backgroundMinutes)
{
    TDateTime at = now - (activeMinutes + backgroundMinutes + 1) * kOneMinute;
    auto add = [&](PeriodList& list, TDateTime& total, int minutes) {
        // In stretches of at most 40 minutes, as a working day goes.
        while (minutes > 0) {
            const int stretch = minutes > 40 ? 40 : minutes;
            list.Add(at, at + stretch * kOneMinute);
            total += stretch * kOneMinute;
            at += stretch * kOneMinute;
            minutes -= stretch;
        }
    };
    add(timer.ActivePeriods, timer.ActiveTime, activeMinutes);
    add(timer.BackgroundPeriods, timer.BackgroundTime, backgroundMinutes);
}

// Closed active periods on each of the days before today, of varying length,
// for a picture of the day-by-day chart.
void WorkedBefore(TMyTimer& timer, TDateTime now, int days, int seed)
{
    const TDateTime today = static_cast<TDateTime>(DayOf(now));
    for (int back = 1; back <= days; ++back) {
        const int minutes = 30 + ((back * 37 + seed * 53) % 150);
        if ((back + seed) % 5 == 0) {
            continue; // a day off
        }
        const TDateTime start = today - back + 9 * kOneHour;
        timer.ActivePeriods.Add(start, start + minutes * kOneMinute);
        timer.ActiveTime += minutes * kOneMinute;
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: tally-sample-data FOLDER [APPLICATION [--history]]\n");
        return 2;
    }
    try {
        SystemClock clock;
        TBrisvaleLog log(clock);
        TimeModel model;
        const TDateTime now = clock.Read().Now;
        const std::string application = argc > 2 ? argv[2] : "editor";

        TMyTimer& report = model.Timers.Create();
        report.Name = "Quarterly report";
        report.TimerType = ttManual;
        report.Color = 0x3C9B2E;
        report.SetEnabled(true);
        Worked(report, now, 95, 0);

        TMyTimer& editor = model.Timers.Create();
        editor.Name = "Code editor";
        editor.TimerType = ttApplication;
        editor.Identifiers = {application};
        editor.Color = 0xC87A1E;
        editor.SetEnabled(true);
        Worked(editor, now, 142, 37);

        TMyTimer& mail = model.Timers.Create();
        mail.Name = "Mail";
        mail.TimerType = ttCaption;
        mail.Identifiers = {"Inbox"};
        mail.Color = 0x2E6BD9;
        mail.SetEnabled(true);
        Worked(mail, now, 24, 88);

        TMyTimer& typing = model.Timers.Create();
        typing.Name = "Typing";
        typing.TimerType = ttTyping;
        typing.Color = 0x9B3CA0;
        Worked(typing, now, 51, 0);

        TMyTimer& online = model.Timers.Create();
        online.Name = "Online";
        online.TimerType = ttInternet;
        online.Color = 0x2FB5C9;
        Worked(online, now, 203, 0);

        if (argc > 3 && std::string(argv[3]) == "--history") {
            WorkedBefore(report, now, 20, 1);
            WorkedBefore(editor, now, 20, 2);
        }

        DataFile data(model, log, clock, SystemFiles(), DataFilePaths::InDirectory(argv[1]));
        data.Save(data.Paths().DataFile);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tally-sample-data: %s\n", e.what());
        return 1;
    }
    return 0;
}
