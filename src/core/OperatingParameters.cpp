#include "core/OperatingParameters.h"

#include "core/IniFile.h"
#include "core/Settings.h"
#include "core/TextFormats.h"

OperatingParameters::OperatingParameters(const FileLocations &files, Settings &settings)
    : m_files(files), m_settings(settings)
{
}

const std::array<QString, OperatingParameters::FieldCount> &OperatingParameters::labels()
{
    static const std::array<QString, FieldCount> texts = {QStringLiteral("Limite Esiti Negativi tollerati"),
                                                          QStringLiteral("Spostamento 'NON TROVATI'"),
                                                          QStringLiteral("Anticipo su Appuntamenti")};
    return texts;
}

const std::array<QString, OperatingParameters::FieldCount> &OperatingParameters::keys()
{
    static const std::array<QString, FieldCount> names = {QStringLiteral("LimiteEsitiNegativiTollerati"),
                                                          QStringLiteral("SpostaNonTrovati"),
                                                          QStringLiteral("Intervallo")};
    return names;
}

std::array<QString, OperatingParameters::FieldCount> OperatingParameters::currentTexts() const
{
    return {QString::number(m_settings.limiteEsitiNegativi), QString::number(m_settings.spostaNonTrovati),
            QString::number(m_settings.intervallo)};
}

void OperatingParameters::save(const std::array<QString, FieldCount> &texts)
{
    for (int i = 0; i < FieldCount; ++i)
        inifile::scriviIni(m_files.settingsFile(), kSettingsSection, keys()[i], texts[i]);
    const auto number = [](const QString &t) { return static_cast<int>(textformats::leadingInteger(t)); };
    m_settings.limiteEsitiNegativi = number(texts[LimiteEsitiNegativi]);
    m_settings.spostaNonTrovati = number(texts[SpostaNonTrovati]);
    m_settings.intervallo = number(texts[Intervallo]);
}
