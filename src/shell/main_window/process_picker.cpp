#include "shell/main_window/process_picker.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace tally {

TFormProcesses::TFormProcesses(const std::vector<std::string>& captions, QWidget* parent)
    : QDialog(parent)
    , m_list(new QListWidget(this))
    , m_ok(new QPushButton(QStringLiteral("Ok"), this))
{
    setObjectName(QStringLiteral("TFormProcesses"));
    setWindowTitle(QStringLiteral("Running applications"));
    resize(420, 300);
    for (const std::string& caption : captions) {
        m_list->addItem(QString::fromStdString(caption));
    }
    m_ok->setEnabled(false);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addLayout(buttons);

    connect(m_list, &QListWidget::itemSelectionChanged, this, [this] {
        m_ok->setEnabled(!m_list->selectedItems().isEmpty());
    });
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] {
        if (!m_list->selectedItems().isEmpty()) {
            accept();
        }
    });
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

std::string TFormProcesses::SelectedCaption() const
{
    const auto selected = m_list->selectedItems();
    return selected.isEmpty() ? std::string() : selected.front()->text().toStdString();
}

} // namespace tally
