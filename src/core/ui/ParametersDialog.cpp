#include "core/ui/ParametersDialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

ParametersDialog::ParametersDialog(const FileLocations &files, Settings &settings, QWidget *parent)
    : QDialog(parent), m_parameters(files, settings)
{
    setObjectName(QStringLiteral("FrmParametri"));
    setWindowTitle(QStringLiteral("Parametri Operativi"));
    auto *grid = new QGridLayout(this);
    const auto texts = m_parameters.currentTexts();
    for (int i = 0; i < OperatingParameters::FieldCount; ++i) {
        grid->addWidget(new QLabel(OperatingParameters::labels()[i], this), i, 0);
        m_boxes[i] = new QLineEdit(texts[i], this);
        m_boxes[i]->setObjectName(QStringLiteral("Text1_") + QString::number(i));
        grid->addWidget(m_boxes[i], i, 1);
    }
    grid->addWidget(new QLabel(QStringLiteral("Minuti"), this), OperatingParameters::SpostaNonTrovati, 2);

    auto *save = new QPushButton(QStringLiteral("&Salva"), this);
    save->setObjectName(QStringLiteral("Command1_0"));
    auto *cancel = new QPushButton(QStringLiteral("Annulla"), this);
    cancel->setObjectName(QStringLiteral("Command1_1"));
    grid->addWidget(save, OperatingParameters::FieldCount, 1);
    grid->addWidget(cancel, OperatingParameters::FieldCount, 2);
    connect(save, &QPushButton::clicked, this, [this] {
        std::array<QString, OperatingParameters::FieldCount> typed;
        for (int i = 0; i < OperatingParameters::FieldCount; ++i)
            typed[i] = m_boxes[i]->text();
        m_parameters.save(typed);
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}
