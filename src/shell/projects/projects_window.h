#pragma once

#include "view/projects_logic.h"

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QPixmap>
#include <QToolButton>
#include <QWidget>

#include <functional>
#include <vector>

namespace tally {

// The projects list: small rows drawn by our own delegate, and the drop
// target for timers dragged from the main window's list.
class ProjectListView : public QListWidget
{
    Q_OBJECT

public:
    explicit ProjectListView(QWidget* parent = nullptr);

    // Rebuilds the rows in one batch.
    void SetRows(const std::vector<ProjectRow>& rows);
    // Selects the row without giving it the focus mark.
    void SelectRow(int row);
    int SelectedRow() const;
    // The row a drag currently points at, or -1.
    int DragRow() const { return m_dragRow; }
    const QPixmap& RowImage(ProjectRowKind kind) const;

    // Whether a drag may drop here (only drags from the main window's list).
    std::function<bool(const QDropEvent*)> AcceptsDrag;

signals:
    // A drop on a row (-1 for the space under the rows).
    void timersDropped(int row);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool Accepts(const QDropEvent* event) const;
    void SetDragRow(int row);

    int m_dragRow = -1;
    QPixmap m_all;
    QPixmap m_none;
    QPixmap m_project;
};

// The projects panel docked to the main window's left side. It decides
// nothing: its commands go to the controller as actions and signals.
class TFormProj : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kWidth = 152;
    static constexpr int kHeight = 216;
    // Below the main window's top.
    static constexpr int kHomeOffsetY = 93;

    explicit TFormProj(QWidget* parent = nullptr);

    ProjectListView& List() { return *m_lvPrj; }
    QMenu& PopupMenu() { return *m_pMenuPrj; }
    QToolButton& MenuButton() { return *m_menuButton; }
    void ApplyControlsState(const ProjControlsState& state);

    QAction* actAddProject = nullptr;
    QAction* actDelProject = nullptr;
    QAction* actStartProject = nullptr;
    QAction* actStopProjects = nullptr;
    QAction* actProjProp = nullptr;
    QAction* actHideProjects = nullptr;

signals:
    void rowClicked();
    void rowDoubleClicked(int row);
    void selectionMoved();
    // The popup menu is about to open.
    void menuOpening();

private:
    ProjectListView* m_lvPrj;
    QMenu* m_pMenuPrj;
    QToolButton* m_menuButton = nullptr;
};

} // namespace tally
