#include "shell/statistics/stat_look.h"
#include "shell/statistics/stat_window.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

// The text and time-log pages of the statistics window.
namespace tally {

namespace {

constexpr int kLogColumnWidth = 88;
constexpr int kReadOnlyRole = Qt::UserRole + 1;

} // namespace

TextStatPage::TextStatPage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("tsInfo"));
    Paint(this, Qt::black, Qt::white);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(8, 4, 8, 4);
    grid->setVerticalSpacing(1);
    const QColor lime(0, 255, 0);
    const auto value = [this](const char* name) {
        QLabel* label = Label(QString::fromLatin1(kNoValue), this, Qt::white);
        label->setObjectName(QString::fromLatin1(name));
        return label;
    };
    lbOnDate = value("lbOnDate");
    lbtodayact = value("lbtodayact");
    lbtodayBack = value("lbtodayBack");
    lbtodaySumm = value("lbtodaySumm");
    lbtotalAct = value("lbtotalAct");
    lbtotalBack = value("lbtotalBack");
    lbtotalSumm = value("lbtotalSumm");
    lbCreation = value("lbCreation");
    lbOnDate->setFont(Label(QString(), this, lime, true)->font());
    int row = 0;
    auto* header = new QHBoxLayout;
    header->setSpacing(4);
    header->addWidget(Label(QStringLiteral("Statistic on"), this, lime, true));
    header->addWidget(lbOnDate);
    header->addStretch();
    grid->addLayout(header, row++, 0, 1, 2);
    const auto line = [&](const char* caption, QLabel* label) {
        grid->addWidget(Label(QString::fromLatin1(caption), this, lime), row, 0);
        grid->addWidget(label, row++, 1);
    };
    line("Active work time:", lbtodayact);
    line("Background work time:", lbtodayBack);
    line("Summary:", lbtodaySumm);
    grid->addWidget(Label(QStringLiteral("Total:"), this, lime, true), row++, 0, 1, 2);
    line("Active work time:", lbtotalAct);
    line("Background work time:", lbtotalBack);
    line("Summary:", lbtotalSumm);
    lbComputers = Label(QString(), this, Qt::white);
    lbComputers->setObjectName(QStringLiteral("lbComputers"));
    lbComputers->setWordWrap(true);
    lbComputers->hide();
    grid->addWidget(lbComputers, row++, 0, 1, 2);
    grid->setRowStretch(row++, 1);
    auto* created = new QHBoxLayout;
    created->addStretch();
    created->addWidget(Label(QStringLiteral("Created:"), this, lime));
    created->addWidget(lbCreation);
    grid->addLayout(created, row, 0, 1, 2);
    grid->setColumnStretch(1, 1);
}

void TextStatPage::Show(const TextStat& page)
{
    lbOnDate->setText(QString::fromStdString(page.OnDate));
    lbtodayact->setText(QString::fromStdString(page.TodayAct));
    lbtodayBack->setText(QString::fromStdString(page.TodayBack));
    lbtodaySumm->setText(QString::fromStdString(page.TodaySumm));
    lbtotalAct->setText(QString::fromStdString(page.TotalAct));
    lbtotalBack->setText(QString::fromStdString(page.TotalBack));
    lbtotalSumm->setText(QString::fromStdString(page.TotalSumm));
    if (page.Creation) {
        lbCreation->setText(QString::fromStdString(*page.Creation));
    }
}

void TextStatPage::ShowComputers(const std::vector<std::string>& lines)
{
    QStringList text;
    for (const std::string& line : lines) {
        text << QString::fromStdString(line);
    }
    lbComputers->setText(text.join(QLatin1Char('\n')));
    lbComputers->setVisible(!lines.empty());
}

LogStatPage::LogStatPage(QWidget* parent)
    : QWidget(parent)
    , lbLog(nullptr)
    , lvLog(new QTreeWidget(this))
    , pMenuLog(new QMenu(this))
{
    setObjectName(QStringLiteral("tsLog"));
    Paint(this, Qt::black, Qt::white);
    const QColor lime(0, 255, 0);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* header = new QWidget(this);
    Paint(header, Qt::black, lime);
    auto* headerLayout = new QGridLayout(header);
    headerLayout->setContentsMargins(4, 2, 4, 2);
    lbLog = Label(QString::fromLatin1(kNoTimerLogTitle), header, lime, true);
    lbLog->setObjectName(QStringLiteral("lbLog"));
    headerLayout->addWidget(lbLog, 0, 0, 1, 4);
    int column = 0;
    for (const char* caption : {"Start time", "Stop time", "Duration"}) {
        QLabel* label = Label(QString::fromLatin1(caption), header, lime, true);
        label->setFixedWidth(kLogColumnWidth);
        headerLayout->addWidget(label, 1, column++);
    }
    headerLayout->setColumnStretch(3, 1);
    layout->addWidget(header);

    lvLog->setObjectName(QStringLiteral("lvLog"));
    lvLog->setColumnCount(3);
    lvLog->setHeaderHidden(true);
    lvLog->setRootIsDecorated(false);
    lvLog->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvLog->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvLog->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvLog->setFrameShape(QFrame::NoFrame);
    lvLog->setUniformRowHeights(true);
    for (int i = 0; i < 3; ++i) {
        lvLog->setColumnWidth(i, kLogColumnWidth);
    }
    Paint(lvLog, Qt::black, Qt::white);
    lvLog->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(lvLog, &QTreeWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        pMenuLog->popup(lvLog->viewport()->mapToGlobal(pos));
    });
    layout->addWidget(lvLog, 1);
}

void LogStatPage::Show(const tally::LogPage& page)
{
    lbLog->setText(QString::fromStdString(page.Title));
    lvLog->setUpdatesEnabled(false);
    lvLog->clear();
    lvLog->setColumnCount(3);
    for (const LogRow& row : page.Rows) {
        auto* item = new QTreeWidgetItem(lvLog);
        item->setText(0, QString::fromStdString(row.StartText));
        item->setText(1, QString::fromStdString(row.StopText));
        item->setText(2, QString::fromStdString(row.DurationText));
        item->setData(0, Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(row.Period)));
    }
    lvLog->setUpdatesEnabled(true);
}

void LogStatPage::Show(const ComputerLogPage& page)
{
    lbLog->setText(QString::fromStdString(page.Title));
    lvLog->setUpdatesEnabled(false);
    lvLog->clear();
    lvLog->setColumnCount(4);
    const QColor grey(160, 160, 160);
    for (const ComputerLogRow& row : page.Rows) {
        auto* item = new QTreeWidgetItem(lvLog);
        item->setText(0, QString::fromStdString(row.Row.StartText));
        item->setText(1, QString::fromStdString(row.Row.StopText));
        item->setText(2, QString::fromStdString(row.Row.DurationText));
        item->setText(3, QString::fromStdString(row.Computer));
        item->setData(0, Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(row.Row.Period)));
        item->setData(0, kReadOnlyRole, row.ReadOnly);
        if (row.ReadOnly) {
            for (int column = 0; column < 4; ++column) {
                item->setForeground(column, grey);
            }
        }
    }
    lvLog->setUpdatesEnabled(true);
}

std::vector<bool> LogStatPage::SelectedReadOnly() const
{
    std::vector<bool> readOnly;
    for (int i = 0; i < lvLog->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = lvLog->topLevelItem(i);
        if (item->isSelected()) {
            readOnly.push_back(item->data(0, kReadOnlyRole).toBool());
        }
    }
    return readOnly;
}

std::vector<const TWorkPeriod*> LogStatPage::SelectedPeriods() const
{
    std::vector<const TWorkPeriod*> periods;
    for (int i = 0; i < lvLog->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = lvLog->topLevelItem(i);
        if (item->isSelected()) {
            periods.push_back(reinterpret_cast<const TWorkPeriod*>(item->data(0, Qt::UserRole).value<quintptr>()));
        }
    }
    return periods;
}

} // namespace tally
