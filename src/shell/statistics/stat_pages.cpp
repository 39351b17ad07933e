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
    for (const LogRow& row : page.Rows) {
        auto* item = new QTreeWidgetItem(lvLog);
        item->setText(0, QString::fromStdString(row.StartText));
        item->setText(1, QString::fromStdString(row.StopText));
        item->setText(2, QString::fromStdString(row.DurationText));
        item->setData(0, Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(row.Period)));
    }
    lvLog->setUpdatesEnabled(true);
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
