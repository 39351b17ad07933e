#include "shell/projects/projects_window.h"

#include "shell/common/qt_colors.h"
#include "shell/common/skin_images.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QWindow>

namespace tally {

namespace {

constexpr int kRowHeight = 18;
constexpr std::uint32_t kBarColor = 0xE6E6E6;
constexpr std::uint32_t kDragTargetColor = 0xFF0000; // blue
constexpr std::uint32_t kSelectedColor = 0xF0CAA6;   // light sky blue
constexpr std::uint32_t kSeparatorColor = 0x808080;
constexpr int kRoleId = Qt::UserRole;
constexpr int kRoleKind = Qt::UserRole + 1;

class ProjectRowDelegate : public QStyledItemDelegate
{
public:
    explicit ProjectRowDelegate(ProjectListView* list)
        : QStyledItemDelegate(list)
        , m_list(list)
    {
        m_font.setFamily(QStringLiteral("Arial"));
        m_font.setPointSize(8);
    }

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override { return {0, kRowHeight}; }

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const auto kind = static_cast<ProjectRowKind>(index.data(kRoleKind).toInt());
        const QRect icon(option.rect.left() + 2, option.rect.top() + 1, 16, 16);
        const QRect label
            = QRect(icon.right() + 3, option.rect.top(), option.rect.right() - icon.right() - 3, option.rect.height())
                  .translated(2, 2);
        p->save();
        if (kind == ProjectRowKind::Separator) {
            p->setPen(FromBgr(kSeparatorColor));
            p->drawLine(label.left() - 8, label.bottom() - 6, label.right(), label.bottom() - 6);
            p->restore();
            return;
        }
        std::uint32_t color = 0xFFFFFF;
        if (index.row() == m_list->DragRow()) {
            color = kDragTargetColor;
        } else if (option.state & QStyle::State_Selected) {
            color = kSelectedColor;
        }
        p->setFont(m_font);
        p->setPen(FromBgr(color));
        const QFontMetrics metrics(m_font);
        // One line, cut with an ellipsis; '&' stays literal.
        p->drawText(label,
                    Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                    metrics.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight, label.width()));
        p->drawPixmap(icon.topLeft(), m_list->RowImage(kind));
        p->restore();
    }

private:
    ProjectListView* m_list;
    QFont m_font;
};

QToolButton* ToolButton(QWidget* parent, QAction* action, const QString& glyph, int x)
{
    auto* button = new QToolButton(parent);
    action->setIcon(QIcon(SkinPixmap(glyph, QSize(8, 8))));
    button->setDefaultAction(action);
    button->setAutoRaise(true);
    button->setIconSize(QSize(8, 8));
    button->setGeometry(x, 0, 15, 14);
    return button;
}

// Runs a function for presses on a widget that offers no signal for them.
class PressHook : public QObject
{
public:
    PressHook(QObject* parent, std::function<void()> pressed)
        : QObject(parent)
        , m_pressed(std::move(pressed))
    { }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonPress) {
            m_pressed();
            return true;
        }
        return false;
    }

private:
    std::function<void()> m_pressed;
};

} // namespace

ProjectListView::ProjectListView(QWidget* parent)
    : QListWidget(parent)
    , m_all(SkinPixmap(QStringLiteral("project_all"), QSize(16, 16)))
    , m_none(SkinPixmap(QStringLiteral("project_none"), QSize(16, 16)))
    , m_project(SkinPixmap(QStringLiteral("project"), QSize(16, 16)))
{
    setObjectName(QStringLiteral("lvPrj"));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFrameShape(QFrame::NoFrame);
    setUniformItemSizes(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    setDropIndicatorShown(false);
    setItemDelegate(new ProjectRowDelegate(this));
    QPalette colours = palette();
    colours.setColor(QPalette::Base, Qt::black);
    colours.setColor(QPalette::Window, Qt::black);
    colours.setColor(QPalette::Text, Qt::white);
    setPalette(colours);
    setAutoFillBackground(true);
}

const QPixmap& ProjectListView::RowImage(ProjectRowKind kind) const
{
    switch (kind) {
        case ProjectRowKind::ShowAll:
            return m_all;
        case ProjectRowKind::NonProject:
            return m_none;
        default:
            return m_project;
    }
}

void ProjectListView::SetRows(const std::vector<ProjectRow>& rows)
{
    setUpdatesEnabled(false);
    clear();
    for (const ProjectRow& row : rows) {
        auto* item = new QListWidgetItem(QString::fromStdString(row.Caption), this);
        item->setData(kRoleId, row.Id);
        item->setData(kRoleKind, static_cast<int>(row.Kind));
    }
    setUpdatesEnabled(true);
}

void ProjectListView::SelectRow(int row)
{
    if (row < 0 || row >= count()) {
        clearSelection();
        return;
    }
    setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
}

int ProjectListView::SelectedRow() const
{
    const QList<QListWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? -1 : row(selected.front());
}

bool ProjectListView::Accepts(const QDropEvent* event) const
{
    return AcceptsDrag && AcceptsDrag(event);
}

void ProjectListView::SetDragRow(int row)
{
    if (row != m_dragRow) {
        m_dragRow = row;
        viewport()->update();
    }
}

void ProjectListView::dragEnterEvent(QDragEnterEvent* event)
{
    if (!Accepts(event)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    SetDragRow(indexAt(event->position().toPoint()).row());
}

void ProjectListView::dragMoveEvent(QDragMoveEvent* event)
{
    if (!Accepts(event)) {
        event->ignore();
        return;
    }
    // Copy: the main list must not remove the rows it dragged.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    SetDragRow(indexAt(event->position().toPoint()).row());
}

void ProjectListView::dragLeaveEvent(QDragLeaveEvent* event)
{
    SetDragRow(-1);
    event->accept();
}

void ProjectListView::dropEvent(QDropEvent* event)
{
    SetDragRow(-1);
    if (!Accepts(event)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    emit timersDropped(indexAt(event->position().toPoint()).row());
}

TFormProj::TFormProj(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::Tool)
    , m_lvPrj(new ProjectListView(this))
    , m_pMenuPrj(new QMenu(this))
{
    setObjectName(QStringLiteral("TFormProj"));
    setWindowTitle(QStringLiteral("Projects"));
    setFixedSize(kWidth, kHeight);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);

    auto* panCapt = new QLabel(QStringLiteral("  Projects"), this);
    panCapt->setObjectName(QStringLiteral("panCapt"));
    panCapt->setGeometry(0, 0, kWidth, 17);
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPointSize(8);
    panCapt->setFont(tahoma);
    panCapt->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    panCapt->setAutoFillBackground(true);
    QPalette bar = panCapt->palette();
    bar.setColor(QPalette::Window, FromBgr(kBarColor));
    bar.setColor(QPalette::WindowText, Qt::black);
    panCapt->setPalette(bar);
    // The system moves the window while the caption is held.
    panCapt->installEventFilter(new PressHook(this, [this] {
        if (windowHandle()) {
            windowHandle()->startSystemMove();
        }
    }));
    auto* close = new QLabel(QStringLiteral("x"), panCapt);
    close->setObjectName(QStringLiteral("Label14"));
    QFont bold(QStringLiteral("Tahoma"));
    bold.setPointSize(10);
    bold.setBold(true);
    close->setFont(bold);
    close->setGeometry(kWidth - 12, 0, 10, 17);
    close->setCursor(Qt::PointingHandCursor);

    m_lvPrj->setGeometry(4, 17, kWidth - 4, 185);
    m_lvPrj->setContextMenuPolicy(Qt::CustomContextMenu);

    auto* tools = new QWidget(this);
    tools->setGeometry(0, kHeight - 14, kWidth, 14);
    tools->setAutoFillBackground(true);
    tools->setPalette(bar);

    actAddProject = new QAction(QStringLiteral("Create project"), this);
    actDelProject = new QAction(QStringLiteral("Delete selected projects"), this);
    actStartProject = new QAction(QStringLiteral("Start project"), this);
    actStopProjects = new QAction(QStringLiteral("Stop project"), this);
    actProjProp = new QAction(QStringLiteral("Project properties..."), this);
    actHideProjects = new QAction(QStringLiteral("Close projects window"), this);
    for (QAction* action : {actAddProject, actDelProject, actStartProject, actStopProjects, actProjProp}) {
        action->setToolTip(action->text());
    }
    ToolButton(tools, actAddProject, QStringLiteral("prj_add"), 0);
    ToolButton(tools, actDelProject, QStringLiteral("prj_delete"), 15);
    ToolButton(tools, actStartProject, QStringLiteral("prj_start"), 38);
    ToolButton(tools, actStopProjects, QStringLiteral("prj_stop"), 53);
    // The tool bar shows the glyphs; the menu shows the captions.
    for (QAction* action : {actAddProject, actDelProject, actStartProject, actStopProjects}) {
        action->setIconVisibleInMenu(false);
    }

    m_pMenuPrj->addAction(actAddProject);
    m_pMenuPrj->addAction(actDelProject);
    m_pMenuPrj->addSeparator();
    m_pMenuPrj->addAction(actStartProject);
    m_pMenuPrj->addAction(actStopProjects);
    m_pMenuPrj->addSeparator();
    m_pMenuPrj->addAction(actProjProp);
    connect(m_pMenuPrj, &QMenu::aboutToShow, this, &TFormProj::menuOpening);

    m_menuButton = new QToolButton(tools);
    m_menuButton->setObjectName(QStringLiteral("menu"));
    m_menuButton->setText(QStringLiteral("menu"));
    QFont console(QStringLiteral("Lucida Console"));
    console.setPointSize(6);
    m_menuButton->setFont(console);
    m_menuButton->setAutoRaise(true);
    m_menuButton->setPopupMode(QToolButton::InstantPopup);
    m_menuButton->setMenu(m_pMenuPrj);
    m_menuButton->setGeometry(kWidth - 44, 0, 44, 14);

    close->installEventFilter(new PressHook(this, [this] { actHideProjects->trigger(); }));

    connect(m_lvPrj, &QListWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        m_pMenuPrj->popup(m_lvPrj->viewport()->mapToGlobal(pos));
    });
    connect(m_lvPrj, &QListWidget::itemClicked, this, &TFormProj::rowClicked);
    connect(m_lvPrj, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        emit rowDoubleClicked(m_lvPrj->row(item));
    });
    connect(m_lvPrj, &QListWidget::itemSelectionChanged, this, &TFormProj::selectionMoved);
}

void TFormProj::ApplyControlsState(const ProjControlsState& state)
{
    actStartProject->setEnabled(state.StartProject);
    actStopProjects->setEnabled(state.StopProject);
    actDelProject->setEnabled(state.DeleteProject);
    actProjProp->setEnabled(state.Properties);
}

} // namespace tally
