#pragma once

#include <QDialog>
#include <QListWidget>
#include <QPushButton>

#include <cstdint>
#include <string>
#include <vector>

namespace tally {

// "Running applications": pick the caption of an open window. The list is
// the census taken once when the picker opens.
class TFormProcesses : public QDialog
{
    Q_OBJECT

public:
    TFormProcesses(const std::vector<std::string>& captions, QWidget* parent = nullptr);

    std::string SelectedCaption() const;
    std::uint8_t Scope() const { return 0; }

    QListWidget& List() { return *m_list; }
    QPushButton& OkButton() { return *m_ok; }

private:
    QListWidget* m_list;
    QPushButton* m_ok;
};

} // namespace tally
