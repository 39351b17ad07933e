#include "shell/statistics/stat_controller.h"

#include "runlog/brisvale_log.h"
#include "shell/common/qt_colors.h"
#include "shell/common/screen_fit.h"
#include "shell/main_window/main_window.h"
#include "shell/main_window/timer_list_view.h"
#include "shell/projects/project_dialog.h"
#include "shell/projects/projects_controller.h"
#include "shell/statistics/period_dialog.h"
#include "tracking/tracking_engine.h"
#include "view/all_computers.h"
#include "view/stat_window.h"

#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QWindow>

#include <stdexcept>

namespace tally {

StatController::StatController(StatEnv env, QObject* parent)
    : SideWindowController(env.Window, env.Parts, parent)
    , m_env(std::move(env))
{
    AskExportPath = [this](const QString& suggested) {
        return QFileDialog::getSaveFileName(
            m_form, QStringLiteral("Export work periods"), suggested, QStringLiteral("CSV files (*.csv)"));
    };
    ExportFailed
        = [this](const QString& text) { QMessageBox::warning(m_form, QStringLiteral("Export work periods"), text); };
    ChoosePrinter = [this](QPrinter& printer) {
        QPrintDialog dialog(&printer, m_form);
        return dialog.exec() == QDialog::Accepted;
    };
    MainWindow* w = &m_env.Window;
    connect(w, &MainWindow::dockSideWindows, this, [this] {
        // Not while the statistics window is dragged or stretched: a move
        // the main window makes for it must not pull it back.
        if (!m_env.Window.SnapSuspended) {
            SetHomePos();
        }
    });
    connect(w, &MainWindow::listClicked, this, [this](TMyTimer* first) {
        if (Visible()) {
            Guarded([this, first] { SetStatObject(first ? StatObject(first) : StatObject {}); });
        }
    });
    // These run after the application's own handlers: the timers are gone,
    // the stop is counted, the properties dialog has closed.
    connect(w, &MainWindow::deleteConfirmed, this, [this] {
        if (m_form) {
            Guarded([this] { SetStatObject({}); });
        }
    });
    connect(w, &MainWindow::propertiesRequested, this, [this] {
        // A cancelled dialog changed nothing; refilling then is harmless.
        Guarded([this] {
            RefreshStat(true);
            RefreshStat(false);
        });
    });
    m_env.Projects.StatVisible = [this] { return Visible(); };
    m_env.Projects.SetStatObject = [this](const TTimeProject* project) {
        Guarded([this, project] {
            SetStatObject(project ? StatObject(const_cast<TTimeProject*>(project)) : StatObject {});
        });
    };
}

StatController::~StatController()
{
    m_env.Projects.StatVisible = nullptr;
    m_env.Projects.SetStatObject = nullptr;
    if (m_form) {
        // The program ends with the window open: its positions are kept
        // for the next start.
        SaveStatIni();
        delete m_form.data();
    }
}

void StatController::MainShownOrHidden(bool shown)
{
    // Hidden and shown together with the main window.
    if (!m_form) {
        return;
    }
    if (!shown) {
        m_form->hide();
    } else if (m_env.Window.MainWindowShown) {
        m_form->show();
    }
}

void StatController::actShowHideStatExecute()
{
    Log().WriteLine(0, "actShowHideStatExecute->");
    ShowHide();
}

void StatController::ToggleWindow()
{
    // The menu's action has written its log line.
    Guarded([this] { ShowHide(); });
}

void StatController::ShowHide()
{
    if (m_form) {
        Release(*m_form);
        m_form = nullptr;
        Log().WriteLine(1, "Formstat Released");
        m_computers.reset();
        m_object = {};
        m_updates = false;
        RememberOpen(setting::StatVisible, false);
        m_env.Window.SetStatChecked(false);
        return;
    }
    CreateForm();
    Log().WriteLine(1, "Created");
    m_updates = false;
    Log().WriteLine(1, "AU0");
    SetHomePos();
    Log().WriteLine(1, "SetHomePos");
    LoadStatIni();
    Log().WriteLine(1, "ini");
    SetStatObject(SelectedTimerObject(m_env.Window.List().SelectedTimers()));
    Log().WriteLine(1, "StatObject");
    m_updates = true;
    Log().WriteLine(1, "AU1");
    TabSet1Click();
    Log().WriteLine(1, "TabSet1Click");
    m_form->setVisible(m_env.Window.MainWindowShown);
    Log().WriteLine(1, "Visible");
    m_env.Window.SetStatChecked(true);
}

void StatController::TimersStopped()
{
    if (m_form && !ShuttingDown()) {
        RefreshStat(false);
    }
}

void StatController::CreateForm()
{
    Log().WriteLine(0, "FormCreate");
    m_form = new TFormStat;
    m_form->setAttribute(Qt::WA_ShowWithoutActivating);
    m_maximised = false;
    m_timeUnit = ChartUnit::Hours;
    m_object = {};
    m_computers = std::make_unique<SharedComputers>(Settings(), m_env.Files, m_env.Model);
    m_computers->Notice = [this](const std::string& text) {
        Log().WriteLine(0, "Sharing: " + text);
        if (SharingNotice) {
            SharingNotice(QString::fromStdString(text));
        }
    };
    m_computers->Changed = [this] {
        Guarded([this] {
            RefreshStat(true);
            RefreshStat(false);
        });
    };
    ConnectForm();
    m_env.Window.SetStatChecked(true);
    RememberOpen(setting::StatVisible, true);
}

void StatController::ConnectForm()
{
    TFormStat* f = m_form;
    const auto guarded = [this](auto function) { return [this, function] { Guarded(function); }; };
    connect(f, &TFormStat::shown, this, guarded([this] { TabSet1Click(); }));
    // A close from the window system keeps the positions, and the window
    // then goes as with its "x", so that the menu tick stays true.
    connect(f, &TFormStat::closeRequested, this, guarded([this] {
                SaveStatIni();
                actShowHideStatExecute();
            }));
    connect(&f->Tabs(), &QTabBar::currentChanged, this, guarded([this] { TabSet1Click(); }));
    connect(f, &TFormStat::tabPressed, this, [this] { m_env.PlayClick(); });
    connect(&f->DateBar(), &QSlider::valueChanged, this, guarded([this] { trbScaleXChange(); }));
    connect(&f->VisibleDaysBar(), &QSlider::valueChanged, this, guarded([this] { trbScaleXChange(); }));
    connect(f, &TFormStat::dateStepClicked, this, [this](DateButton button) {
        Guarded([this, button] { MoveDateBar(button); });
    });
    connect(f, &TFormStat::unitChosen, this, [this](ChartUnit unit) { Guarded([this, unit] { UnitClicked(unit); }); });
    connect(f, &TFormStat::viewTickToggled, this, [this](ViewTick tick, bool ticked) {
        Guarded([this, tick, ticked] { ViewTickClicked(tick, ticked); });
    });
    connect(f, &TFormStat::commandChosen, this, [this](StatCommand command) {
        Guarded([this, command] { CommandChosen(command); });
    });
    connect(f, &TFormStat::allComputersToggled, this, [this](bool ticked) {
        Guarded([this, ticked] { AllComputersClicked(ticked); });
    });
    connect(f->LogPage().lvLog, &QTreeWidget::itemSelectionChanged, this, [this] { UpdateDeleteItem(); });
    connect(f, &TFormStat::closeClicked, this, guarded([this] { Label14Click(); }));
    connect(f, &TFormStat::maximiseClicked, this, guarded([this] { Image1Click(); }));
    connect(f, &TFormStat::captionPressed, this, [this] {
        m_env.Window.SnapSuspended = true;
        if (m_form && m_form->windowHandle()) {
            m_form->windowHandle()->startSystemMove();
        }
    });
    connect(f, &TFormStat::captionReleased, this, [this] { m_env.Window.SnapSuspended = false; });
}

void StatController::LoadStatIni()
{
    const StatOptions options = tally::LoadStatIni(Settings(), Log(), kDatePositionMax);
    TFormStat* f = m_form;
    // A stored unit other than the three shows hours, as the checked item.
    m_timeUnit = options.CheckedUnit;
    ChartOptions view;
    view.ShowMarks = options.ShowMarks;
    view.ShowBorders = options.ShowBorders;
    view.ShowLegend = options.ShowLegend;
    view.ShowFullDate = options.ShowFullDate;
    view.Unit = m_timeUnit;
    f->SetViewOptions(view);
    ShowAllComputersItem();
    // Each change runs its handler, which with updates off only recomputes
    // the dates and the controls.
    f->Tabs().setCurrentIndex(static_cast<int>(StatPageFromIndex(options.StatPage)));
    f->DateBar().setValue(options.Position);
    f->VisibleDaysBar().setValue(options.ScaleX);
    ComputeStatDates();
    UpdateStatControls();
}

void StatController::SaveStatIni()
{
    Remember("SaveStatIni", [this] { tally::SaveStatIni(Settings(), m_dates.Position, m_dates.ScaleX); });
}

void StatController::ComputeStatDates()
{
    if (m_form) {
        m_dates = tally::ComputeStatDates(m_form->DateBar().value(), m_form->VisibleDaysBar().value(), m_env.Now());
    }
}

void StatController::UpdateStatControls()
{
    if (m_form) {
        m_form->ApplyControls(tally::UpdateStatControls(m_form->ShownPage(), m_form->DateBar().value()));
    }
}

void StatController::TabSet1Click()
{
    Log().WriteLine(0, "TabSet1Click");
    if (!m_updates || !m_form || ShuttingDown()) {
        return;
    }
    const StatPage page = StatPageFromIndex(m_form->Tabs().currentIndex());
    m_form->ShowPage(page);
    UpdateStatControls();
    ComputeStatDates();
    RefreshStat(true);
    RefreshStat(false);
    Remember("StatPage", [this, page] { WriteSetting(Settings(), setting::StatPage, static_cast<int>(page)); });
}

void StatController::trbScaleXChange()
{
    Log().WriteLine(1, "trbScaleXChange");
    ComputeStatDates();
    RefreshStat(false);
    UpdateStatControls();
}

void StatController::MoveDateBar(DateButton button)
{
    m_env.PlayClick();
    if (m_form) {
        // The track bar clamps, and runs its handler only on a real change.
        m_form->DateBar().setValue(DateButtonPosition(m_form->DateBar().value(), button));
    }
}

void StatController::UnitClicked(ChartUnit unit)
{
    if (!m_form) {
        return;
    }
    m_timeUnit = unit;
    Remember("TimeFormat", [this] { WriteSetting(Settings(), setting::TimeFormat, static_cast<int>(m_timeUnit)); });
    RefreshStat(true);
    // The rebuilt bars are shown over the visible period, not from now on.
    if (m_form && m_form->ShownPage() == StatPage::Histogram) {
        RefreshStat(false);
    }
}

void StatController::ViewTickClicked(ViewTick tick, bool ticked)
{
    static constexpr const BoolSetting* keys[]
        = {&setting::ShowMarks, &setting::ShowBorders, &setting::ShowLegend, &setting::ShowFullDate};
    const BoolSetting& key = *keys[static_cast<int>(tick)];
    Remember(key.Key.data(), [this, &key, ticked] { WriteSetting(Settings(), key, ticked); });
    RefreshStat(true);
    if (m_form && m_form->ShownPage() == StatPage::Histogram) {
        RefreshStat(false);
    }
}

void StatController::SetStatObject(StatObject object)
{
    Log().WriteLine(0, "SetStatObject");
    m_object = object;
    if (!m_form || ShuttingDown()) {
        return;
    }
    ComputeStatDates();
    RefreshStat(true);
    RefreshStat(false);
    FillCaptInfo();
}

StatObject StatController::LiveObject() const
{
    return LiveStatObject(m_object, m_env.Model.Timers, m_env.Model.Projects);
}

StatSelection StatController::Selection(std::vector<TMyTimer*>& selected, std::vector<TMyTimer*>& listed) const
{
    TimerListView& list = m_env.Window.List();
    selected = list.SelectedTimers();
    listed.clear();
    listed.reserve(static_cast<std::size_t>(list.count()));
    for (int i = 0; i < list.count(); ++i) {
        listed.push_back(TimerListView::TimerOf(list.item(i)));
    }
    return {selected, listed, m_env.Projects.SelectedProject()};
}

void StatController::RefreshStat(bool rebuild)
{
    if (!m_updates || !m_form || ShuttingDown()) {
        return;
    }
    const StatObject object = LiveObject();
    if (std::holds_alternative<std::monostate>(object)) {
        ClearStatPage();
        return;
    }
    const TDateTime now = m_env.Now();
    const ComputerAccount* account = m_computers ? m_computers->Account() : nullptr;
    switch (m_form->ShownPage()) {
        case StatPage::Text: {
            std::vector<TMyTimer*> selected;
            std::vector<TMyTimer*> listed;
            const StatSelection selection = Selection(selected, listed);
            if (account) {
                const AllComputersText text = MergedTextStat(object, selection, *account, m_dates.StatDate, now);
                m_form->TextPage().Show(text.Page);
                m_form->TextPage().ShowComputers(text.Lines);
                LogComputers(text.Lines);
            } else {
                m_form->TextPage().Show(FillTextStat(object, selection, m_dates.StatDate, now, Log()));
                m_form->TextPage().ShowComputers({});
            }
            break;
        }
        case StatPage::Log:
            if (account) {
                m_form->LogPage().Show(MergedLog(object, *account, m_dates.StatDate, now));
            } else {
                m_form->LogPage().Show(FillLog(object, m_dates.StatDate, now, Log()));
            }
            UpdateDeleteItem();
            break;
        case StatPage::Histogram:
            RefreshChart(rebuild);
            break;
    }
}

void StatController::RefreshChart(bool rebuild)
{
    THistogramPage& page = m_form->ChartPage();
    if (rebuild) {
        std::vector<TMyTimer*> selected;
        std::vector<TMyTimer*> listed;
        const StatSelection selection = Selection(selected, listed);
        const ColorResolver resolve = [](std::uint32_t color) { return ToBgr(ProjectColor(color)); };
        FillChart(
            m_chart, LiveObject(), selection, m_env.Model.Timers, m_form->ViewOptions(), m_env.Now(), resolve, Log());
        if (const ComputerAccount* account = m_computers ? m_computers->Account() : nullptr) {
            MergeChart(m_chart, LiveObject(), *account, m_env.Now());
        }
        page.Show(m_chart);
    } else if (UpdateChart(m_chart, m_dates, page.PlotWidth(), Log())) {
        page.ApplyBounds(m_chart);
    }
}

void StatController::ClearStatPage()
{
    switch (m_form->ShownPage()) {
        case StatPage::Text:
            m_form->TextPage().Show(ClearTextStat());
            m_form->TextPage().ShowComputers({});
            break;
        case StatPage::Log:
            m_form->LogPage().Show(ClearLog());
            break;
        case StatPage::Histogram:
            tally::ClearChartPage(m_chart, Log());
            m_form->ChartPage().Show(m_chart);
            break;
    }
}

void StatController::FillCaptInfo()
{
    if (m_form) {
        const std::size_t selected = m_env.Window.List().SelectedTimers().size();
        m_form->SetCaption(tally::FillCaptInfo(LiveObject(), selected, Log()));
    }
}

void StatController::Label14Click()
{
    m_env.PlayClick();
    Log().WriteLine(0, "Label14Click");
    // Closed by hand: not opened again at the next start. Closing writes
    // the same setting.
    actShowHideStatExecute();
}

void StatController::pSetPeriodClick()
{
    if (!m_form) {
        return;
    }
    TFormSetDate dialog(m_form);
    const PeriodDates shown
        = PeriodDialogDates(m_form->DateBar().value(), m_form->VisibleDaysBar().value(), m_env.Now());
    dialog.SetDates(shown.Start, shown.End);
    if (PeriodDialogOpening) {
        PeriodDialogOpening(dialog);
    }
    const int result = dialog.exec();
    if (result != QDialog::Accepted || ShuttingDown() || !m_form) {
        return;
    }
    const PeriodPositions to = PeriodDialogPositions(dialog.StartDate(), dialog.EndDate(), m_env.Now());
    // Each track bar runs its change handler only when its value changes.
    m_form->DateBar().setValue(to.Position);
    m_form->VisibleDaysBar().setValue(to.VisibleDays);
}

void StatController::pPrintClick()
{
    Log().WriteLine(0, "pPrintClick");
    if (!m_form) {
        return;
    }
    if (!m_printer) {
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    }
    if (!ChoosePrinter || !ChoosePrinter(*m_printer) || ShuttingDown() || !m_form) {
        return;
    }
    if (!m_form->ChartPage().Print(*m_printer)) {
        throw std::runtime_error("The printer could not be opened");
    }
}

} // namespace tally
