#pragma once

#include <QPixmap>
#include <QWidget>

namespace tally {

// A picture button of the skin: normal, hot (mouse over) and down pictures,
// drawn with their transparency; sizes itself to its picture.
class TImageBtn : public QWidget
{
    Q_OBJECT

public:
    TImageBtn(const QPixmap& normal, const QPixmap& hot, const QPixmap& down, QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Show(const QPixmap* picture);

    QPixmap m_normal;
    QPixmap m_hot;
    QPixmap m_down;
    const QPixmap* m_current = &m_normal;
    // What showed before the hot or down picture replaced it.
    const QPixmap* m_beforeHot = &m_normal;
    const QPixmap* m_beforeDown = &m_normal;
};

} // namespace tally
