#include "shell/stat_controller.h"

#include "runlog/brisvale_log.h"
#include "shell/main_window.h"
#include "shell/period_dialog.h"
#include "shell/project_dialog.h"
#include "shell/projects_controller.h"
#include "shell/qt_colors.h"
#include "shell/screen_fit.h"
#include "shell/time_log_window.h"
#include "shell/timer_list_view.h"
#include "stats/period_export.h"
#include "stats/stat_window.h"
#include "storage/file_io.h"
#include "tracking/tracking_engine.h"

#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

#include <stdexcept>

namespace tally {

namespace {

StatController::Answer AskWithMessageBox(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirmation"), text, QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton(QMessageBox::Yes);
    QPushButton* no = box.addButton(QMessageBox::No);
    box.setDefaultButton(no);
    box.exec();
    if (box.clickedButton() == yes) {
        return StatController::Answer::Yes;
    }
    return box.clickedButton() == no ? StatController::Answer::No : StatController::Answer::None;
}

} // namespace

StatController::StatController(StatEnv env, QObject* parent)
    : QObject(parent)
    , m_env(std::move(env))
{
    Ask = [this](const QString& text) { return AskWithMessageBox(m_form, text); };
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
    connect(w, &MainWindow::showHideStatRequested, this, [this] {
        // The action has written its log line.
        Guarded([this] { ShowHide(); });
    });
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
    // Hidden and shown together with the main window.
    w->installEventFilter(this);
}

StatController::~StatController()
{
    m_env.Window.removeEventFilter(this);
    m_env.Projects.StatVisible = nullptr;
    m_env.Projects.SetStatObject = nullptr;
    if (m_form) {
        // The program ends with the window open: its positions are kept
        // for the next start.
        SaveStatIni();
        delete m_form.data();
    }
}

template <typename F>
void StatController::Guarded(F&& f)
{
    try {
        f();
    } catch (const std::exception& e) {
        if (m_env.ReportError) {
            m_env.ReportError(e.what());
        }
    }
}

void StatController::Remember(const char* what, const std::function<void()>& write)
{
    // A settings file that cannot be written must not undo what the user
    // just did on the screen.
    try {
        write();
    } catch (const std::exception& e) {
        m_env.Log.WriteLine(0, std::string(what) + " failed");
        if (m_env.ReportError) {
            m_env.ReportError(e.what());
        }
    }
}

bool StatController::eventFilter(QObject* watched, QEvent* event)
{
    if (m_form && watched == &m_env.Window) {
        if (event->type() == QEvent::Show && m_env.Window.MainWindowShown) {
            m_form->show();
        } else if (event->type() == QEvent::Hide) {
            m_form->hide();
        }
    }
    return QObject::eventFilter(watched, event);
}

void StatController::actShowHideStatExecute()
{
    m_env.Log.WriteLine(0, "actShowHideStatExecute->");
    ShowHide();
}

void StatController::ShowHide()
{
    if (m_form) {
        // Destroyed once the event that asked for it (a press on its own
        // close mark, say) has been handled.
        m_form->hide();
        m_form->deleteLater();
        m_form = nullptr;
        m_env.Log.WriteLine(1, "Formstat Released");
        m_object = {};
        m_updates = false;
        Remember("StatVisible", [this] { WriteSetting(m_env.Settings, setting::StatVisible, false); });
        m_env.Window.SetStatChecked(false);
        return;
    }
    CreateForm();
    m_env.Log.WriteLine(1, "Created");
    m_updates = false;
    m_env.Log.WriteLine(1, "AU0");
    SetHomePos();
    m_env.Log.WriteLine(1, "SetHomePos");
    LoadStatIni();
    m_env.Log.WriteLine(1, "ini");
    SetStatObject(SelectedTimerObject(m_env.Window.List().SelectedTimers()));
    m_env.Log.WriteLine(1, "StatObject");
    m_updates = true;
    m_env.Log.WriteLine(1, "AU1");
    TabSet1Click();
    m_env.Log.WriteLine(1, "TabSet1Click");
    m_form->setVisible(m_env.Window.MainWindowShown);
    m_env.Log.WriteLine(1, "Visible");
    m_env.Window.SetStatChecked(true);
}

void StatController::TimersStopped()
{
    if (m_form && !m_env.ShutDown()) {
        RefreshStat(false);
    }
}

void StatController::CreateForm()
{
    m_env.Log.WriteLine(0, "FormCreate");
    m_form = new TFormStat;
    m_form->setAttribute(Qt::WA_ShowWithoutActivating);
    m_maximised = false;
    m_timeUnit = 2;
    m_object = {};
    ConnectForm();
    m_env.Window.SetStatChecked(true);
    Remember("StatVisible", [this] { WriteSetting(m_env.Settings, setting::StatVisible, true); });
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
    connect(f->tBtnDayBack, &QToolButton::clicked, this, guarded([this] { MoveDateBar(DateButton::DayBack); }));
    connect(f->tBtnDayForw, &QToolButton::clicked, this, guarded([this] { MoveDateBar(DateButton::DayForward); }));
    connect(f->tBtnMonBack, &QToolButton::clicked, this, guarded([this] { MoveDateBar(DateButton::MonthBack); }));
    connect(f->tBtnMonForw, &QToolButton::clicked, this, guarded([this] { MoveDateBar(DateButton::MonthForward); }));
    connect(f->actGotoToday, &QAction::triggered, this, guarded([this] { MoveDateBar(DateButton::Today); }));
    for (QAction* unit : {f->pSec, f->pMin, f->pHour}) {
        connect(unit, &QAction::triggered, this, guarded([this] { UnitClicked(); }));
    }
    const std::pair<QAction*, const BoolSetting*> ticks[] = {{f->pShowMarks, &setting::ShowMarks},
                                                             {f->pShowBorders, &setting::ShowBorders},
                                                             {f->pShowLegend, &setting::ShowLegend},
                                                             {f->pShowFullDate, &setting::ShowFullDate}};
    for (const auto& [action, key] : ticks) {
        connect(action, &QAction::triggered, this, [this, key](bool ticked) {
            Guarded([this, key, ticked] { ViewOptionClicked(*key, ticked); });
        });
    }
    connect(f->actAddLogItem, &QAction::triggered, this, guarded([this] { actAddLogItemExecute(); }));
    connect(f->actDelLogItem, &QAction::triggered, this, guarded([this] { actDelLogItemExecute(); }));
    connect(f->pExport, &QAction::triggered, this, guarded([this] { pExportClick(); }));
    connect(f->pSetPeriod, &QAction::triggered, this, guarded([this] { pSetPeriodClick(); }));
    connect(f->pPrint, &QAction::triggered, this, guarded([this] { pPrintClick(); }));
    connect(f->pClose, &QAction::triggered, this, guarded([this] { actShowHideStatExecute(); }));
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
    const StatOptions options = tally::LoadStatIni(m_env.Settings, m_env.Log, kDatePositionMax);
    TFormStat* f = m_form;
    f->pShowMarks->setChecked(options.ShowMarks);
    f->pShowBorders->setChecked(options.ShowBorders);
    f->pShowLegend->setChecked(options.ShowLegend);
    f->pShowFullDate->setChecked(options.ShowFullDate);
    m_timeUnit = options.TimeFormat;
    QAction* unit = options.CheckedUnit == StatUnit::Seconds   ? f->pSec
                    : options.CheckedUnit == StatUnit::Minutes ? f->pMin
                                                               : f->pHour;
    unit->setChecked(true);
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
    Remember("SaveStatIni", [this] { tally::SaveStatIni(m_env.Settings, m_dates.Position, m_dates.ScaleX); });
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
    m_env.Log.WriteLine(0, "TabSet1Click");
    if (!m_updates || !m_form || m_env.ShutDown()) {
        return;
    }
    const StatPage page = StatPageFromIndex(m_form->Tabs().currentIndex());
    m_form->ShowPage(page);
    UpdateStatControls();
    ComputeStatDates();
    RefreshStat(true);
    RefreshStat(false);
    Remember("StatPage", [this, page] { WriteSetting(m_env.Settings, setting::StatPage, static_cast<int>(page)); });
}

void StatController::trbScaleXChange()
{
    m_env.Log.WriteLine(1, "trbScaleXChange");
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

void StatController::UnitClicked()
{
    if (!m_form) {
        return;
    }
    m_timeUnit = m_form->pSec->isChecked() ? 0 : m_form->pMin->isChecked() ? 1 : 2;
    Remember("TimeFormat", [this] { WriteSetting(m_env.Settings, setting::TimeFormat, m_timeUnit); });
    RefreshStat(true);
    // The rebuilt bars are shown over the visible period, not from now on.
    if (m_form && m_form->ShownPage() == StatPage::Histogram) {
        RefreshStat(false);
    }
}

void StatController::ViewOptionClicked(const BoolSetting& key, bool ticked)
{
    Remember(key.Key.data(), [this, &key, ticked] { WriteSetting(m_env.Settings, key, ticked); });
    RefreshStat(true);
    if (m_form && m_form->ShownPage() == StatPage::Histogram) {
        RefreshStat(false);
    }
}

void StatController::SetStatObject(StatObject object)
{
    m_env.Log.WriteLine(0, "SetStatObject");
    m_object = object;
    if (!m_form || m_env.ShutDown()) {
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
    if (!m_updates || !m_form || m_env.ShutDown()) {
        return;
    }
    const StatObject object = LiveObject();
    if (std::holds_alternative<std::monostate>(object)) {
        ClearStatPage();
        return;
    }
    const TDateTime now = m_env.Now();
    switch (m_form->ShownPage()) {
        case StatPage::Text: {
            std::vector<TMyTimer*> selected;
            std::vector<TMyTimer*> listed;
            const StatSelection selection = Selection(selected, listed);
            m_form->TextPage().Show(FillTextStat(object, selection, m_dates.StatDate, now, m_env.Log));
            break;
        }
        case StatPage::Log:
            m_form->LogPage().Show(FillLog(object, m_dates.StatDate, now, m_env.Log));
            break;
        case StatPage::Histogram:
            RefreshChart(rebuild);
            break;
    }
}

ChartOptions StatController::ViewOptions() const
{
    ChartOptions options;
    options.ShowMarks = m_form->pShowMarks->isChecked();
    options.ShowBorders = m_form->pShowBorders->isChecked();
    options.ShowLegend = m_form->pShowLegend->isChecked();
    options.ShowFullDate = m_form->pShowFullDate->isChecked();
    options.Unit = ChartUnitFromIndex(m_timeUnit);
    return options;
}

void StatController::RefreshChart(bool rebuild)
{
    THistogramPage& page = m_form->ChartPage();
    if (rebuild) {
        std::vector<TMyTimer*> selected;
        std::vector<TMyTimer*> listed;
        const StatSelection selection = Selection(selected, listed);
        const ColorResolver resolve = [](std::uint32_t color) { return ToBgr(ProjectColor(color)); };
        FillChart(m_chart, LiveObject(), selection, m_env.Model.Timers, ViewOptions(), m_env.Now(), resolve, m_env.Log);
        page.Show(m_chart);
    } else if (UpdateChart(m_chart, m_dates, page.PlotWidth(), m_env.Log)) {
        page.ApplyBounds(m_chart);
    }
}

void StatController::ClearStatPage()
{
    switch (m_form->ShownPage()) {
        case StatPage::Text:
            m_form->TextPage().Show(ClearTextStat());
            break;
        case StatPage::Log:
            m_form->LogPage().Show(ClearLog());
            break;
        case StatPage::Histogram:
            tally::ClearChartPage(m_chart, m_env.Log);
            m_form->ChartPage().Show(m_chart);
            break;
    }
}

void StatController::FillCaptInfo()
{
    if (m_form) {
        const std::size_t selected = m_env.Window.List().SelectedTimers().size();
        m_form->SetCaption(tally::FillCaptInfo(LiveObject(), selected, m_env.Log));
    }
}

void StatController::SetHomePos()
{
    if (!m_form) {
        return;
    }
    m_env.Log.WriteLine(1, "Stat.SetHomePos->");
    const QRect main = m_env.Window.frameGeometry();
    // On the main window's right, or its left (past the projects window)
    // where the right has no room; the projects window then docks past this.
    const TFormProj* projects = m_env.Projects.Form();
    const auto occupied
        = projects && projects->isVisible() ? std::optional(ToGeometry(projects->frameGeometry())) : std::nullopt;
    const WindowGeometry home = DockBeside(ToGeometry(main),
                                           kStatWidth,
                                           kStatHeight,
                                           kStatHomeOffsetY,
                                           DockSide::Right,
                                           WorkAreaOf(m_env.Window),
                                           occupied);
    m_form->setGeometry(home.X, home.Y, home.Width, home.Height);
    m_env.Projects.SetHomePos();
    m_maximised = false;
    m_form->SetMaximisedPicture(false);
    m_env.Log.WriteLine(0, "Stat.SetHomePos-<");
}

void StatController::Image1Click()
{
    if (!m_form) {
        return;
    }
    if (m_maximised) {
        SetHomePos();
        return;
    }
    QScreen* screen = m_form->screen() ? m_form->screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        return;
    }
    const QRect area = screen->availableGeometry();
    const StatMaximised to = MaximiseStat(area.width(), area.height());
    // The main window's move docks the side windows first.
    m_env.Window.move(m_env.Window.x(), area.y() + to.MainTop);
    m_env.Log.WriteLine(0, "formTop");
    m_env.Window.SnapSuspended = true;
    m_form->setMaximumHeight(to.MaxHeight);
    m_env.Log.WriteLine(0, "MaxHeight");
    m_form->setGeometry(area.x() + to.Stat.X, area.y() + to.Stat.Y, to.Stat.Width, to.Stat.Height);
    m_env.Log.WriteLine(0, "WH");
    m_maximised = true;
    m_form->SetMaximisedPicture(true);
    m_env.Projects.SetHomePos();
}

void StatController::Label14Click()
{
    m_env.PlayClick();
    m_env.Log.WriteLine(0, "Label14Click");
    // Closed by hand: not opened again at the next start. Closing writes
    // the same setting.
    actShowHideStatExecute();
}

void StatController::actAddLogItemExecute()
{
    m_env.Log.WriteLine(0, "actAddLogItemExecute");
    m_env.PlayClick();
    if (!StatTimer(LiveObject())) {
        return;
    }
    TFormSetTime dialog(m_form);
    if (DialogOpening) {
        DialogOpening(dialog);
    }
    const int result = dialog.exec();
    if (m_env.ShutDown()) {
        // The program ended while the dialog was open; the lists are gone.
        return;
    }
    if (result == QDialog::Accepted
        && AddStatLogItem(LiveObject(), m_dates.StatDate, dialog.StartTime(), dialog.StopTime())) {
        RefreshStat(false);
    }
}

void StatController::actDelLogItemExecute()
{
    m_env.Log.WriteLine(0, "actDelLogItemExecute");
    m_env.PlayClick();
    if (!StatTimer(LiveObject()) || !m_form) {
        return;
    }
    if (Ask(QString::fromLatin1(kDeleteLogItemsQuestion)) != Answer::Yes || m_env.ShutDown() || !m_form) {
        return;
    }
    DeleteStatLogItems(LiveObject(), m_form->LogPage().SelectedPeriods());
    RefreshStat(false);
}

void StatController::pExportClick()
{
    m_env.Log.WriteLine(0, "pExportClick");
    const StatObject object = LiveObject();
    if (!m_form || std::holds_alternative<std::monostate>(object)) {
        return;
    }
    const QString path = AskExportPath(QDir::home().filePath(QStringLiteral("work-periods.csv")));
    if (path.isEmpty() || m_env.ShutDown() || !m_form) {
        return;
    }
    const std::vector<TMyTimer*> selected = m_env.Window.List().SelectedTimers();
    const std::string csv = ExportStatPeriods(LiveObject(),
                                              selected,
                                              m_env.Model,
                                              m_dates.StatDate,
                                              m_dates.StatEnd,
                                              m_form->ShownPage() == StatPage::Histogram);
    try {
        // Through a temporary file: a failed write leaves no half file.
        WriteFileAtomically(m_env.Files,
                            QFile::encodeName(path).toStdString(),
                            {reinterpret_cast<const std::uint8_t*>(csv.data()), csv.size()});
    } catch (const std::exception& e) {
        m_env.Log.WriteLine(0, "pExportClick failed");
        ExportFailed(QStringLiteral("The work periods could not be written: %1").arg(QString::fromStdString(e.what())));
    }
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
    if (result != QDialog::Accepted || m_env.ShutDown() || !m_form) {
        return;
    }
    const PeriodPositions to = PeriodDialogPositions(dialog.StartDate(), dialog.EndDate(), m_env.Now());
    // Each track bar runs its change handler only when its value changes.
    m_form->DateBar().setValue(to.Position);
    m_form->VisibleDaysBar().setValue(to.VisibleDays);
}

void StatController::pPrintClick()
{
    m_env.Log.WriteLine(0, "pPrintClick");
    if (!m_form) {
        return;
    }
    if (!m_printer) {
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    }
    if (!ChoosePrinter || !ChoosePrinter(*m_printer) || m_env.ShutDown() || !m_form) {
        return;
    }
    if (!m_form->ChartPage().Print(*m_printer)) {
        throw std::runtime_error("The printer could not be opened");
    }
}

} // namespace tally
