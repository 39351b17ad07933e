#pragma once

#include "model/time_model.h"
#include "shell/statistics/stat_window.h"
#include "stats/histogram.h"
#include "stats/stat_dates.h"
#include "stats/stat_object.h"
#include "storage/options.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <string>

class QPrinter;

namespace tally {

class FileSystem;
class MainWindow;
class ProjectsController;
class SettingsStore;
class TBrisvaleLog;
class TFormSetDate;
class TFormSetTime;
class TrackingEngine;

// What the statistics window works with; all of it outlives the controller.
struct StatEnv
{
    TimeModel& Model;
    TBrisvaleLog& Log;
    MainWindow& Window;
    SettingsStore& Settings;
    TrackingEngine& Engine;
    ProjectsController& Projects;
    std::function<TDateTime()> Now;
    std::function<void()> PlayClick;
    // True once the orderly shutdown has begun: the lists may be gone.
    std::function<bool()> ShutDown;
    std::function<void(const std::string&)> ReportError;
    // Where "Export work periods..." writes.
    FileSystem& Files;
};

// The statistics window's life and commands: "Show statistic" creates and
// destroys it, it follows the main window, and it shows the figures and the
// time log of the timer or project picked in the other windows.
class StatController : public QObject
{
    Q_OBJECT

public:
    explicit StatController(StatEnv env, QObject* parent = nullptr);
    // Stores the track bars when the program ends with the window open.
    ~StatController() override;

    // "Show statistic": opens the window, or closes it when it is open.
    void actShowHideStatExecute();
    bool Exists() const { return m_form != nullptr; }
    // Stopped timers change the figures shown.
    void TimersStopped();
    TFormStat* Form() const { return m_form; }
    bool Visible() const { return m_form && m_form->isVisible(); }
    const StatObject& Object() const { return m_object; }
    const StatDates& Dates() const { return m_dates; }
    int TimeUnit() const { return m_timeUnit; }
    bool Maximised() const { return m_maximised; }

    void SetStatObject(StatObject object);
    void RefreshStat(bool rebuild);
    void SetHomePos();
    void SaveStatIni();
    void TabSet1Click();
    void Image1Click();
    void Label14Click();
    void actAddLogItemExecute();
    void actDelLogItemExecute();
    // "Export work periods...": the shown object's periods of the shown days as CSV.
    void pExportClick();
    void pSetPeriodClick();
    void pPrintClick();
    const HistogramChart& Chart() const { return m_chart; }

    // A Yes/No question; "None" when it was closed without an answer.
    enum class Answer { Yes, No, None };
    std::function<Answer(const QString& text)> Ask;
    // Called with the set-time dialog before it opens (tests drive it).
    std::function<void(TFormSetTime&)> DialogOpening;
    // The file the export goes to, suggested name given; empty when cancelled.
    std::function<QString(const QString& suggested)> AskExportPath;
    // Tells the user that the export failed.
    std::function<void(const QString& text)> ExportFailed;
    // Called with the period dialog before it opens (tests drive it).
    std::function<void(TFormSetDate&)> PeriodDialogOpening;
    // Lets the user pick the printer; false cancels. The print dialog
    // unless a test sets up a printer of its own.
    std::function<bool(QPrinter&)> ChoosePrinter;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowHide();
    void CreateForm();
    void ConnectForm();
    void LoadStatIni();
    void ComputeStatDates();
    void UpdateStatControls();
    void trbScaleXChange();
    void MoveDateBar(DateButton button);
    void UnitClicked();
    void ViewOptionClicked(const BoolSetting& key, bool ticked);
    void ClearStatPage();
    void RefreshChart(bool rebuild);
    ChartOptions ViewOptions() const;
    void FillCaptInfo();
    StatObject LiveObject() const;
    StatSelection Selection(std::vector<TMyTimer*>& selected, std::vector<TMyTimer*>& listed) const;
    void Remember(const char* what, const std::function<void()>& write);
    template <typename F>
    void Guarded(F&& f);

    StatEnv m_env;
    QPointer<TFormStat> m_form;
    StatObject m_object;
    StatDates m_dates;
    int m_timeUnit = 2;
    bool m_updates = false;
    bool m_maximised = false;
    HistogramChart m_chart;
    // Kept between prints, so the printer chosen last is offered again.
    std::unique_ptr<QPrinter> m_printer;
};

} // namespace tally
