#pragma once

#include "model/time_model.h"
#include "shell/common/side_window.h"
#include "shell/statistics/shared_computers.h"
#include "shell/statistics/stat_window.h"
#include "shell/statistics/statistics_part.h"
#include "stats/histogram.h"
#include "stats/stat_dates.h"
#include "stats/stat_object.h"
#include "storage/options.h"

#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <string>

class QPrinter;

namespace tally {

class TFormSetDate;
class TFormSetTime;

// The statistics window's life and commands: "Show statistic" creates and
// destroys it, it follows the main window, and it shows the figures and the
// time log of the timer or project picked in the other windows.
class StatController : public SideWindowController, public StatisticsPart
{
    Q_OBJECT

public:
    explicit StatController(StatEnv env, QObject* parent = nullptr);
    // Stores the track bars when the program ends with the window open.
    ~StatController() override;

    // "Show statistic": opens the window, or closes it when it is open.
    void actShowHideStatExecute() override;
    void ToggleWindow() override;
    bool Exists() const { return m_form != nullptr; }
    void TimersStopped() override;
    TFormStat* Form() const { return m_form; }
    bool Visible() const { return m_form && m_form->isVisible(); }
    const StatObject& Object() const { return m_object; }
    const StatDates& Dates() const { return m_dates; }
    ChartUnit TimeUnit() const { return m_timeUnit; }
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
    void SharingChanged() override;
    void SetSharingNotice(std::function<void(const QString& text)> notice) override
    {
        SharingNotice = std::move(notice);
    }
    // Null while the window is closed.
    SharedComputers* Computers() const { return m_computers.get(); }

    // Tells the user of a damaged shared file or an unreachable folder.
    std::function<void(const QString& text)> SharingNotice;

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
    QWidget* SideWindow() const override { return m_form; }
    void MainShownOrHidden(bool shown) override;

private:
    void ShowHide();
    void CreateForm();
    void ConnectForm();
    void LoadStatIni();
    void ComputeStatDates();
    void UpdateStatControls();
    void trbScaleXChange();
    void MoveDateBar(DateButton button);
    void UnitClicked(ChartUnit unit);
    void ViewTickClicked(ViewTick tick, bool ticked);
    void CommandChosen(StatCommand command);
    void ClearStatPage();
    void RefreshChart(bool rebuild);
    void FillCaptInfo();
    StatObject LiveObject() const;
    void AllComputersClicked(bool ticked);
    void ShowAllComputersItem();
    void UpdateDeleteItem();
    void LogComputers(const std::vector<std::string>& lines);
    StatSelection Selection(std::vector<TMyTimer*>& selected, std::vector<TMyTimer*>& listed) const;

    StatEnv m_env;
    QPointer<TFormStat> m_form;
    StatObject m_object;
    StatDates m_dates;
    ChartUnit m_timeUnit = ChartUnit::Hours;
    bool m_updates = false;
    bool m_maximised = false;
    HistogramChart m_chart;
    // Kept between prints, so the printer chosen last is offered again.
    std::unique_ptr<QPrinter> m_printer;
    // The other computers, while the window is open.
    std::unique_ptr<SharedComputers> m_computers;
    std::string m_loggedComputers;
};

} // namespace tally
