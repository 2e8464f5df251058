#pragma once

#include <QDialog>
#include <array>

#include "core/OperatingParameters.h"

class QLineEdit;

// "Parametri Operativi": three text boxes, "&Salva" and "Annulla".
class ParametersDialog : public QDialog {
    Q_OBJECT
public:
    ParametersDialog(const FileLocations &files, Settings &settings, QWidget *parent = nullptr);

private:
    OperatingParameters m_parameters;
    std::array<QLineEdit *, OperatingParameters::FieldCount> m_boxes{};
};
