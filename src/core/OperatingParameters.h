#pragma once

#include <QString>
#include <array>

class FileLocations;
struct Settings;

// "Parametri Operativi": the three numbers of the outcome service, shown as
// typed text and saved as typed. Nothing is refused: a text that is not a
// number is written as it is and becomes 0 in memory.
class OperatingParameters {
public:
    enum Field { LimiteEsitiNegativi, SpostaNonTrovati, Intervallo, FieldCount };

    OperatingParameters(const FileLocations &files, Settings &settings);

    static const std::array<QString, FieldCount> &labels();
    static const std::array<QString, FieldCount> &keys();

    // The current values, as the dialog's boxes show them when it opens.
    std::array<QString, FieldCount> currentTexts() const;

    // "Salva": the texts to the settings file, their numbers to memory.
    void save(const std::array<QString, FieldCount> &texts);

private:
    const FileLocations &m_files;
    Settings &m_settings;
};
